// The router variable table shared by the library and the simulated router:
// which variables exist, in which mode, of which value kind and how long a
// value may be.
//
// Kinds decide the SNMP type on the wire: Integer variables travel as
// INTEGER (the library turns the entry's decimal text into a number), Text
// and Bytes variables as OCTET STRING. A router refuses a value of the wrong
// type or longer than maxLength.
//
// Mode 1 is the router's incoming-call profile: a second bank that holds its
// own copies of the feature byte, dial-out flag, authentication byte,
// LAN-to-LAN switch, dial-in idle time-out and the LAN-to-LAN login and
// remote-site settings. Every other variable exists in mode 0 only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ipslan {

enum class VarKind { Integer, Text, Bytes };

// Families a variable exists in (bit mask).
inline constexpr unsigned kFamily1 = 1;
inline constexpr unsigned kFamily2 = 2;
inline constexpr unsigned kBothFamilies = kFamily1 | kFamily2;

struct VariableInfo {
    int variable;
    int mode;
    VarKind kind;
    // Longest value a write may carry, in bytes (Text and Bytes).
    std::size_t maxLength;
    bool writable;
    // A zero-length OCTET STRING write leaves the value unchanged. Tables
    // whose editors may send an untouched, empty entry carry this flag so an
    // unedited group policy is never wiped.
    bool keepOnEmpty;
    unsigned families;
    const char* name; // short description, for messages and diagnostics
};

