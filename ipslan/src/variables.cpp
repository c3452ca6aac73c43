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
    integer(var::kReset, "reset"),
    readOnly(integer(var::kLinkStatus, "ISDN link status")),
    integer(var::kLineCommand, "line command"),
    readOnly(bytes(var::kHardwareAddress, 6, "hardware address")),
    readOnly(bytes(var::kHardwareId, 6, "hardware ID")),
    readOnly(text(var::kFirmwareVersion, 15, "firmware version")),
    text(var::kPassword, 12, "administrator password"),
    readOnly(bytes(var::kLeaseTable[0], kWhole, "DHCP leases 1")),
    readOnly(bytes(var::kLeaseTable[1], kWhole, "DHCP leases 2")),
    readOnly(bytes(var::kLeaseTable[2], kWhole, "DHCP leases 3")),
    readOnly(bytes(var::kLeaseTable[3], kWhole, "DHCP leases 4")),
    readOnly(text(var::kLogTable[0], kWhole, "log 1")),
    readOnly(text(var::kLogTable[1], kWhole, "log 2")),
    readOnly(text(var::kLogTable[2], kWhole, "log 3")),
    readOnly(text(var::kLogTable[3], kWhole, "log 4")),
    readOnly(text(var::kLogTable[4], kWhole, "log 5")),
    readOnly(text(var::kLogTable[5], kWhole, "log 6")),
    readOnly(text(var::kLogTable[6], kWhole, "log 7")),
    readOnly(text(var::kLogTable[7], kWhole, "log 8")),
    readOnly(text(var::kLogTable[8], kWhole, "log 9")),
    readOnly(text(var::kStatusText, kWhole, "connection status")),
    integer(var::kDhcpEnable, "DHCP server"),
    text(var::kDhcpEnd, kDotted, "DHCP pool end"),
    text(var::kDhcpStart, kDotted, "DHCP pool start"),
    text(var::kLanDns1, kDotted, "DNS 1"),
    text(var::kLanDns2, kDotted, "DNS 2"),
    text(var::kLanDns3, kDotted, "DNS 3"),
    bytes(var::kUserTable[0], 235, "users 1"),
    bytes(var::kUserTable[1], 235, "users 2"),
    bytes(var::kUserTable[2], 235, "users 3"),
    bytes(var::kUserTable[3], 235, "users 4"),
    bytes(var::kUserTable[4], 235, "users 5"),
    keepOnEmpty(bytes(var::kUdpPortNames, 96, "user UDP ports")),
    keepOnEmpty(bytes(var::kTcpPortNames, 96, "user TCP ports")),
    keepOnEmpty(bytes(var::kGroupTable[0], 12, "group Everyone")),
    keepOnEmpty(bytes(var::kGroupTable[1], 12, "group 1")),
    keepOnEmpty(bytes(var::kGroupTable[2], 12, "group 2")),
    keepOnEmpty(bytes(var::kGroupTable[3], 12, "group 3")),
    keepOnEmpty(bytes(var::kGroupTable[4], 12, "group 4")),
    bytes(var::kWorkstationTable[0], 220, "workstations 1"),
    bytes(var::kWorkstationTable[1], 220, "workstations 2"),
    bytes(var::kWorkstationTable[2], 220, "workstations 3"),
    bytes(var::kWorkstationTable[3], 220, "workstations 4"),
    bytes(var::kWorkstationTable[4], 220, "workstations 5"),
    bytes(var::kRouteTable[0], 240, "routes 1-10"),
    bytes(var::kRouteTable[1], 240, "routes 11-20"),
    keepOnEmpty(integer(var::kPortValues[0], "port value 1")),
    keepOnEmpty(integer(var::kPortValues[1], "port value 2")),
    keepOnEmpty(integer(var::kPortValues[2], "port value 3")),
    keepOnEmpty(integer(var::kPortValues[3], "port value 4")),
    keepOnEmpty(integer(var::kPortValues[4], "port value 5")),
    keepOnEmpty(integer(var::kPortValues[5], "port value 6")),
    keepOnEmpty(integer(var::kPortValues[6], "port value 7")),
    keepOnEmpty(integer(var::kPortValues[7], "port value 8")),
    keepOnEmpty(integer(var::kPortValues[8], "port value 9")),
    keepOnEmpty(integer(var::kPortValues[9], "port value 10")),
    keepOnEmpty(integer(var::kPortValues[10], "port value 11")),
    keepOnEmpty(integer(var::kPortValues[11], "port value 12")),
    keepOnEmpty(integer(var::kPortValues[12], "port value 13")),
    keepOnEmpty(integer(var::kPortValues[13], "port value 14")),
    keepOnEmpty(integer(var::kPortValues[14], "port value 15")),
    keepOnEmpty(integer(var::kPortValues[15], "port value 16")),
    integer(var::kReservedValue, "reserved"),
    bytes(var::kVirtualServers, 210, "virtual servers"),
    integer(var::kLanToLanSwitch, "LAN-to-LAN switch"),
    bytes(var::kReservedTable, 1500, "reserved table"),
    bytes(var::kSpecialApplications, 210, "special applications"),
    bytes(var::kExposedComputer, 5, "exposed computer"),
    integer(var::kCountry, "country"),
    integer(var::kLineSpeed, "line speed"),
    integer(var::kUsage, "B-channel usage"),
    text(var::kOutgoingMsn, 19, "outgoing MSN"),
    text(var::kOutgoingSad, 19, "outgoing SAD"),
    text(var::kIncomingMsn, 19, "incoming MSN"),
    text(var::kIncomingSad, 19, "incoming SAD"),
    text(var::kSpid1, 19, "SPID 1"),
    text(var::kSpid2, 19, "SPID 2"),
    text(var::kWanAddress, kDotted, "WAN address"),
    text(var::kAccountName, 61, "account name"),
    text(var::kAccountPassword, 61, "account password"),
    text(var::kPrimaryDns, kDotted, "primary DNS"),
    text(var::kTelephone1, 30, "telephone 1"),
    integer(var::kIdleMinutes, "idle time-out (minutes)"),
    text(var::kInitialString, 60, "initial string"),
    integer(var::kDialOut, "dial-out flag"),
    text(var::kTelephone2, 30, "telephone 2"),
    text(var::kTelephone3, 30, "telephone 3"),
    integer(var::kFeatureByte, "feature byte"),
    text(var::kLanToLanLogin, 15, "LAN-to-LAN login name"),
    text(var::kLanToLanPassword, 7, "LAN-to-LAN password"),
    text(var::kRemoteLoginName, 61, "remote login name"),
    text(var::kRemoteLoginPassword, 61, "remote login password"),
    text(var::kRemotePhone, 31, "remote telephone"),
    text(var::kRemoteNetwork, kDotted, "remote network"),
    text(var::kRemoteMask, kDotted, "remote mask"),
    integer(var::kAuthentication, "authentication"),
    integer(var::kIdleSeconds, "idle time-out (seconds)", kFamily2),
    integer(var::kAnswerWanPing, "answer WAN ping", kFamily2),
    integer(var::kRip, "RIP 1", kFamily2),
    integer(var::kRemoteManagement, "remote management off", kFamily2),
    integer(var::kWebPort, "web management port", kFamily2),
    integer(var::kWebManagementOff, "web management off", kFamily2),
    integer(var::kUtilityPort, "utility management port", kFamily2),

    integer(var::kLanToLanSwitch, "LAN-to-LAN switch (incoming profile)", kBothFamilies, 1),
    integer(var::kDialOut, "dial-out flag (incoming profile)", kBothFamilies, 1),
    integer(var::kFeatureByte, "feature byte (incoming profile)", kBothFamilies, 1),
    integer(var::kDialInIdleMinutes, "dial-in idle time-out", kBothFamilies, 1),
    text(var::kLanToLanLogin, 15, "LAN-to-LAN login name (incoming profile)", 1),
    text(var::kLanToLanPassword, 7, "LAN-to-LAN password (incoming profile)", 1),
    text(var::kRemoteLoginName, 61, "remote login name (incoming profile)", 1),
    text(var::kRemoteLoginPassword, 61, "remote login password (incoming profile)", 1),
    text(var::kRemotePhone, 31, "remote telephone (incoming profile)", 1),
    text(var::kRemoteNetwork, kDotted, "remote network (incoming profile)", 1),
    text(var::kRemoteMask, kDotted, "remote mask (incoming profile)", 1),
    integer(var::kAuthentication, "authentication (incoming profile)", kBothFamilies, 1),
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
