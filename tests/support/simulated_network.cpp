#include "support/simulated_network.h"

namespace tolvaro::test {
namespace {

constexpr int kTestDiscoveryWindowMs = 150;

} // namespace

SimulatedNetwork::SimulatedNetwork()
    : discoveryPort_(freeUdpPort()), clock_(std::make_shared<routersim::ManualClock>()),
      savedTargets_(ipslan::discoveryTargets()), savedPort_(ipslan::discoveryPort()),
      savedWindow_(ipslan::discoveryWindowMs()), savedTimeouts_(ipslan::timeouts()) {
    ipslan::DiscoveryTargets targets;
    targets.loopbackOnly = true;
    ipslan::setDiscoveryTargets(targets);
    ipslan::setDiscoveryPort(discoveryPort_);
    ipslan::setDiscoveryWindow(kTestDiscoveryWindowMs);
    ipslan::setTimeouts(kAnswerTimeoutMs, 0);
}

SimulatedNetwork::~SimulatedNetwork() {
    routers_.clear();
    ipslan::setDiscoveryTargets(savedTargets_);
    ipslan::setDiscoveryPort(savedPort_);
    ipslan::setDiscoveryWindow(savedWindow_);
    ipslan::setTimeouts(savedTimeouts_.timeoutMs, savedTimeouts_.retries);
}

routersim::Router& SimulatedNetwork::add(routersim::RouterConfig config) {
    config.discoveryPort = discoveryPort_;
    config.snmpPort = 0;
    config.clock = clock_;
    routers_.push_back(std::make_unique<routersim::Router>(config));
    return *routers_.back();
}

void SimulatedNetwork::advance(int ms) {
    clock_->advance(routersim::Millis{ms});
    for (auto& router : routers_) {
        router->sync();
    }
}

} // namespace tolvaro::test
