#include "ipslan/variables.h"

#include <algorithm>
#include <array>

namespace ipslan {
namespace {

constexpr std::size_t kDotted = 15; // "255.255.255.255"
constexpr std::size_t kWhole = 1500;

constexpr VariableInfo integer(int variable, const char* name, unsigned families = kBothFamilies,
                               int mode = 0) {
    return {variable, mode, VarKind::Integer, 0, true, false, families, name};
}
constexpr VariableInfo text(int variable, std::size_t maxLength, const char* name, int mode = 0) {
    return {variable, mode, VarKind::Text, maxLength, true, false, kBothFamilies, name};
}
constexpr VariableInfo bytes(int variable, std::size_t maxLength, const char* name) {
    return {variable, 0, VarKind::Bytes, maxLength, true, false, kBothFamilies, name};
}
constexpr VariableInfo readOnly(VariableInfo info) {
    info.writable = false;
    return info;
}
constexpr VariableInfo keepOnEmpty(VariableInfo info) {
    info.keepOnEmpty = true;
    return info;
}

// Ordered by mode, then number, so lookups can binary-search.
constexpr auto kVariables = std::to_array<VariableInfo>({
    integer(0x0001, "reset"),
    readOnly(integer(0x0002, "ISDN link status")),
    integer(0x0003, "line command"),
    readOnly(bytes(0x0100, 6, "hardware address")),
    readOnly(bytes(0x0103, 6, "hardware ID")),
    readOnly(text(0x0104, 15, "firmware version")),
    text(0x0106, 12, "administrator password"),
    readOnly(bytes(0x1006, kWhole, "DHCP leases 1")),
    readOnly(bytes(0x1007, kWhole, "DHCP leases 2")),
    readOnly(bytes(0x1008, kWhole, "DHCP leases 3")),
    readOnly(bytes(0x1009, kWhole, "DHCP leases 4")),
    readOnly(text(0x1014, kWhole, "log 1")),
    readOnly(text(0x1015, kWhole, "log 2")),
    readOnly(text(0x1016, kWhole, "log 3")),
    readOnly(text(0x1017, kWhole, "log 4")),
    readOnly(text(0x1018, kWhole, "log 5")),
    readOnly(text(0x1019, kWhole, "log 6")),
    readOnly(text(0x1020, kWhole, "log 7")),
    readOnly(text(0x1021, kWhole, "log 8")),
    readOnly(text(0x1022, kWhole, "log 9")),
    readOnly(text(0x1023, kWhole, "connection status")),
    integer(0x3004, "DHCP server"),
    text(0x3005, kDotted, "DHCP pool end"),
    text(0x3006, kDotted, "DHCP pool start"),
    text(0x3012, kDotted, "DNS 1"),
    text(0x3013, kDotted, "DNS 2"),
    text(0x3014, kDotted, "DNS 3"),
    bytes(0x3201, 235, "users 1"),
    bytes(0x3202, 235, "users 2"),
    bytes(0x3203, 235, "users 3"),
    bytes(0x3204, 235, "users 4"),
    bytes(0x3205, 235, "users 5"),
    keepOnEmpty(bytes(0x3301, 96, "user UDP ports")),
    keepOnEmpty(bytes(0x3302, 96, "user TCP ports")),
    keepOnEmpty(bytes(0x3401, 12, "group Everyone")),
    keepOnEmpty(bytes(0x3402, 12, "group 1")),
    keepOnEmpty(bytes(0x3403, 12, "group 2")),
    keepOnEmpty(bytes(0x3404, 12, "group 3")),
    keepOnEmpty(bytes(0x3405, 12, "group 4")),
    bytes(0x3501, 220, "workstations 1"),
    bytes(0x3502, 220, "workstations 2"),
    bytes(0x3503, 220, "workstations 3"),
    bytes(0x3504, 220, "workstations 4"),
    bytes(0x3505, 220, "workstations 5"),
    bytes(0x3601, 240, "routes 1-10"),
    bytes(0x3602, 240, "routes 11-20"),
    keepOnEmpty(integer(0x3701, "port value 1")),
    keepOnEmpty(integer(0x3702, "port value 2")),
    keepOnEmpty(integer(0x3703, "port value 3")),
    keepOnEmpty(integer(0x3704, "port value 4")),
    keepOnEmpty(integer(0x3705, "port value 5")),
    keepOnEmpty(integer(0x3706, "port value 6")),
    keepOnEmpty(integer(0x3707, "port value 7")),
    keepOnEmpty(integer(0x3708, "port value 8")),
    keepOnEmpty(integer(0x3709, "port value 9")),
    keepOnEmpty(integer(0x370a, "port value 10")),
    keepOnEmpty(integer(0x3710, "port value 11")),
    keepOnEmpty(integer(0x3711, "port value 12")),
    keepOnEmpty(integer(0x3712, "port value 13")),
    keepOnEmpty(integer(0x3713, "port value 14")),
    keepOnEmpty(integer(0x3714, "port value 15")),
    keepOnEmpty(integer(0x3715, "port value 16")),
    integer(0x3716, "reserved"),
    bytes(0x3717, 210, "virtual servers"),
    integer(0x371a, "LAN-to-LAN switch"),
    bytes(0x371b, 1500, "reserved table"),
    bytes(0x371c, 210, "special applications"),
    bytes(0x371e, 5, "exposed computer"),
    integer(0x3801, "country"),
    integer(0x3804, "line speed"),
    integer(0x3806, "B-channel usage"),
    text(0x3809, 19, "outgoing MSN"),
    text(0x381c, 19, "outgoing SAD"),
    text(0x381f, 19, "incoming MSN"),
    text(0x3822, 19, "incoming SAD"),
    text(0x3823, 19, "SPID 1"),
    text(0x3824, 19, "SPID 2"),
    text(0x4001, kDotted, "WAN address"),
    text(0x4002, 61, "account name"),
    text(0x4003, 61, "account password"),
    text(0x4004, kDotted, "primary DNS"),
    text(0x4006, 30, "telephone 1"),
    integer(0x4008, "idle time-out (minutes)"),
    text(0x4009, 60, "initial string"),
    integer(0x400d, "dial-out flag"),
    text(0x4014, 30, "telephone 2"),
    text(0x4015, 30, "telephone 3"),
    integer(0x4017, "feature byte"),
    text(0x401a, 15, "LAN-to-LAN login name"),
    text(0x401b, 7, "LAN-to-LAN password"),
    text(0x401c, 61, "remote login name"),
    text(0x401d, 61, "remote login password"),
    text(0x401e, 31, "remote telephone"),
    text(0x401f, kDotted, "remote network"),
    text(0x4020, kDotted, "remote mask"),
    integer(0x4023, "authentication"),
    integer(0x4024, "idle time-out (seconds)", kFamily2),
    integer(0x4025, "answer WAN ping", kFamily2),
    integer(0x4026, "RIP 1", kFamily2),
    integer(0x4027, "remote management off", kFamily2),
    integer(0x4028, "web management port", kFamily2),
    integer(0x4029, "web management off", kFamily2),
    integer(0x402a, "utility management port", kFamily2),

    integer(0x371a, "LAN-to-LAN switch (incoming profile)", kBothFamilies, 1),
    integer(0x400d, "dial-out flag (incoming profile)", kBothFamilies, 1),
    integer(0x4017, "feature byte (incoming profile)", kBothFamilies, 1),
    integer(0x4018, "dial-in idle time-out", kBothFamilies, 1),
    text(0x401a, 15, "LAN-to-LAN login name (incoming profile)", 1),
    text(0x401b, 7, "LAN-to-LAN password (incoming profile)", 1),
    text(0x401c, 61, "remote login name (incoming profile)", 1),
    text(0x401d, 61, "remote login password (incoming profile)", 1),
    text(0x401e, 31, "remote telephone (incoming profile)", 1),
    text(0x401f, kDotted, "remote network (incoming profile)", 1),
    text(0x4020, kDotted, "remote mask (incoming profile)", 1),
    integer(0x4023, "authentication (incoming profile)", kBothFamilies, 1),
});

constexpr bool before(const VariableInfo& a, const VariableInfo& b) {
    return a.mode != b.mode ? a.mode < b.mode : a.variable < b.variable;
}

static_assert(std::is_sorted(kVariables.begin(), kVariables.end(), before));
static_assert(std::adjacent_find(kVariables.begin(), kVariables.end(),
                                 [](const VariableInfo& a, const VariableInfo& b) {
                                     return !before(a, b);
                                 }) == kVariables.end());

} // namespace

const VariableInfo* findVariable(int variable, int mode) {
    const VariableInfo key{variable, mode, VarKind::Integer, 0, false, false, 0, ""};
    const auto* it = std::lower_bound(kVariables.begin(), kVariables.end(), key, before);
    if (it == kVariables.end() || it->variable != variable || it->mode != mode) {
        return nullptr;
    }
    return it;
}

std::optional<VarKind> variableKind(int variable, int mode) {
    const VariableInfo* info = findVariable(variable, mode);
    if (info == nullptr) {
        return std::nullopt;
    }
    return info->kind;
}

std::span<const VariableInfo> allVariables() {
    return kVariables;
}

} // namespace ipslan
