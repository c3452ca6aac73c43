// What the LAN page's tests share: routes in the routers' byte form
// and typing an address into four octet edits.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {

// Destination d0.0.0.0/8 via 192.168.1.gatewayLast; a gatewayLast of 0 gives
// the zero gateway that ends a table.
inline S_ROUTE route(const std::string& name, int d0, std::uint8_t gatewayLast = 254) {
    S_ROUTE r{};
    // Cut to the field, which stays NUL-terminated (r is zeroed).
    std::memcpy(r.name, name.data(), std::min(name.size(), sizeof r.name - 1));
    r.destination[0] = static_cast<std::uint8_t>(d0);
    r.netmask[0] = 255;
    if (gatewayLast != 0)
        r.gateway[0] = 192, r.gateway[1] = 168, r.gateway[2] = 1, r.gateway[3] = gatewayLast;
    r.metric = 1;
    return r;
}

inline std::vector<S_ROUTE> routes(int count, int firstDestination) {
    std::vector<S_ROUTE> list;
    for (int i = 0; i < count; ++i)
        list.push_back(route("r" + std::to_string(i), firstDestination + i));
    return list;
}

inline std::vector<std::uint8_t> routeBytes(const std::vector<S_ROUTE>& list, std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0);
    std::size_t offset = 0;
    for (const S_ROUTE& r : list)
        offset += static_cast<std::size_t>(
            IPSConvRouteToByte(bytes.data() + offset, &r, bytes.size() - offset));
    return bytes;
}

// The names of the routes in a value, up to the zero gateway.
inline std::vector<std::string> routeNames(const std::uint8_t* bytes, std::size_t size) {
    std::vector<std::string> names;
    S_ROUTE r{};
    for (std::size_t at = 0; IPSConvByteToRoute(&r, bytes + at, size - at) && r.gateway[3] != 0;
         at += ipslan::kRouteBytes)
        names.emplace_back(r.name);
    return names;
}

inline std::string sentText(const _snmp_packet& entry) {
    return std::string(reinterpret_cast<const char*>(entry.value),
                       entry.length[0] | (std::size_t{entry.length[1]} << 8));
}

// Types "a.b.c.d" into four edits; "192..1.1" leaves the second one empty.
inline void typeAddress(ui::ScriptedDialogDriver& d, const std::array<int, 4>& ids,
                        const std::string& dotted) {
    std::size_t from = 0;
    for (int id : ids) {
        const std::size_t dot = std::min(dotted.find('.', from), dotted.size());
        d.type(id, dotted.substr(from, dot - from));
        from = std::min(dot + 1, dotted.size());
    }
}

} // namespace tolvaro::test
