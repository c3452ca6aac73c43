// Settings of the device library that the operations' argument lists do not
// carry: SNMP time-outs and retries, and where discovery looks.
//
// Every setting starts from a default, may be changed through the process
// environment (read once, at the first use of the library) and then through
// the calls below, which win over the environment.
//
// Environment:
//   IPSLAN_SNMP_TIMEOUT_MS      time-out of one SNMP attempt, 1..60000 (1000)
//   IPSLAN_SNMP_RETRIES         further attempts after a time-out, 0..10 (1)
//   IPSLAN_DISCOVERY            where discovery and address assignment send,
//                               see parseDiscoveryTargets (unset: every IPv4
//                               interface's broadcast address)
//   IPSLAN_DISCOVERY_PORT       UDP port of the routers' discovery service,
//                               1..65535 (3721)
//   IPSLAN_DISCOVERY_WINDOW_MS  how long replies are collected, 10..10000 (300)
//   IPSLAN_READ_WINDOW          requests of one IPSGetInfoBatch outstanding
//                               at once, 1..64 (16)
// A value that does not parse is ignored (the default stays) and reported by
// environmentProblems(), since the library itself never prints.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ipslan {

inline constexpr int kDefaultTimeoutMs = 1000;
inline constexpr int kDefaultRetries = 1;
inline constexpr int kDefaultDiscoveryWindowMs = 300;
// Covers every read of the largest batch the program makes, even sent one
// variable per request.
inline constexpr int kDefaultReadWindow = 16;
inline constexpr int kMaxReadWindow = 64;

// Out-of-range values are held to the ranges above.
void setTimeouts(int timeoutMs, int retries);

struct Timeouts {
    int timeoutMs;
    int retries;
};
Timeouts timeouts();

struct DiscoveryTarget {
    std::uint32_t address; // IPv4, host order
    std::uint16_t port;    // 0: the discovery port
    friend bool operator==(const DiscoveryTarget&, const DiscoveryTarget&) = default;
};

struct DiscoveryTargets {
    // Broadcast only to the loopback broadcast address 127.255.255.255
    // instead of every interface's broadcast address.
    bool loopbackOnly = false;
    // Extra unicast (or broadcast) addresses, sent to as well.
    std::vector<DiscoveryTarget> extra;
    friend bool operator==(const DiscoveryTargets&, const DiscoveryTargets&) = default;
};

// Syntax of IPSLAN_DISCOVERY: a comma-separated list of items, blanks around
// items allowed. "loopback" limits broadcasting to 127.255.255.255; any other
// item is a dotted-decimal IPv4 address with an optional ":port" (1..65535),
// an extra target. Examples: "loopback", "loopback,127.0.0.5:3721,127.0.0.9",
// "10.1.2.3". nullopt when any item is malformed (nothing is half applied).
std::optional<DiscoveryTargets> parseDiscoveryTargets(std::string_view text);

void setDiscoveryTargets(const DiscoveryTargets& targets);
DiscoveryTargets discoveryTargets();

// Port 0 is refused (returns false, the port stays).
bool setDiscoveryPort(int port);
std::uint16_t discoveryPort();

void setDiscoveryWindow(int windowMs);
int discoveryWindowMs();

// How many requests of one IPSGetInfoBatch (per router of IPSGetInfoFleet)
// may wait for their answers at once; held to 1..kMaxReadWindow. 1 sends
// each request after the previous one has been answered.
void setReadWindow(int reads);
int readWindow();

// One line per environment variable that was set but could not be used.
std::vector<std::string> environmentProblems();

// From now on PSSetCommunity and PSSetSnmpPort called on this thread apply to
// this thread's requests only, starting from the process-wide values: threads
// that work on several routers at once cannot share one community and port.
void keepTargetToThisThread();

} // namespace ipslan
