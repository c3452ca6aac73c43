// Wire definitions shared by the library and the simulated router, so that
// the two cannot drift: where router variables live in the SNMP object tree,
// and the small UDP protocol used for discovery and address assignment.
//
// OIDs
// ----
// Every router variable lives under one private subtree:
//
//     1.3.6.1.4.1.32473.1.<mode>.<variable>.0
//
// 32473 is the enterprise number reserved for examples and documentation,
// so it can never collide with a real vendor's tree. <mode> is 0 or 1 (the
// mode-1 block is a separate view of the same numbers), <variable> is the
// router's variable number (0..65535) and the trailing 0 is the scalar
// instance. OIDs are built and parsed by hand: no MIB files are involved.
//
// Discovery protocol, version 1
// -----------------------------
// All datagrams start with a 12-byte header; multi-byte numbers are big
// endian (network order); IPv4 addresses are 4 bytes, most significant first.
//
//     offset size  field
//     0      4     magic "TVDP"
//     4      1     version (1)
//     5      1     kind (MessageKind)
//     6      2     reserved, 0
//     8      4     request id: chosen by the client, echoed by the router
//
// Bodies by kind, each of exactly the size given (anything longer or shorter
// is rejected):
//
//   BrowseRequest (1): no body; 12 bytes in all. Sent to a broadcast
//     address or a unicast target on the discovery port.
//
//   BrowseReply (2): 88 bytes in all. Sent back to the requester's address.
//     12     20    name, NUL-terminated within the field
//     32     13    administrator password, NUL-terminated within the field
//     45     1     family byte (1 first catalogue, other second)
//     46     4     router IP address
//     50     4     network mask
//     54     6     hardware address
//     60     2     SNMP port the router answers on
//     62     16    firmware version text, NUL-terminated within the field
//     78     10    reserved, 0
//
//   SetIpRequest (3): 27 bytes in all. Broadcast like BrowseRequest; only
//     the router with the given hardware address acts on it.
//     12     6     hardware address of the addressed router
//     18     4     new IP address
//     22     4     new network mask
//     26     1     flag (as given by the caller; 1 in practice)
//
//   SetIpAck (4): 23 bytes in all. Sent back by the addressed router.
//     12     6     hardware address of the router
//     18     1     status: 0 accepted, anything else refused
//     19     4     the IP address now in effect
//
// A text field is valid only when a NUL occurs inside it; the bytes after the
// first NUL must be zero as well, so that a datagram has one encoding.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ipslan::wire {

// ---- OIDs -------------------------------------------------------------------

inline constexpr std::array<std::uint32_t, 8> kPrivateSubtree = {1, 3, 6, 1, 4, 1, 32473, 1};
inline constexpr std::size_t kVariableOidLength = kPrivateSubtree.size() + 3;
inline constexpr int kMaxVariable = 0xffff;
inline constexpr int kMaxMode = 1;

using VariableOid = std::array<std::uint32_t, kVariableOidLength>;

struct VariableRef {
    int variable = 0;
    int mode = 0;
    friend auto operator<=>(const VariableRef&, const VariableRef&) = default;
};

inline constexpr bool isValidVariable(int variable, int mode) {
    return variable >= 0 && variable <= kMaxVariable && mode >= 0 && mode <= kMaxMode;
}

// The OID of a variable; nullopt when the number or mode is out of range.
inline std::optional<VariableOid> variableOid(int variable, int mode) {
    if (!isValidVariable(variable, mode)) {
        return std::nullopt;
    }
    VariableOid oid{};
    std::size_t i = 0;
    for (std::uint32_t part : kPrivateSubtree) {
        oid[i++] = part;
    }
    oid[i++] = static_cast<std::uint32_t>(mode);
    oid[i++] = static_cast<std::uint32_t>(variable);
    oid[i] = 0;
    return oid;
}

// The variable an OID names; nullopt for anything outside the subtree, of
// another length, without the scalar instance 0, or out of range. Templated
// on the sub-identifier type so that Net-SNMP's `oid` arrays go in directly.
template <typename Id>
std::optional<VariableRef> variableFromOid(const Id* oid, std::size_t length) {
    if (oid == nullptr || length != kVariableOidLength) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kPrivateSubtree.size(); ++i) {
        if (oid[i] != kPrivateSubtree[i]) {
            return std::nullopt;
        }
    }
    const Id mode = oid[kPrivateSubtree.size()];
    const Id variable = oid[kPrivateSubtree.size() + 1];
    if (oid[kPrivateSubtree.size() + 2] != 0 || mode > static_cast<Id>(kMaxMode) ||
        variable > static_cast<Id>(kMaxVariable)) {
        return std::nullopt;
    }
    return VariableRef{static_cast<int>(variable), static_cast<int>(mode)};
}

