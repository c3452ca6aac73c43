#include "ipslan/wire.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "byte_cursor.h"

namespace ipslan::wire {
namespace {

constexpr std::size_t kMaxOidParts = 128;

// Owns the datagram the writer below fills; a base so that it is built first.
struct Datagram {
    explicit Datagram(std::size_t size) : bytes(size, 0) {}
    std::vector<std::uint8_t> bytes;
};

class Writer : private Datagram, public detail::ByteWriter<std::endian::big> {
public:
    explicit Writer(std::size_t size) : Datagram(size), ByteWriter(bytes) {}

    // False when the text does not fit with its NUL or holds a NUL itself.
    bool text(const std::string& value, std::size_t field) {
        if (value.size() >= field || value.find('\0') != std::string::npos) {
            return false;
        }
        std::copy(value.begin(), value.end(), take(field).begin());
        return true;
    }
    void header(MessageKind kind, std::uint32_t requestId) {
        raw(kMagic);
        u8(kProtocolVersion);
        u8(static_cast<std::uint8_t>(kind));
        u16(0);
        u32(requestId);
    }
    std::vector<std::uint8_t> take() { return std::move(bytes); }
    using ByteWriter::take;
};

bool allZero(std::span<const std::uint8_t> area) {
    return std::all_of(area.begin(), area.end(), [](std::uint8_t b) { return b == 0; });
}

// Reads a datagram already checked to have the exact size of its kind.
class Reader : public detail::ByteReader<std::endian::big> {
public:
    using ByteReader::ByteReader;

    std::optional<std::string> text(std::size_t field) {
        const auto area = take(field);
        const auto nul = std::find(area.begin(), area.end(), std::uint8_t{0});
        if (nul == area.end() || !allZero({nul, area.end()})) {
            return std::nullopt;
        }
        return std::string(area.begin(), nul);
    }
    // Moves past count bytes; false when any of them is not zero.
    bool zeros(std::size_t count) { return allZero(take(count)); }
};

// Where the request id starts: magic, version, kind and the reserved bytes
// come first, and peekKind has checked them all.
constexpr std::size_t kRequestIdOffset = 8;

// Checks header and exact size; on success returns a reader placed at the
// request id.
std::optional<Reader> open(std::span<const std::uint8_t> datagram, MessageKind kind,
                           std::size_t size) {
    if (datagram.size() != size || peekKind(datagram) != kind) {
        return std::nullopt;
    }
    Reader reader(datagram);
    reader.skip(kRequestIdOffset);
    return reader;
}

} // namespace

std::string oidToText(std::span<const std::uint32_t> oid) {
    std::string text;
    for (std::size_t i = 0; i < oid.size(); ++i) {
        if (i != 0) {
            text += '.';
        }
        text += std::to_string(oid[i]);
    }
    return text;
}

std::optional<std::vector<std::uint32_t>> oidFromText(std::string_view text) {
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> parts;
    const char* pos = text.data();
    const char* end = text.data() + text.size();
    while (true) {
        if (pos == end || *pos < '0' || *pos > '9' || parts.size() == kMaxOidParts) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        const auto [next, error] = std::from_chars(pos, end, value);
        if (error != std::errc{}) {
            return std::nullopt;
        }
        parts.push_back(value);
        pos = next;
        if (pos == end) {
            return parts;
        }
        if (*pos != '.') {
            return std::nullopt;
        }
        ++pos;
    }
}

std::vector<std::uint8_t> encode(const BrowseRequest& message) {
    Writer w(kBrowseRequestSize);
    w.header(MessageKind::BrowseRequest, message.requestId);
    return w.take();
}

std::vector<std::uint8_t> encode(const BrowseReply& message) {
    Writer w(kBrowseReplySize);
    w.header(MessageKind::BrowseReply, message.requestId);
    if (!w.text(message.name, kNameField) || !w.text(message.password, kPasswordField)) {
        return {};
    }
    w.u8(message.family);
    w.u32(message.ip);
    w.u32(message.netmask);
    w.raw(message.hardware);
    w.u16(message.snmpPort);
    if (!w.text(message.firmware, kFirmwareField)) {
        return {};
    }
    return w.take();
}

std::vector<std::uint8_t> encode(const SetIpRequest& message) {
    Writer w(kSetIpRequestSize);
    w.header(MessageKind::SetIpRequest, message.requestId);
    w.raw(message.hardware);
    w.u32(message.newIp);
    w.u32(message.newNetmask);
    w.u8(message.flag);
    return w.take();
}

std::vector<std::uint8_t> encode(const SetIpAck& message) {
    Writer w(kSetIpAckSize);
    w.header(MessageKind::SetIpAck, message.requestId);
    w.raw(message.hardware);
    w.u8(message.status);
    w.u32(message.ip);
    return w.take();
}

std::optional<MessageKind> peekKind(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < kHeaderSize ||
        !std::equal(kMagic.begin(), kMagic.end(), datagram.begin()) ||
        datagram[4] != kProtocolVersion || datagram[6] != 0 || datagram[7] != 0) {
        return std::nullopt;
    }
    const std::uint8_t kind = datagram[5];
    if (kind < static_cast<std::uint8_t>(MessageKind::BrowseRequest) ||
        kind > static_cast<std::uint8_t>(MessageKind::SetIpAck)) {
        return std::nullopt;
    }
    return static_cast<MessageKind>(kind);
}

