// How one simulated router is set up: identity, where it listens, where it
// keeps its settings and how long its slow operations take.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <ipslan/wire.h>

#include "routersim/clock.h"

namespace routersim {

using ipslan::wire::HardwareAddress;
using ipslan::wire::Ipv4;

inline constexpr std::uint16_t kDefaultSnmpPort = 1161;
// Below the 6000 ms the utility waits after a reset, so the router is back
// when the utility looks again.
inline constexpr Millis kDefaultRestartTime{3000};
// The utility polls the link every 2000 ms up to ten times; this answers on
// the second or third poll.
inline constexpr Millis kDefaultDialDelay{4000};
// The community every family-1 router and every router without a password
// accepts.
inline constexpr const char* kFixedCommunity = "TiLvOrA";

struct RouterConfig {
    int family = 2; // 1 or 2
    std::string name = "ISDN Router";
    // Factory LAN address and mask. A router always stays inside 127.0.0.0/8.
    // An address saved in the state directory (after an address assignment)
    // takes precedence.
    std::string address = "127.0.0.2";
    std::string netmask = "255.255.255.0";
    std::string password; // factory administrator password; empty for none
    // Hardware address; when unset it is derived from `address` so that the
    // same command line finds the same state file again.
    std::optional<HardwareAddress> hardware;
    // Firmware version text; empty picks the family's default.
    std::string firmware;
    // 0 picks a free port (tests); the port is kept when the router moves.
    std::uint16_t snmpPort = kDefaultSnmpPort;
    std::uint16_t discoveryPort = ipslan::wire::kDefaultDiscoveryPort;
    // Where settings persist; empty keeps them in memory only.
    std::filesystem::path stateDirectory;
    Millis restartTime = kDefaultRestartTime;
    Millis dialDelay = kDefaultDialDelay;
    // Real time every reply waits before it leaves, as over a WAN; see
    // FaultControl.
    Millis latency{0};
    // Time source of the model; null uses the steady clock.
    std::shared_ptr<const Clock> clock;
    // Faults of the router itself. A stuck line stays up against a hang-up
    // request. A write to one of `ignoredWrites` (mode 0) is acknowledged but
    // not kept, as by firmware that drops a setting; one to `refusedWrites`
    // is refused as a bad value.
    bool stuckLine = false;
    std::vector<int> ignoredWrites;
    std::vector<int> refusedWrites;
};

// Default firmware texts. Both read real digits at the places the utility's
// file version number takes them from: the characters around the first "."
// and the 11th and 12th after it.
inline constexpr const char* kFamily1Firmware = "5.0 (240312-01)";
inline constexpr const char* kFamily2Firmware = "6.5 (240918-07)";

// The hardware address a router without one in its configuration gets:
// locally administered, the last three bytes from the address.
HardwareAddress derivedHardware(Ipv4 address);

// A checked configuration with every default filled in.
struct ResolvedConfig {
    int family = 2;
    std::string name;
    Ipv4 address = 0;
    Ipv4 netmask = 0;
    std::string password;
    HardwareAddress hardware{};
    std::string firmware;
    std::uint16_t snmpPort = 0;
    std::uint16_t discoveryPort = 0;
    std::filesystem::path stateDirectory;
    Millis restartTime{};
    Millis dialDelay{};
    Millis latency{};
    std::shared_ptr<const Clock> clock;
    bool stuckLine = false;
    std::vector<int> ignoredWrites;
    std::vector<int> refusedWrites;
};

struct ResolveResult {
    std::optional<ResolvedConfig> config;
    std::string error; // why the configuration was refused
};

ResolveResult resolve(const RouterConfig& config);

// 10 x the digit before the first "." of a firmware text + the digit after
// it, as the utility computes it; 0 when the text has no such digits.
int firmwareLevel(const std::string& firmware);

// Whether a variable of the table exists on this router: by family, except
// that the idle time-out in seconds (var::kIdleSeconds) follows the firmware level,
// since the utility reads it from every router above level 60.
bool hasVariable(const ResolvedConfig& config, int variable, int mode);

// Checks shared with address assignment and the state file.
bool isLoopback(Ipv4 address);
// A mask of 8 to 30 leading ones, and an address that is neither the network
// nor the broadcast address under it.
bool isUsableAddress(Ipv4 address, Ipv4 netmask);
// Empty when the text is usable, else why not.
std::string checkFirmware(const std::string& firmware);
std::optional<HardwareAddress> parseHardware(const std::string& text);
std::string formatHardware(const HardwareAddress& hardware);

} // namespace routersim
