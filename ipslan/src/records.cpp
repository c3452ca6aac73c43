#include "ipslan/records.h"

#include <algorithm>
#include <cstring>

#include "byte_cursor.h"

namespace {

// Walks a byte form field by field, writing the record's fields out.
class Out : public ipslan::detail::ByteWriter<std::endian::little> {
public:
    using ByteWriter::ByteWriter;
    using ByteWriter::raw;

    void raw(const std::uint8_t* data, std::size_t size) { raw({data, size}); }
    // Copies up to the NUL, cut to width - 1, zero-padded.
    void text(const char* field, std::size_t width) {
        const auto area = take(width);
        const std::size_t used = strnlen(field, width - 1);
        std::memcpy(area.data(), field, used);
        std::fill(area.begin() + static_cast<std::ptrdiff_t>(used), area.end(), std::uint8_t{0});
    }
};

// Reads a byte form known to be complete; remembers a text without a NUL.
class In : public ipslan::detail::ByteReader<std::endian::little> {
public:
    using ByteReader::ByteReader;
    using ByteReader::raw;

    void raw(std::uint8_t* data, std::size_t size) { raw({data, size}); }
    void text(char* field, std::size_t width) {
        const auto area = take(width);
        const auto nul = std::find(area.begin(), area.end(), std::uint8_t{0});
        if (nul == area.end()) {
            valid_ = false;
        } else {
            std::memset(field, 0, width);
            std::copy(area.begin(), nul, field);
        }
    }
    bool valid() const { return valid_; }

private:
    bool valid_ = true;
};

template <typename Record, typename Decode>
int decode(Record* record, const std::uint8_t* bytes, std::size_t length, std::size_t size,
           Decode fields) {
    if (record == nullptr) {
        return 0;
    }
    Record result{};
    if (bytes == nullptr || length < size) {
        *record = result;
        return 0;
    }
    In in({bytes, size});
    fields(in, result);
    if (!in.valid()) {
        *record = Record{};
        return 0;
    }
    *record = result;
    return static_cast<int>(size);
}

template <typename Record, typename Encode>
int encode(std::uint8_t* bytes, const Record* record, std::size_t capacity, std::size_t size,
           Encode fields) {
    if (bytes == nullptr || record == nullptr || capacity < size) {
        return 0;
    }
    Out out({bytes, size});
    fields(out, *record);
    return static_cast<int>(size);
}

int heldCount(int count, int limit) {
    return std::clamp(count, 0, limit);
}

// Only the first six name bytes travel; whatever follows a NUL among them is
// not the name and goes out as zeros.
void putPortName(std::uint8_t* image, const TCPUDP_PORT& port) {
    const std::size_t used = strnlen(port.name, ipslan::kPortNameBytes);
    std::memcpy(image, port.name, used);
    std::memset(image + used, 0, ipslan::kPortNameBytes - used);
}

} // namespace

int IPSConvByteToUser(UserInfo* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length, ipslan::kUserBytes, [](In& in, UserInfo& r) {
        in.text(r.name, sizeof r.name);
        in.text(r.password, sizeof r.password);
        r.flags = in.u8();
        r.timeLimit = in.u16();
        in.text(r.callback, sizeof r.callback);
    });
}

int IPSConvUserToByte(std::uint8_t* bytes, const UserInfo* record, std::size_t capacity) {
    return encode(bytes, record, capacity, ipslan::kUserBytes, [](Out& out, const UserInfo& r) {
        out.text(r.name, sizeof r.name);
        out.text(r.password, sizeof r.password);
        out.u8(r.flags);
        out.u16(r.timeLimit);
        out.text(r.callback, sizeof r.callback);
    });
}

int IPSConvByteToStation(WkInfo* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length, ipslan::kStationBytes, [](In& in, WkInfo& r) {
        in.raw(r.hardware, sizeof r.hardware);
        in.text(r.name, sizeof r.name);
        in.raw(r.address, sizeof r.address);
        r.reserve = in.u8();
        r.group = in.u8();
    });
}

int IPSConvStationToByte(std::uint8_t* bytes, const WkInfo* record, std::size_t capacity) {
    return encode(bytes, record, capacity, ipslan::kStationBytes, [](Out& out, const WkInfo& r) {
        out.raw(r.hardware, sizeof r.hardware);
        out.text(r.name, sizeof r.name);
        out.raw(r.address, sizeof r.address);
        out.u8(r.reserve);
        out.u8(r.group);
    });
}

int IPSConvByteToGroup(S_GPCFG* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length, ipslan::kGroupBytes, [](In& in, S_GPCFG& r) {
        r.wellKnownMask = in.u32();
        r.userPortMask = in.u32();
        r.mode = in.u8();
        in.raw(r.spare, sizeof r.spare);
    });
}

int IPSConvGroupToByte(std::uint8_t* bytes, const S_GPCFG* record, std::size_t capacity) {
    return encode(bytes, record, capacity, ipslan::kGroupBytes, [](Out& out, const S_GPCFG& r) {
        out.u32(r.wellKnownMask);
        out.u32(r.userPortMask);
        out.u8(r.mode);
        out.raw(r.spare, sizeof r.spare);
    });
}

int IPSConvByteToRoute(S_ROUTE* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length, ipslan::kRouteBytes, [](In& in, S_ROUTE& r) {
        in.text(r.name, sizeof r.name);
        in.raw(r.destination, sizeof r.destination);
        in.raw(r.netmask, sizeof r.netmask);
        in.raw(r.gateway, sizeof r.gateway);
        r.metric = in.u8();
        r.interface = in.u8();
    });
}

