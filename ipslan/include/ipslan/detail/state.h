// Internal to the library, exposed for its unit tests only: library-wide
// state shared by the SNMP client and discovery, that is the settings and
// what the last discovery learnt about each router.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ipslan/config.h"
#include "ipslan/wire.h"

namespace ipslan::detail {

struct Settings {
    Timeouts timeouts{kDefaultTimeoutMs, kDefaultRetries};
    DiscoveryTargets targets;
    std::uint16_t discoveryPort = wire::kDefaultDiscoveryPort;
    int windowMs = kDefaultDiscoveryWindowMs;
    int readWindow = kDefaultReadWindow;
    std::string community = "public";
    int snmpPort = 161;
};

// A copy of the current settings (the environment is read on first use).
Settings settings();

void setCommunity(std::string community);
void setSnmpPort(int port);

// What a browse reply told about a router.
struct KnownRouter {
    wire::Ipv4 ip = 0;
    wire::HardwareAddress hardware{};
    std::uint16_t snmpPort = 161;
};

// Replaces the list of the last browse and merges it into the routers known
// by address (a router keeps its entry until it announces something else).
void rememberBrowse(const std::vector<KnownRouter>& routers);
// Adds or updates one router, e.g. after it took a new address.
void rememberRouter(const KnownRouter& router);
std::optional<KnownRouter> knownRouter(wire::Ipv4 ip);
std::vector<wire::Ipv4> lastBrowseAddresses();

// The UDP port for SNMP requests to a router: the configured port, except
// that the LAN port 161 is replaced by the port the router announced.
std::uint16_t snmpPortFor(wire::Ipv4 ip);
// The same for a port given with the request instead of the configured one.
std::uint16_t snmpPortFor(wire::Ipv4 ip, int port);

} // namespace ipslan::detail
