// Workstation, group and port records and the store values that hold them.
#pragma once

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include <ipslan/records.h>

#include "device/config_store.h"

namespace tolvaro::test {

inline WkInfo makeStation(const std::string& name, std::array<std::uint8_t, 6> hardware,
                          std::uint8_t group = 0) {
    WkInfo w{};
    std::memcpy(w.hardware, hardware.data(), 6);
    name.copy(w.name, sizeof w.name - 1); // the record is zeroed: the rest stays NUL
    w.group = group;
    return w;
}

inline void setReadBytes(device::ConfigStore& store, int variable,
                         const std::vector<std::uint8_t>& bytes, std::size_t length) {
    MIB_RESPONSE& entry = device::ReadImageFill(store).read(*store.slotOf(variable));
    std::memcpy(entry.value, bytes.data(), bytes.size());
    device::setEntryLength(entry, length);
}

// One workstation-table variable as the router reports it.
inline void setStations(device::ConfigStore& store, int index, const std::vector<WkInfo>& stations,
                        std::size_t length = 220) {
    std::vector<std::uint8_t> bytes(220);
    for (std::size_t i = 0; i < stations.size(); ++i)
        IPSConvStationToByte(bytes.data() + i * 22, &stations[i], 22);
    setReadBytes(store, 0x3501 + index, bytes, length);
}

inline std::vector<WkInfo> stationsIn(const std::uint8_t* bytes, std::size_t length) {
    std::vector<WkInfo> out;
    WkInfo w{};
    for (std::size_t at = 0; IPSConvByteToStation(&w, bytes + at, length - at) && w.name[0];
         at += 22)
        out.push_back(w);
    return out;
}

inline void setGroup(device::ConfigStore& store, int group, std::uint32_t wellKnown,
                     std::uint32_t userPorts, std::uint8_t mode) {
    const S_GPCFG g{wellKnown, userPorts, mode, {}};
    std::vector<std::uint8_t> bytes(12);
    IPSConvGroupToByte(bytes.data(), &g, 12);
    setReadBytes(store, 0x3401 + group, bytes, 12);
}

inline S_GPCFG groupIn(const std::uint8_t* bytes, std::size_t length) {
    S_GPCFG g{};
    IPSConvByteToGroup(&g, bytes, length);
    return g;
}

// The user-port lists as a router reports them (6 bytes a port) and the
// sixteen port values, UDP ports first.
inline void setUserPorts(device::ConfigStore& store, const std::vector<TCPUDP_PORT>& udp,
                         const std::vector<TCPUDP_PORT>& tcp) {
    std::vector<std::uint8_t> tcpImage(96), udpImage(96);
    std::uint32_t values[16]{};
    ConvTCPUDPToByte(tcpImage.data(), udpImage.data(), values, tcp.data(),
                     static_cast<int>(tcp.size()), udp.data(), static_cast<int>(udp.size()));
    setReadBytes(store, 0x3301, udpImage, udp.size() * 6);
    setReadBytes(store, 0x3302, tcpImage, tcp.size() * 6);
    for (int i = 0; i < 16; ++i)
        std::memcpy(device::ReadImageFill(store)
                        .read(*store.slotOf(i < 10 ? 0x3701 + i : 0x3706 + i))
                        .value,
                    &values[i], 4);
}

} // namespace tolvaro::test