int IPSConvRouteToByte(std::uint8_t* bytes, const S_ROUTE* record, std::size_t capacity) {
    return encode(bytes, record, capacity, ipslan::kRouteBytes, [](Out& out, const S_ROUTE& r) {
        out.text(r.name, sizeof r.name);
        out.raw(r.destination, sizeof r.destination);
        out.raw(r.netmask, sizeof r.netmask);
        out.raw(r.gateway, sizeof r.gateway);
        out.u8(r.metric);
        out.u8(r.interface);
    });
}

int IPSConvByteToDHCPTable(dhcp_tmp_s* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length, ipslan::kLeaseBytes, [](In& in, dhcp_tmp_s& r) {
        in.raw(r.address, sizeof r.address);
        in.raw(r.hardware, sizeof r.hardware);
        r.dynamic = in.u8();
        r.lease = static_cast<std::int32_t>(in.u32());
    });
}

int IPSConvByteToLocalServer(LOCAL_S* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length, ipslan::kLocalServerBytes, [](In& in, LOCAL_S& r) {
        r.enabled = in.u8();
        in.raw(r.address, sizeof r.address);
        r.spare = in.u8();
        in.text(r.name, sizeof r.name);
        r.protocol = in.u8();
        r.externalPort = in.u16();
        r.internalPort = in.u16();
    });
}

int IPSConvLocalServerToByte(std::uint8_t* bytes, const LOCAL_S* record, std::size_t capacity) {
    return encode(bytes, record, capacity, ipslan::kLocalServerBytes,
                  [](Out& out, const LOCAL_S& r) {
                      out.u8(r.enabled);
                      out.raw(r.address, sizeof r.address);
                      out.u8(r.spare);
                      out.text(r.name, sizeof r.name);
                      out.u8(r.protocol);
                      out.u16(r.externalPort);
                      out.u16(r.internalPort);
                  });
}

int IPSConvByteToSpecialAP(SP_AP* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length, ipslan::kSpecialApBytes, [](In& in, SP_AP& r) {
        r.enabled = in.u8();
        in.text(r.name, sizeof r.name);
        r.outProtocol = in.u8();
        r.outStart = in.u16();
        r.outEnd = in.u16();
        r.inProtocol = in.u8();
        r.inStart = in.u16();
        r.inEnd = in.u16();
    });
}

int IPSConvSpecialAPToByte(std::uint8_t* bytes, const SP_AP* record, std::size_t capacity) {
    return encode(bytes, record, capacity, ipslan::kSpecialApBytes, [](Out& out, const SP_AP& r) {
        out.u8(r.enabled);
        out.text(r.name, sizeof r.name);
        out.u8(r.outProtocol);
        out.u16(r.outStart);
        out.u16(r.outEnd);
        out.u8(r.inProtocol);
        out.u16(r.inStart);
        out.u16(r.inEnd);
    });
}

int IPSConvExposedIPToByte(std::uint8_t* bytes, const VI_PC* record, std::size_t capacity) {
    return encode(bytes, record, capacity, ipslan::kExposedBytes, [](Out& out, const VI_PC& r) {
        out.u8(r.enabled);
        out.raw(r.address, sizeof r.address);
    });
}

int ConvByteToTCPUDP(TCPUDP_PORT* tcp, int& tcpCount, TCPUDP_PORT* udp, int& udpCount,
                     const std::uint8_t* tcpImage, const std::uint8_t* udpImage,
                     const std::uint32_t* values) {
    if (tcp == nullptr || udp == nullptr || tcpImage == nullptr || udpImage == nullptr ||
        values == nullptr) {
        tcpCount = 0;
        udpCount = 0;
        return 0;
    }
    udpCount = heldCount(udpCount, ipslan::kMaxUserPorts);
    tcpCount = heldCount(tcpCount, ipslan::kMaxUserPorts - udpCount);
    for (int i = 0; i < udpCount; ++i) {
        udp[i] = TCPUDP_PORT{};
        std::memcpy(udp[i].name, udpImage + i * ipslan::kPortNameBytes, ipslan::kPortNameBytes);
        udp[i].port = static_cast<std::uint16_t>(values[i] >> 16);
    }
    for (int j = 0; j < tcpCount; ++j) {
        tcp[j] = TCPUDP_PORT{};
        std::memcpy(tcp[j].name, tcpImage + j * ipslan::kPortNameBytes, ipslan::kPortNameBytes);
        tcp[j].port = static_cast<std::uint16_t>(values[udpCount + j] & 0xffff);
    }
    return udpCount + tcpCount;
}

int ConvTCPUDPToByte(std::uint8_t* tcpImage, std::uint8_t* udpImage, std::uint32_t* values,
                     const TCPUDP_PORT* tcp, int tcpCount, const TCPUDP_PORT* udp, int udpCount) {
    if (tcpImage == nullptr || udpImage == nullptr || values == nullptr ||
        (tcp == nullptr && tcpCount > 0) || (udp == nullptr && udpCount > 0)) {
        return 0;
    }
    udpCount = heldCount(udpCount, ipslan::kMaxUserPorts);
    tcpCount = heldCount(tcpCount, ipslan::kMaxUserPorts - udpCount);
    for (int i = 0; i < udpCount; ++i) {
        putPortName(udpImage + i * ipslan::kPortNameBytes, udp[i]);
        values[i] = static_cast<std::uint32_t>(udp[i].port) << 16;
    }
    for (int j = 0; j < tcpCount; ++j) {
        putPortName(tcpImage + j * ipslan::kPortNameBytes, tcp[j]);
        values[udpCount + j] = tcp[j].port;
    }
    return udpCount + tcpCount;
}
