// Internal to the library, exposed for its unit tests only: the discovery
// half of the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ipslan/detail/state.h"
#include "ipslan/diagnostics.h"
#include "ipslan/wire.h"

struct DEVICE_INFO;

namespace ipslan::detail {

// Room for "255.255.255.255" and its NUL: what callers of IPSQueryFreeIp give.
inline constexpr std::size_t kAddressTextSize = 16;

struct LocalInterface {
    wire::Ipv4 address = 0;
    wire::Ipv4 netmask = 0;
    std::optional<wire::Ipv4> broadcast;
    std::string name;
    int index = 0; // the system's interface index; 0 when unknown
};

struct Destination {
    wire::Ipv4 address;
    std::uint16_t port;
    friend bool operator==(const Destination&, const Destination&) = default;
};

// This computer's IPv4 interfaces that are up.
std::vector<LocalInterface> localInterfaces();

// Where a discovery datagram goes: the loopback broadcast when limited to
// loopback, otherwise every interface's broadcast address; then the extra
// targets. No destination appears twice.
std::vector<Destination> discoveryDestinations(const Settings& settings,
                                               const std::vector<LocalInterface>& interfaces);

// This computer's address on a router's network: the first interface whose
// address matches the router's under the router's mask, else under the
// interface's own mask, else the interface the router's reply arrived on (a
// router fresh from the box answers on our link from a network of its own);
// a router on 127/8 falls back to 127.0.0.1. Empty when none fits.
std::string localAddressFor(wire::Ipv4 router, wire::Ipv4 routerMask,
                            const std::vector<LocalInterface>& interfaces,
                            const std::optional<LocalInterface>& arrivedOn = std::nullopt);

// The lowest host address .2 to .254 of an x.y.z.0 network not in `used`.
std::optional<wire::Ipv4> proposeFreeAddress(wire::Ipv4 network, const std::set<wire::Ipv4>& used);

// The addresses listed in a /proc/net/arp style table.
std::set<wire::Ipv4> arpTableAddresses(std::istream& table);

// A reply as discovery saw it: through which interface (0 when unknown).
struct HeardReply {
    wire::BrowseReply reply;
    int interfaceIndex = 0;
};

// The diagnostics of one browse: the interfaces searched (those a broadcast
// went to, and those a reply came through) and each accepted reply under the
// interface it came through.
DiscoveryReport discoveryReport(const Settings& settings,
                                const std::vector<LocalInterface>& interfaces,
                                const std::vector<HeardReply>& accepted, int ignored);

int browse(DEVICE_INFO* table, int* count);
int browseUpTo(DEVICE_INFO* table, int capacity, int* count);
int udpSetIp(const DEVICE_INFO* device, const char* newIp, const char* mask, unsigned char flag);
int queryFreeIp(const char* network, char* result);

} // namespace ipslan::detail