// Every router variable number, named once and grouped by the page that
// edits it. Elsewhere a name may be aliased, never its number repeated.
namespace var {

// Consecutive variables that together hold one table.
template <int Count> constexpr std::array<int, Count> consecutive(int first) {
    std::array<int, Count> out{};
    for (int i = 0; i < Count; ++i) {
        out[static_cast<std::size_t>(i)] = first + i;
    }
    return out;
}

// Router control and identity (Status page)
inline constexpr int kReset = 0x0001; // 1: restart
inline constexpr int kLinkStatus = 0x0002;
inline constexpr int kLineCommand = 0x0003;
inline constexpr int kHardwareAddress = 0x0100;
inline constexpr int kHardwareId = 0x0103;
inline constexpr int kFirmwareVersion = 0x0104;
inline constexpr int kPassword = 0x0106; // administrator password (Option page)
inline constexpr int kStatusText = 0x1023;
// The nine log parts, in the order they are joined into the log text; the
// numbering skips 0x101a-0x101f.
inline constexpr std::array<int, 9> kLogTable = {0x1014, 0x1015, 0x1016, 0x1017, 0x1018,
                                                 0x1019, 0x1020, 0x1021, 0x1022};

// Quick Setup
inline constexpr int kWanAddress = 0x4001;
inline constexpr int kAccountName = 0x4002;
inline constexpr int kAccountPassword = 0x4003;
inline constexpr int kPrimaryDns = 0x4004;
inline constexpr int kTelephone1 = 0x4006;
inline constexpr int kTelephone2 = 0x4014;
inline constexpr int kTelephone3 = 0x4015;
inline constexpr int kCountry = 0x3801;
inline constexpr int kSpid1 = 0x3823;
inline constexpr int kSpid2 = 0x3824;
inline constexpr int kIdleMinutes = 0x4008;
inline constexpr int kIdleSeconds = 0x4024; // family 2, above firmware level 60
inline constexpr int kFeatureByte = 0x4017;
inline constexpr int kDialOut = 0x400d;

// Option (family 2)
inline constexpr int kAnswerWanPing = 0x4025;
// 1: remote management off. The remote dialog's connection test reads it.
inline constexpr int kRemoteManagement = 0x4027;
inline constexpr int kWebPort = 0x4028;
inline constexpr int kWebManagementOff = 0x4029;
inline constexpr int kUtilityPort = 0x402a;

// LAN
inline constexpr int kDhcpEnable = 0x3004;
inline constexpr int kDhcpEnd = 0x3005;
inline constexpr int kDhcpStart = 0x3006;
inline constexpr int kLanDns1 = 0x3012;
inline constexpr int kLanDns2 = 0x3013;
inline constexpr int kLanDns3 = 0x3014;
inline constexpr int kRip = 0x4026; // family 2
inline constexpr int kRouteFirst = 0x3601;
inline constexpr int kRouteParts = 2;
inline constexpr int kLeaseFirst = 0x1006; // read only
inline constexpr int kLeaseParts = 4;

// Dial-in
inline constexpr int kUserFirst = 0x3201;
inline constexpr int kUserParts = 5;
inline constexpr int kAuthentication = 0x4023;
inline constexpr int kDialInIdleMinutes = 0x4018; // mode 1 only

// Access Control
inline constexpr int kGroupFirst = 0x3401; // Everyone, then groups 1-4
inline constexpr int kGroupParts = 5;
inline constexpr int kWorkstationFirst = 0x3501;
inline constexpr int kWorkstationParts = 5;
inline constexpr int kUdpPortNames = 0x3301;
inline constexpr int kTcpPortNames = 0x3302;
// The sixteen user port values; the numbering skips 0x370b-0x370f.
inline constexpr int kPortValueFirst = 0x3701;
inline constexpr int kPortValueSecondRun = 0x3710;
inline constexpr int kPortValuesInFirstRun = 10;

// Internet Application
inline constexpr int kVirtualServers = 0x3717;
inline constexpr int kSpecialApplications = 0x371c;
inline constexpr int kExposedComputer = 0x371e;
// Read and written with the configuration, edited by no page.
inline constexpr int kReservedValue = 0x3716;
inline constexpr int kReservedTable = 0x371b;

// LAN-to-LAN
inline constexpr int kLanToLanSwitch = 0x371a;
inline constexpr int kLanToLanLogin = 0x401a;
inline constexpr int kLanToLanPassword = 0x401b;
inline constexpr int kRemoteLoginName = 0x401c;
inline constexpr int kRemoteLoginPassword = 0x401d;
inline constexpr int kRemotePhone = 0x401e;
inline constexpr int kRemoteNetwork = 0x401f;
inline constexpr int kRemoteMask = 0x4020;

// ISDN
inline constexpr int kUsage = 0x3806; // B-channel usage
inline constexpr int kLineSpeed = 0x3804;
inline constexpr int kOutgoingMsn = 0x3809;
inline constexpr int kOutgoingSad = 0x381c;
inline constexpr int kIncomingMsn = 0x381f;
inline constexpr int kIncomingSad = 0x3822;
inline constexpr int kInitialString = 0x4009;

// The variables of the split tables, in record order.
inline constexpr auto kRouteTable = consecutive<kRouteParts>(kRouteFirst);
inline constexpr auto kLeaseTable = consecutive<kLeaseParts>(kLeaseFirst);
inline constexpr auto kUserTable = consecutive<kUserParts>(kUserFirst);
inline constexpr auto kGroupTable = consecutive<kGroupParts>(kGroupFirst);
inline constexpr auto kWorkstationTable = consecutive<kWorkstationParts>(kWorkstationFirst);
inline constexpr auto kPortValues = [] {
    std::array<int, 16> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int n = static_cast<int>(i);
        out[i] = n < kPortValuesInFirstRun ? kPortValueFirst + n
                                           : kPortValueSecondRun + (n - kPortValuesInFirstRun);
    }
    return out;
}();

} // namespace var

// The nine log variables in the order they are joined into the log text.
inline constexpr const auto& kLogVariables = var::kLogTable;

// Description of a variable; nullptr when it does not exist in that mode.
const VariableInfo* findVariable(int variable, int mode);

// Value kind of a variable; nullopt when it does not exist in that mode.
std::optional<VarKind> variableKind(int variable, int mode);

// Every variable of both modes, ordered by mode, then number.
std::span<const VariableInfo> allVariables();

} // namespace ipslan
