#include "support/simulated_network.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace tolvaro::test {
namespace {

// Short enough that a router that does not answer fails a test quickly, long
// enough for a loaded machine.
constexpr int kTestTimeoutMs = 400;
constexpr int kTestDiscoveryWindowMs = 150;

} // namespace

std::uint16_t freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        throw std::runtime_error("no UDP socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("no free UDP port");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

SimulatedNetwork::SimulatedNetwork()
    : discoveryPort_(freeUdpPort()), clock_(std::make_shared<routersim::ManualClock>()),
      savedTargets_(ipslan::discoveryTargets()), savedPort_(ipslan::discoveryPort()),
      savedWindow_(ipslan::discoveryWindowMs()), savedTimeouts_(ipslan::timeouts()) {
    ipslan::DiscoveryTargets targets;
    targets.loopbackOnly = true;
    ipslan::setDiscoveryTargets(targets);
    ipslan::setDiscoveryPort(discoveryPort_);
    ipslan::setDiscoveryWindow(kTestDiscoveryWindowMs);
    ipslan::setTimeouts(kTestTimeoutMs, 0);
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