// Dotted numeric text of an OID, e.g. "1.3.6.1.4.1.32473.1.0.16385.0".
std::string oidToText(std::span<const std::uint32_t> oid);

// Parses dotted numeric text (an optional leading "." is allowed); nullopt for
// empty parts, non-digits, sub-identifiers above 2^32-1 or more than 128 parts.
std::optional<std::vector<std::uint32_t>> oidFromText(std::string_view text);

// ---- Discovery protocol -------------------------------------------------------

inline constexpr std::uint16_t kDefaultDiscoveryPort = 3721;
inline constexpr std::array<std::uint8_t, 4> kMagic = {'T', 'V', 'D', 'P'};
inline constexpr std::uint8_t kProtocolVersion = 1;
inline constexpr std::size_t kHeaderSize = 12;

inline constexpr std::size_t kNameField = 20;
inline constexpr std::size_t kPasswordField = 13;
inline constexpr std::size_t kFirmwareField = 16;

inline constexpr std::size_t kBrowseRequestSize = kHeaderSize;
inline constexpr std::size_t kBrowseReplySize = 88;
inline constexpr std::size_t kSetIpRequestSize = 27;
inline constexpr std::size_t kSetIpAckSize = 23;
// Receive buffers bigger than any valid datagram, so oversize ones are seen
// as oversize instead of being silently truncated to a valid length.
inline constexpr std::size_t kMaxDatagram = 512;

enum class MessageKind : std::uint8_t {
    BrowseRequest = 1,
    BrowseReply = 2,
    SetIpRequest = 3,
    SetIpAck = 4,
};

using HardwareAddress = std::array<std::uint8_t, 6>;
// IPv4 addresses and masks in host order: 192.168.1.1 is 0xc0a80101.
using Ipv4 = std::uint32_t;

struct BrowseRequest {
    std::uint32_t requestId = 0;
    friend bool operator==(const BrowseRequest&, const BrowseRequest&) = default;
};

struct BrowseReply {
    std::uint32_t requestId = 0;
    std::string name;     // at most kNameField - 1 characters, no NUL
    std::string password; // at most kPasswordField - 1
    std::uint8_t family = 2;
    Ipv4 ip = 0;
    Ipv4 netmask = 0;
    HardwareAddress hardware{};
    std::uint16_t snmpPort = 161;
    std::string firmware; // at most kFirmwareField - 1
    friend bool operator==(const BrowseReply&, const BrowseReply&) = default;
};

struct SetIpRequest {
    std::uint32_t requestId = 0;
    HardwareAddress hardware{};
    Ipv4 newIp = 0;
    Ipv4 newNetmask = 0;
    std::uint8_t flag = 1;
    friend bool operator==(const SetIpRequest&, const SetIpRequest&) = default;
};

struct SetIpAck {
    std::uint32_t requestId = 0;
    HardwareAddress hardware{};
    std::uint8_t status = 0; // 0 accepted
    Ipv4 ip = 0;
    friend bool operator==(const SetIpAck&, const SetIpAck&) = default;
};

// Encoders return the datagram, or an empty vector when a text does not fit
// its field or contains a NUL (nothing is ever truncated silently).
std::vector<std::uint8_t> encode(const BrowseRequest& message);
std::vector<std::uint8_t> encode(const BrowseReply& message);
std::vector<std::uint8_t> encode(const SetIpRequest& message);
std::vector<std::uint8_t> encode(const SetIpAck& message);

// The kind of a datagram whose header is valid (magic, version, reserved
// bytes, a known kind); nullopt otherwise. Says nothing about the body.
std::optional<MessageKind> peekKind(std::span<const std::uint8_t> datagram);

// Strict decoders: nullopt unless the header is valid, the kind matches, the
// size is exactly the kind's size and every text field is NUL-terminated
// within its field with zero padding after the NUL.
std::optional<BrowseRequest> decodeBrowseRequest(std::span<const std::uint8_t> datagram);
std::optional<BrowseReply> decodeBrowseReply(std::span<const std::uint8_t> datagram);
std::optional<SetIpRequest> decodeSetIpRequest(std::span<const std::uint8_t> datagram);
std::optional<SetIpAck> decodeSetIpAck(std::span<const std::uint8_t> datagram);

// Dotted-decimal helpers shared by both sides: "a.b.c.d" with each part 0..255,
// 1 to 3 digits, nothing else; nullopt otherwise.
std::optional<Ipv4> parseIpv4(std::string_view text);
std::string formatIpv4(Ipv4 address);

} // namespace ipslan::wire
