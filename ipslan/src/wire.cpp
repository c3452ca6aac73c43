#include "ipslan/wire.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "byte_cursor.h"

namespace ipslan::wire {
namespace {

constexpr std::size_t kMaxOidParts = 128;

// The writer and the reader offer the same calls, so one field list per
// message (its Body below) serves both directions.

// Owns the datagram the writer below fills; a base so that it is built first.
struct Datagram {
    explicit Datagram(std::size_t size) : image(size, 0) {}
    std::vector<std::uint8_t> image;
};

class Writer : private Datagram, public detail::ByteWriter<std::endian::big> {
public:
    explicit Writer(std::size_t size) : Datagram(size), ByteWriter(image) {}

    template <typename T> void field(const T& value) { number(value); }
    void bytes(const HardwareAddress& value) { raw(value); }
    // A text that does not fit with its NUL, or holds a NUL itself, fails
    // the message.
    void text(const std::string& value, std::size_t width) {
        const auto area = take(width);
        if (value.size() >= width || value.find('\0') != std::string::npos) {
            ok_ = false;
            return;
        }
        std::copy(value.begin(), value.end(), area.begin());
    }
    // The datagram starts zeroed; the padding stays so.
    void padding() { skip(remaining()); }
    void header(MessageKind kind) {
        raw(kMagic);
        u8(kProtocolVersion);
        u8(static_cast<std::uint8_t>(kind));
        u16(0);
    }
    std::vector<std::uint8_t> finish() {
        return ok_ ? std::move(image) : std::vector<std::uint8_t>{};
    }

private:
    bool ok_ = true;
};

bool allZero(std::span<const std::uint8_t> area) {
    return std::all_of(area.begin(), area.end(), [](std::uint8_t b) { return b == 0; });
}

// Reads a datagram already checked to have the exact size of its kind; a
// text without its NUL or with bytes after it, or padding that is not zero,
// fails the message.
class Reader : public detail::ByteReader<std::endian::big> {
public:
    using ByteReader::ByteReader;

    template <typename T> void field(T& value) { value = number<T>(); }
    void bytes(HardwareAddress& value) { raw(value); }
    void text(std::string& value, std::size_t width) {
        const auto area = take(width);
        const auto nul = std::find(area.begin(), area.end(), std::uint8_t{0});
        if (nul == area.end() || !allZero({nul, area.end()})) {
            ok_ = false;
            return;
        }
        value.assign(area.begin(), nul);
    }
    void padding() { ok_ = ok_ && allZero(take(remaining())); }
    bool ok() const { return ok_; }

private:
    bool ok_ = true;
};

// Each message's kind, size and fields after the header, in datagram order.
// `M` is the message, const when it is written out.
template <typename Message> struct Body;

template <> struct Body<BrowseRequest> {
    static constexpr MessageKind kKind = MessageKind::BrowseRequest;
    static constexpr std::size_t kSize = kBrowseRequestSize;
    template <typename Cursor, typename M> static void fields(Cursor& c, M& m) {
        c.field(m.requestId);
    }
};

template <> struct Body<BrowseReply> {
    static constexpr MessageKind kKind = MessageKind::BrowseReply;
    static constexpr std::size_t kSize = kBrowseReplySize;
    template <typename Cursor, typename M> static void fields(Cursor& c, M& m) {
        c.field(m.requestId);
        c.text(m.name, kNameField);
        c.text(m.password, kPasswordField);
        c.field(m.family);
        c.field(m.ip);
        c.field(m.netmask);
        c.bytes(m.hardware);
        c.field(m.snmpPort);
        c.text(m.firmware, kFirmwareField);
        c.padding();
    }
};

template <> struct Body<SetIpRequest> {
    static constexpr MessageKind kKind = MessageKind::SetIpRequest;
    static constexpr std::size_t kSize = kSetIpRequestSize;
    template <typename Cursor, typename M> static void fields(Cursor& c, M& m) {
        c.field(m.requestId);
        c.bytes(m.hardware);
        c.field(m.newIp);
        c.field(m.newNetmask);
        c.field(m.flag);
    }
};

template <> struct Body<SetIpAck> {
    static constexpr MessageKind kKind = MessageKind::SetIpAck;
    static constexpr std::size_t kSize = kSetIpAckSize;
    template <typename Cursor, typename M> static void fields(Cursor& c, M& m) {
        c.field(m.requestId);
        c.bytes(m.hardware);
        c.field(m.status);
        c.field(m.ip);
    }
};

// Where the request id starts: magic, version, kind and the reserved bytes
// come first, and peekKind has checked them all.
constexpr std::size_t kRequestIdOffset = 8;

template <typename Message> std::vector<std::uint8_t> encodeMessage(const Message& message) {
    Writer w(Body<Message>::kSize);
    w.header(Body<Message>::kKind);
    Body<Message>::fields(w, message);
    return w.finish();
}

// Checks header and exact size, then reads the body.
template <typename Message>
std::optional<Message> decodeMessage(std::span<const std::uint8_t> datagram) {
    if (datagram.size() != Body<Message>::kSize || peekKind(datagram) != Body<Message>::kKind) {
        return std::nullopt;
    }
    Reader r(datagram);
    r.skip(kRequestIdOffset);
    Message message;
    Body<Message>::fields(r, message);
    if (!r.ok()) {
        return std::nullopt;
    }
    return message;
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
    return encodeMessage(message);
}

std::vector<std::uint8_t> encode(const BrowseReply& message) {
    return encodeMessage(message);
}

std::vector<std::uint8_t> encode(const SetIpRequest& message) {
    return encodeMessage(message);
}

std::vector<std::uint8_t> encode(const SetIpAck& message) {
    return encodeMessage(message);
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
    return decodeMessage<BrowseRequest>(datagram);
}

std::optional<BrowseReply> decodeBrowseReply(std::span<const std::uint8_t> datagram) {
    return decodeMessage<BrowseReply>(datagram);
}

std::optional<SetIpRequest> decodeSetIpRequest(std::span<const std::uint8_t> datagram) {
    return decodeMessage<SetIpRequest>(datagram);
}

std::optional<SetIpAck> decodeSetIpAck(std::span<const std::uint8_t> datagram) {
    return decodeMessage<SetIpAck>(datagram);
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
