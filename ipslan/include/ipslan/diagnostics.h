// What the last discovery saw, for people looking for a router that does not
// show up: each interface searched with its address and mask, the routers
// that answered through it, and which of those sit outside its network (they
// answer, but the utility reaches them only after an address change).
//
// The library never prints; front ends show describeDiscovery()'s lines
// when asked to be verbose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ipslan {

struct DiscoveredRouter {
    std::string name;
    std::uint32_t address = 0; // IPv4, host order
    std::uint32_t netmask = 0;
    // The interface's network (under its own mask) does not hold the router.
    bool outsideNetwork = false;
};

struct SearchedInterface {
    std::string name;          // "lo", "eth0"; empty when unknown
    std::uint32_t address = 0; // IPv4, host order
    std::uint32_t netmask = 0;
    bool broadcastSent = false; // a browse went to its broadcast address
    std::vector<DiscoveredRouter> routers;
};

struct DiscoveryReport {
    bool ran = false; // false until the first browse
    std::vector<SearchedInterface> interfaces;
    std::vector<std::string> extraTargets; // "a.b.c.d:port"
    // Replies that counted, and those dropped (malformed, another request's,
    // a second reply of the same router, past the table's 32 records).
    int replies = 0;
    int ignored = 0;
    // Of those ignored: routers that answered beyond the records asked for.
    int leftOut = 0;
    // Replies that came through no interface listed above.
    std::vector<DiscoveredRouter> unattributed;
};

// Why the last IPSGetInfo, IPSSetInfo or IPSGetInfoBatch of this thread
// failed at the router, for front ends that word it: a device that does not
// know our variables answers, just not as a router would. For a batch it is
// the first failed read's first failed variable; within IPSGetInfoFleet's
// `done` step, that of the router just done.
struct RequestFailure {
    enum Kind {
        None,           // the last request succeeded, or failed before sending
        NoResponse,     // time-out (a wrong community looks the same)
        ErrorStatus,    // an SNMP error status (2: noSuchName)
        WrongVariables, // the answer named other variables than were asked
        BadValue,       // a value without an entry form: of a type a router does not
                        // give, or longer than an entry (valueType: its ASN.1 type)
    };
    static constexpr int kNoSuchName = 2;
    Kind kind = None;
    int errorStatus = 0;
    int variable = 0; // the failing variable, when the answer names one
    int mode = 0;
    int valueType = 0;
    std::string peer; // "udp:ADDRESS:PORT"
};
RequestFailure lastRequestFailure();
// The SNMP name of an error status ("noSuchName").
std::string errorStatusName(int status);

// The report of the last IPSBrowse in this process.
DiscoveryReport lastDiscoveryReport();

// The report as lines of text, without line ends.
std::vector<std::string> describeDiscovery(const DiscoveryReport& report);

} // namespace ipslan