std::optional<BrowseRequest> decodeBrowseRequest(std::span<const std::uint8_t> datagram) {
    auto r = open(datagram, MessageKind::BrowseRequest, kBrowseRequestSize);
    if (!r) {
        return std::nullopt;
    }
    return BrowseRequest{r->u32()};
}

std::optional<BrowseReply> decodeBrowseReply(std::span<const std::uint8_t> datagram) {
    auto r = open(datagram, MessageKind::BrowseReply, kBrowseReplySize);
    if (!r) {
        return std::nullopt;
    }
    BrowseReply reply;
    reply.requestId = r->u32();
    auto name = r->text(kNameField);
    auto password = r->text(kPasswordField);
    if (!name || !password) {
        return std::nullopt;
    }
    reply.name = std::move(*name);
    reply.password = std::move(*password);
    reply.family = r->u8();
    reply.ip = r->u32();
    reply.netmask = r->u32();
    r->raw(reply.hardware);
    reply.snmpPort = r->u16();
    auto firmware = r->text(kFirmwareField);
    if (!firmware || !r->zeros(kBrowseReplySize - 78)) {
        return std::nullopt;
    }
    reply.firmware = std::move(*firmware);
    return reply;
}

std::optional<SetIpRequest> decodeSetIpRequest(std::span<const std::uint8_t> datagram) {
    auto r = open(datagram, MessageKind::SetIpRequest, kSetIpRequestSize);
    if (!r) {
        return std::nullopt;
    }
    SetIpRequest request;
    request.requestId = r->u32();
    r->raw(request.hardware);
    request.newIp = r->u32();
    request.newNetmask = r->u32();
    request.flag = r->u8();
    return request;
}

std::optional<SetIpAck> decodeSetIpAck(std::span<const std::uint8_t> datagram) {
    auto r = open(datagram, MessageKind::SetIpAck, kSetIpAckSize);
    if (!r) {
        return std::nullopt;
    }
    SetIpAck ack;
    ack.requestId = r->u32();
    r->raw(ack.hardware);
    ack.status = r->u8();
    ack.ip = r->u32();
    return ack;
}

std::optional<Ipv4> parseIpv4(std::string_view text) {
    Ipv4 address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part != 0) {
            if (text.empty() || text.front() != '.') {
                return std::nullopt;
            }
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            ++digits;
        }
        if (digits == 0 || digits > 3) {
            return std::nullopt;
        }
        unsigned value = 0;
        std::from_chars(text.data(), text.data() + digits, value);
        if (value > 255) {
            return std::nullopt;
        }
        address = address << 8 | value;
        text.remove_prefix(digits);
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    return address;
}

std::string formatIpv4(Ipv4 address) {
    return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 0xff) + '.' +
           std::to_string(address >> 8 & 0xff) + '.' + std::to_string(address & 0xff);
}

} // namespace ipslan::wire
