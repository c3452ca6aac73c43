// Routes and store entries as the LAN page's tests build them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

namespace tolvaro::test {

// A gateway ending in 0 is 0.0.0.0, the table's end mark.
inline S_ROUTE route(const char* name, std::uint8_t d0, std::uint8_t gatewayLast,
                     std::uint8_t metric = 1, std::uint8_t interface = 0) {
    S_ROUTE r{};
    std::strncpy(r.name, name, sizeof r.name - 1);
    const std::uint8_t destination[4] = {d0, 0, 0, 0};
    const std::uint8_t mask[4] = {255, 0, 0, 0};
    const std::uint8_t gateway[4] = {192, 168, 1, gatewayLast};
    std::memcpy(r.destination, destination, 4);
    std::memcpy(r.netmask, mask, 4);
    if (gatewayLast != 0)
        std::memcpy(r.gateway, gateway, 4);
    r.metric = metric;
    r.interface = interface;
    return r;
}

// The routers' byte form of `routes`, back to back, in `size` bytes.
inline std::vector<std::uint8_t> routeBytes(const std::vector<S_ROUTE>& routes,
                                            std::size_t size = 240) {
    std::vector<std::uint8_t> bytes(size, 0);
    std::size_t offset = 0;
    for (const S_ROUTE& r : routes)
        offset += static_cast<std::size_t>(
            IPSConvRouteToByte(bytes.data() + offset, &r, bytes.size() - offset));
    return bytes;
}

// Decodes records from `bytes` until the zero gateway.
inline std::vector<std::string> routeNames(const std::uint8_t* bytes, std::size_t size) {
    std::vector<std::string> names;
    std::size_t offset = 0;
    while (true) {
        S_ROUTE r{};
        const int used = IPSConvByteToRoute(&r, bytes + offset, size - offset);
        if (used == 0 || (r.gateway[0] | r.gateway[1] | r.gateway[2] | r.gateway[3]) == 0)
            return names;
        names.emplace_back(r.name);
        offset += static_cast<std::size_t>(used);
    }
}

inline void putEntry(MIB_RESPONSE& entry, std::uint8_t type, const void* bytes, std::size_t n) {
    entry = MIB_RESPONSE{};
    entry.type = type;
    entry.length[0] = static_cast<std::uint8_t>(n & 0xff);
    entry.length[1] = static_cast<std::uint8_t>(n >> 8);
    std::memcpy(entry.value, bytes, n);
}

inline void putText(MIB_RESPONSE& entry, const std::string& text) {
    putEntry(entry, kTypeOctetString, text.data(), text.size());
}

inline void putInteger(MIB_RESPONSE& entry, std::int32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    putEntry(entry, kTypeInteger, bytes, 4);
}

inline std::string sentText(const _snmp_packet& entry) {
    const std::size_t n = entry.length[0] | (std::size_t{entry.length[1]} << 8);
    return std::string(reinterpret_cast<const char*>(entry.value), n);
}

} // namespace tolvaro::test
