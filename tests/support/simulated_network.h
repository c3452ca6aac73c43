// Simulated routers on loopback for integration tests, with the device
// library's discovery limited to them: it broadcasts only to the loopback
// broadcast address, on a discovery port picked free for this network, so
// neither a real interface nor another test's routers are involved.
//
//     SimulatedNetwork net;
//     auto& office = net.add({.family = 1, .name = "Office", .address = "127.0.0.21"});
//     ... run the utility's code with device::makeLibraryLink() ...
//     host.onSleep([&](int ms) { net.advance(ms); });   // waits move the routers' clock
//
// Every router answers SNMP on a free port (the library learns it from
// discovery), keeps its settings in memory unless the configuration names a
// state directory, and reads a manual clock shared by the network, so a
// restart ends only when the test moves the clock on. A request waits long
// for its answer; wrap one meant to go unanswered in a BriefWait. The routers
// stop and the library's discovery settings are restored when the network
// goes.
#pragma once

#include <memory>
#include <vector>

#include <ipslan/config.h>
#include <routersim/clock.h>
#include <routersim/config.h>
#include <routersim/loopback.h>
#include <routersim/router.h>

#include "support/waits.h"

namespace tolvaro::test {

class SimulatedNetwork {
public:
    SimulatedNetwork();
    ~SimulatedNetwork();
    SimulatedNetwork(const SimulatedNetwork&) = delete;
    SimulatedNetwork& operator=(const SimulatedNetwork&) = delete;

    // Starts a router; the discovery port, SNMP port and clock of `config`
    // are replaced by the network's. Throws routersim::StartError.
    routersim::Router& add(routersim::RouterConfig config);

    // Moves the shared clock on and waits until every router has seen it.
    void advance(int ms);

    std::uint16_t discoveryPort() const { return discoveryPort_; }
    const std::shared_ptr<routersim::ManualClock>& clock() const { return clock_; }

private:
    std::uint16_t discoveryPort_ = 0;
    std::shared_ptr<routersim::ManualClock> clock_;
    std::vector<std::unique_ptr<routersim::Router>> routers_;
    ipslan::DiscoveryTargets savedTargets_;
    std::uint16_t savedPort_ = 0;
    int savedWindow_ = 0;
    ipslan::Timeouts savedTimeouts_{};
};

using routersim::freeUdpPort;

} // namespace tolvaro::test
