// Virtual server and special application records for the tests, and their
// table values as a router holds them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <ipslan/records.h>

#include "pages/lan/internet_application_tables.h"

namespace tolvaro::test {

inline LOCAL_S makeServer(std::string_view name, std::uint16_t externalPort,
                          std::uint16_t internalPort = 0, std::uint8_t enabled = 1,
                          std::uint8_t protocol = 1,
                          std::array<std::uint8_t, 4> address = {192, 168, 1, 10}) {
    LOCAL_S s{};
    pages::setRecordName(s.name, name);
    s.enabled = enabled;
    s.protocol = protocol;
    s.externalPort = externalPort;
    s.internalPort = internalPort ? internalPort : externalPort;
    std::copy(address.begin(), address.end(), s.address);
    return s;
}

inline SP_AP makeApp(std::string_view name, std::uint16_t outStart, std::uint16_t outEnd,
                     std::uint16_t inStart, std::uint16_t inEnd, std::uint8_t enabled = 1) {
    SP_AP a{};
    pages::setRecordName(a.name, name);
    a.enabled = enabled;
    a.outProtocol = 1;
    a.outStart = outStart;
    a.outEnd = outEnd;
    a.inProtocol = 0;
    a.inStart = inStart;
    a.inEnd = inEnd;
    return a;
}

// Records back to back in the library's byte form, zero-padded to `length`.
template <typename Record, typename Encode>
std::vector<std::uint8_t> tableBytes(const std::vector<Record>& records, Encode encode,
                                     std::size_t length = pages::kTableValueLength) {
    std::vector<std::uint8_t> bytes(std::max<std::size_t>(length, records.size() * 21), 0);
    std::size_t offset = 0;
    for (const Record& r : records)
        offset +=
            static_cast<std::size_t>(encode(bytes.data() + offset, &r, bytes.size() - offset));
    bytes.resize(length);
    return bytes;
}

inline std::vector<std::uint8_t> serverBytes(const std::vector<LOCAL_S>& servers,
                                             std::size_t length = pages::kTableValueLength) {
    return tableBytes(servers, IPSConvLocalServerToByte, length);
}

inline std::vector<std::uint8_t> appBytes(const std::vector<SP_AP>& apps,
                                          std::size_t length = pages::kTableValueLength) {
    return tableBytes(apps, IPSConvSpecialAPToByte, length);
}

} // namespace tolvaro::test
