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

// Variable numbers that more than one module names. Elsewhere a name may
// alias one of these, never repeat its number.
namespace var {
inline constexpr int kReset = 0x0001;
inline constexpr int kLinkStatus = 0x0002;
inline constexpr int kLineCommand = 0x0003;
inline constexpr int kHardwareAddress = 0x0100;
inline constexpr int kHardwareId = 0x0103;
inline constexpr int kFirmwareVersion = 0x0104;
inline constexpr int kPassword = 0x0106;
inline constexpr int kLeaseFirst = 0x1006; // 0x1006..0x1009
inline constexpr int kLeaseParts = 4;
inline constexpr int kStatusText = 0x1023;
inline constexpr int kDhcpEnable = 0x3004;
inline constexpr int kDhcpEnd = 0x3005;
inline constexpr int kDhcpStart = 0x3006;
inline constexpr int kWorkstationFirst = 0x3501; // 0x3501..0x3505
inline constexpr int kWorkstationParts = 5;
inline constexpr int kUsage = 0x3806;
inline constexpr int kPrimaryDns = 0x4004;
inline constexpr int kIdleMinutes = 0x4008;
inline constexpr int kAuthentication = 0x4023;
inline constexpr int kIdleSeconds = 0x4024;
inline constexpr int kRip = 0x4026;
// 1: remote management off. The remote dialog's connection test reads it.
inline constexpr int kRemoteManagement = 0x4027;
} // namespace var

// The nine log variables in the order they are joined into the log text.
inline constexpr int kLogVariables[9] = {0x1014, 0x1015, 0x1016, 0x1017, 0x1018,
                                         0x1019, 0x1020, 0x1021, 0x1022};

// Description of a variable; nullptr when it does not exist in that mode.
const VariableInfo* findVariable(int variable, int mode);

// Value kind of a variable; nullopt when it does not exist in that mode.
std::optional<VarKind> variableKind(int variable, int mode);

// Every variable of both modes, ordered by mode, then number.
std::span<const VariableInfo> allVariables();

} // namespace ipslan
