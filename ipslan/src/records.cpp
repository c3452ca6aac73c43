#include "ipslan/records.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "byte_cursor.h"

namespace {

// The two cursors offer the same calls, so one field list per record (its
// Layout below) serves both directions: the reader fills the record, the
// writer emits it.

// Walks a byte form field by field, writing the record's fields out.
class Out : public ipslan::detail::ByteWriter<std::endian::little> {
public:
    using ByteWriter::ByteWriter;

    // Numbers of any width, signed ones in two's complement.
    template <typename T> void field(const T& value) {
        number(static_cast<std::make_unsigned_t<T>>(value));
    }
    template <std::size_t N> void bytes(const std::uint8_t (&data)[N]) { raw(data); }
    // Copies up to the NUL, cut to N - 1, zero-padded.
    template <std::size_t N> void text(const char (&chars)[N]) {
        const auto area = take(N);
        const std::size_t used = strnlen(chars, N - 1);
        std::memcpy(area.data(), chars, used);
        std::fill(area.begin() + static_cast<std::ptrdiff_t>(used), area.end(), std::uint8_t{0});
    }
};

// Reads a byte form known to be complete; remembers a text without a NUL.
class In : public ipslan::detail::ByteReader<std::endian::little> {
public:
    using ByteReader::ByteReader;

    template <typename T> void field(T& value) {
        value = static_cast<T>(number<std::make_unsigned_t<T>>());
    }
    template <std::size_t N> void bytes(std::uint8_t (&data)[N]) { raw(data); }
    template <std::size_t N> void text(char (&chars)[N]) {
        const auto area = take(N);
        const auto nul = std::find(area.begin(), area.end(), std::uint8_t{0});
        if (nul == area.end()) {
            valid_ = false;
        } else {
            std::memset(chars, 0, N);
            std::copy(area.begin(), nul, chars);
        }
    }
    bool valid() const { return valid_; }

private:
    bool valid_ = true;
};

// Each record's byte form: its size and its fields in byte order. `R` is the
// record, const when it is written out. Padding bytes are not listed.
template <typename Record> struct Layout;

template <> struct Layout<UserInfo> {
    static constexpr std::size_t kSize = ipslan::kUserBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.text(r.name);
        c.text(r.password);
        c.field(r.flags);
        c.field(r.timeLimit);
        c.text(r.callback);
    }
};

template <> struct Layout<WkInfo> {
    static constexpr std::size_t kSize = ipslan::kStationBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.bytes(r.hardware);
        c.text(r.name);
        c.bytes(r.address);
        c.field(r.reserve);
        c.field(r.group);
    }
};

template <> struct Layout<S_GPCFG> {
    static constexpr std::size_t kSize = ipslan::kGroupBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.field(r.wellKnownMask);
        c.field(r.userPortMask);
        c.field(r.mode);
        c.bytes(r.spare);
    }
};

template <> struct Layout<S_ROUTE> {
    static constexpr std::size_t kSize = ipslan::kRouteBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.text(r.name);
        c.bytes(r.destination);
        c.bytes(r.netmask);
        c.bytes(r.gateway);
        c.field(r.metric);
        c.field(r.interface);
    }
};

template <> struct Layout<dhcp_tmp_s> {
    static constexpr std::size_t kSize = ipslan::kLeaseBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.bytes(r.address);
        c.bytes(r.hardware);
        c.field(r.dynamic);
        c.field(r.lease);
    }
};

template <> struct Layout<LOCAL_S> {
    static constexpr std::size_t kSize = ipslan::kLocalServerBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.field(r.enabled);
        c.bytes(r.address);
        c.field(r.spare);
        c.text(r.name);
        c.field(r.protocol);
        c.field(r.externalPort);
        c.field(r.internalPort);
    }
};

template <> struct Layout<SP_AP> {
    static constexpr std::size_t kSize = ipslan::kSpecialApBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.field(r.enabled);
        c.text(r.name);
        c.field(r.outProtocol);
        c.field(r.outStart);
        c.field(r.outEnd);
        c.field(r.inProtocol);
        c.field(r.inStart);
        c.field(r.inEnd);
    }
};

template <> struct Layout<VI_PC> {
    static constexpr std::size_t kSize = ipslan::kExposedBytes;
    template <typename Cursor, typename R> static void fields(Cursor& c, R& r) {
        c.field(r.enabled);
        c.bytes(r.address);
    }
};

template <typename Record>
int decode(Record* record, const std::uint8_t* bytes, std::size_t length) {
    constexpr std::size_t size = Layout<Record>::kSize;
    if (record == nullptr) {
        return 0;
    }
    Record result{};
    if (bytes == nullptr || length < size) {
        *record = result;
        return 0;
    }
    In in({bytes, size});
    Layout<Record>::fields(in, result);
    if (!in.valid()) {
        *record = Record{};
        return 0;
    }
    *record = result;
    return static_cast<int>(size);
}

template <typename Record>
int encode(std::uint8_t* bytes, const Record* record, std::size_t capacity) {
    constexpr std::size_t size = Layout<Record>::kSize;
    if (bytes == nullptr || record == nullptr || capacity < size) {
        return 0;
    }
    Out out({bytes, size});
    Layout<Record>::fields(out, *record);
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
    return decode(record, bytes, length);
}
int IPSConvUserToByte(std::uint8_t* bytes, const UserInfo* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
}

int IPSConvByteToStation(WkInfo* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length);
}
int IPSConvStationToByte(std::uint8_t* bytes, const WkInfo* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
}

int IPSConvByteToGroup(S_GPCFG* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length);
}
int IPSConvGroupToByte(std::uint8_t* bytes, const S_GPCFG* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
}

int IPSConvByteToRoute(S_ROUTE* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length);
}
int IPSConvRouteToByte(std::uint8_t* bytes, const S_ROUTE* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
}

int IPSConvByteToDHCPTable(dhcp_tmp_s* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length);
}
int IPSConvDHCPTableToByte(std::uint8_t* bytes, const dhcp_tmp_s* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
}

int IPSConvByteToLocalServer(LOCAL_S* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length);
}
int IPSConvLocalServerToByte(std::uint8_t* bytes, const LOCAL_S* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
}

int IPSConvByteToSpecialAP(SP_AP* record, const std::uint8_t* bytes, std::size_t length) {
    return decode(record, bytes, length);
}
int IPSConvSpecialAPToByte(std::uint8_t* bytes, const SP_AP* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
}

int IPSConvExposedIPToByte(std::uint8_t* bytes, const VI_PC* record, std::size_t capacity) {
    return encode(bytes, record, capacity);
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
