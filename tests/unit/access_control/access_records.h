// Workstation, group and port records and the store values that hold them.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>
#include <ipslan/records.h>

#include "device/config_store.h"

namespace tolvaro::test {

inline WkInfo makeStation(const std::string& name, std::array<std::uint8_t, 6> hardware,
                          std::uint8_t group = 0, std::array<std::uint8_t, 4> address = {},
                          std::uint8_t reserve = 0) {
    WkInfo w{};
    std::memcpy(w.hardware, hardware.data(), 6);
    std::strncpy(w.name, name.c_str(), sizeof w.name - 1);
    std::memcpy(w.address, address.data(), 4);
    w.reserve = reserve;
    w.group = group;
    return w;
}

inline void setReadBytes(device::ConfigStore& store, int variable, const std::uint8_t* bytes,
                         std::size_t size, std::size_t length) {
    MIB_RESPONSE& entry = store.read(*store.slotOf(variable));
    std::memset(entry.value, 0, sizeof entry.value);
    std::memcpy(entry.value, bytes, size);
    entry.length[0] = static_cast<std::uint8_t>(length);
    entry.length[1] = static_cast<std::uint8_t>(length >> 8);
}

// One workstation-table variable in the read image, back to back.
inline void setStations(device::ConfigStore& store, int index, const std::vector<WkInfo>& stations,
                        std::size_t length = 220) {
    std::vector<std::uint8_t> bytes(stations.size() * ipslan::kStationBytes);
    for (std::size_t i = 0; i < stations.size(); ++i)
        IPSConvStationToByte(bytes.data() + i * ipslan::kStationBytes, &stations[i],
                             ipslan::kStationBytes);
    setReadBytes(store, 0x3501 + index, bytes.data(), bytes.size(), length);
}

inline std::vector<WkInfo> stationsIn(const std::uint8_t* bytes, std::size_t length) {
    std::vector<WkInfo> out;
    for (std::size_t at = 0; at + ipslan::kStationBytes <= length; at += ipslan::kStationBytes) {
        WkInfo w{};
        if (IPSConvByteToStation(&w, bytes + at, length - at) == 0 || !w.name[0])
            break;
        out.push_back(w);
    }
    return out;
}

inline void setGroup(device::ConfigStore& store, int group, std::uint32_t wellKnown,
                     std::uint32_t userPorts, std::uint8_t mode) {
    S_GPCFG g{wellKnown, userPorts, mode, {}};
    std::uint8_t bytes[ipslan::kGroupBytes];
    IPSConvGroupToByte(bytes, &g, sizeof bytes);
    setReadBytes(store, 0x3401 + group, bytes, sizeof bytes, sizeof bytes);
}

inline S_GPCFG groupIn(const std::uint8_t* bytes, std::size_t length) {
    S_GPCFG g{};
    IPSConvByteToGroup(&g, bytes, length);
    return g;
}

struct UserPort {
    std::string name;
    std::uint16_t port;
};

// The user-port lists as a router reports them (6 bytes a port) and the
// sixteen port values, UDP ports numbered first.
inline void setUserPorts(device::ConfigStore& store, const std::vector<UserPort>& udp,
                         const std::vector<UserPort>& tcp) {
    std::vector<TCPUDP_PORT> u, t;
    for (const auto& p : udp) {
        u.push_back({});
        std::strncpy(u.back().name, p.name.c_str(), 6);
        u.back().port = p.port;
    }
    for (const auto& p : tcp) {
        t.push_back({});
        std::strncpy(t.back().name, p.name.c_str(), 6);
        t.back().port = p.port;
    }
    std::uint8_t tcpImage[96]{}, udpImage[96]{};
    std::uint32_t values[16]{};
    ConvTCPUDPToByte(tcpImage, udpImage, values, t.data(), static_cast<int>(t.size()), u.data(),
                     static_cast<int>(u.size()));
    setReadBytes(store, 0x3301, udpImage, 96, u.size() * 6);
    setReadBytes(store, 0x3302, tcpImage, 96, t.size() * 6);
    for (int i = 0; i < 16; ++i) {
        MIB_RESPONSE& entry = store.read(*store.slotOf(i < 10 ? 0x3701 + i : 0x3710 + i - 10));
        entry.type = kTypeInteger;
        std::memcpy(entry.value, &values[i], 4);
        entry.length[0] = 4;
    }
}

} // namespace tolvaro::test
