#include "device/value_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <ipslan/records.h>

#include "device/config_store.h"

namespace tolvaro::device {
namespace {

using namespace ipslan;

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string fieldText(const char* field, std::size_t width) {
    return std::string(field, strnlen(field, width));
}

std::string dotted(const std::uint8_t* octets) {
    char out[20];
    std::snprintf(out, sizeof out, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return out;
}

std::string onOff(long value) {
    return value != 0 ? "on" : "off";
}

std::string protocolOf(std::uint8_t protocol) {
    return protocol == 0 ? "UDP" : "TCP";
}

long integerOf(const _snmp_packet& entry) {
    // Integers travel as NUL-terminated decimal text whatever the length word.
    const std::string text = entryText(entry);
    return std::strtol(text.c_str(), nullptr, 10);
}

std::string_view valueBytes(const _snmp_packet& entry) {
    return {reinterpret_cast<const char*>(entry.value), entryLength(entry)};
}

} // namespace

std::string hexPairs(const std::uint8_t* bytes, std::size_t count, char separator) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        if (i != 0 && separator != 0)
            out += separator;
        out += pair;
    }
    return out;
}

std::string scalarValue(Shown shown, const _snmp_packet& entry) {
    const std::string_view bytes = valueBytes(entry);
    switch (shown) {
    case Shown::Number:
        return std::to_string(integerOf(entry));
    case Shown::OnOff:
        return onOff(integerOf(entry));
    case Shown::OffSwitch:
        return onOff(integerOf(entry) == 0);
    case Shown::Flags: {
        char out[16];
        std::snprintf(out, sizeof out, "0x%02lx", static_cast<unsigned long>(integerOf(entry)));
        return out;
    }
    case Shown::Text:
        return quoted(entryText(entry).substr(0, bytes.size()));
    case Shown::Address:
        return entryText(entry).substr(0, bytes.size());
    case Shown::Secret:
        return entryText(entry).empty() ? "(empty)" : "(set)";
    case Shown::Hardware:
        return hexPairs(entry.value, std::min<std::size_t>(bytes.size(), 6), '-');
    case Shown::PortValue: {
        const auto value = static_cast<std::uint32_t>(integerOf(entry));
        if (value == 0)
            return "none";
        if ((value & 0xffffu) != 0)
            return "TCP " + std::to_string(value & 0xffffu);
        return "UDP " + std::to_string(value >> 16);
    }
    case Shown::Table:
        break;
    }
    return hexPairs(entry.value, bytes.size(), ' ');
}

std::vector<std::string> decodeUser(const std::uint8_t* bytes, std::size_t length) {
    UserInfo u{};
    if (IPSConvByteToUser(&u, bytes, length) == 0)
        return {};
    const int callBack = (u.flags >> 3) & 3;
    static constexpr std::array<const char*, 4> kCallBack = {"Disable", "Roaming",
                                                             "Fixed - Tel No.", "3"};
    return {fieldText(u.name, sizeof u.name),
            fieldText(u.password, sizeof u.password),
            onOff(u.flags & 0x02),
            std::to_string(u.timeLimit),
            kCallBack[static_cast<std::size_t>(callBack)],
            quoted(fieldText(u.callback, sizeof u.callback))};
}

std::vector<std::string> decodeGroup(const std::uint8_t* bytes, std::size_t length) {
    S_GPCFG g{};
    if (IPSConvByteToGroup(&g, bytes, length) == 0)
        return {};
    static constexpr std::array<const char*, 3> kAccess = {"No Restriction", "Block all access",
                                                           "Use List Below"};
    char well[16], user[16];
    std::snprintf(well, sizeof well, "0x%08x", g.wellKnownMask);
    std::snprintf(user, sizeof user, "0x%08x", g.userPortMask);
    return {g.mode < kAccess.size() ? kAccess[g.mode] : std::to_string(g.mode), well, user};
}

std::vector<std::string> decodePortName(const std::uint8_t* bytes, std::size_t length) {
    if (length < kPortNameBytes)
        return {};
    return {quoted(fieldText(reinterpret_cast<const char*>(bytes), kPortNameBytes))};
}

std::vector<std::string> decodeStation(const std::uint8_t* bytes, std::size_t length) {
    WkInfo w{};
    if (IPSConvByteToStation(&w, bytes, length) == 0)
        return {};
    return {quoted(fieldText(w.name, sizeof w.name)), hexPairs(w.hardware, 6, '-'),
            dotted(w.address), onOff(w.reserve),
            w.group == 0 ? std::string("Everyone") : "Group" + std::to_string(w.group)};
}

std::vector<std::string> decodeRoute(const std::uint8_t* bytes, std::size_t length) {
    S_ROUTE r{};
    if (IPSConvByteToRoute(&r, bytes, length) == 0)
        return {};
    return {quoted(fieldText(r.name, sizeof r.name)),
            dotted(r.destination),
            dotted(r.netmask),
            dotted(r.gateway),
            std::to_string(r.metric),
            r.interface == 0 ? "LAN" : "WAN"};
}

std::vector<std::string> decodeServer(const std::uint8_t* bytes, std::size_t length) {
    LOCAL_S s{};
    if (IPSConvByteToLocalServer(&s, bytes, length) == 0)
        return {};
    return {onOff(s.enabled),
            dotted(s.address),
            quoted(fieldText(s.name, sizeof s.name)),
            protocolOf(s.protocol),
            std::to_string(s.externalPort),
            std::to_string(s.internalPort)};
}

std::vector<std::string> decodeSpecial(const std::uint8_t* bytes, std::size_t length) {
    SP_AP a{};
    if (IPSConvByteToSpecialAP(&a, bytes, length) == 0)
        return {};
    return {onOff(a.enabled),          quoted(fieldText(a.name, sizeof a.name)),
            protocolOf(a.outProtocol), std::to_string(a.outStart),
            std::to_string(a.outEnd),  protocolOf(a.inProtocol),
            std::to_string(a.inStart), std::to_string(a.inEnd)};
}

std::vector<std::string> decodeExposed(const std::uint8_t* bytes, std::size_t length) {
    if (length < kExposedBytes)
        return {};
    return {onOff(bytes[0]), dotted(bytes + 1)};
}

std::vector<std::string> decodeLease(const std::uint8_t* bytes, std::size_t length) {
    dhcp_tmp_s l{};
    if (IPSConvByteToDHCPTable(&l, bytes, length) == 0)
        return {};
    return {dotted(l.address), hexPairs(l.hardware, 6, '-'), onOff(l.dynamic),
            l.lease < 0 ? std::string("none") : std::to_string(l.lease)};
}

std::vector<std::string> decodeOpaque(const std::uint8_t* bytes, std::size_t length) {
    return {hexPairs(bytes, length, ' ')};
}

std::vector<std::string> decodeNothing(const std::uint8_t*, std::size_t) {
    return {};
}

} // namespace tolvaro::device
