// Shared pieces of the benchmarks: simulated routers on a random loopback
// network, a free discovery port, and a stopwatch.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include "ipslan/detail/netsnmp_setup.h"
#include "routersim/router.h"

namespace bench {

// A bare Net-SNMP session, opened and closed under the process-wide lock that
// the library and the simulated routers share.
inline void* openSession(netsnmp_session* settings) {
    ipslan::detail::initNetSnmp();
    std::lock_guard lock(ipslan::detail::netSnmpMutex());
    return snmp_sess_open(settings);
}

inline void closeSession(void* session) {
    std::lock_guard lock(ipslan::detail::netSnmpMutex());
    snmp_sess_close(session);
}

inline std::uint16_t freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    socklen_t length = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    ::close(fd);
    return ntohs(local.sin_port);
}

inline std::string randomNetwork() {
    std::random_device seed;
    std::uniform_int_distribution<int> octet(1, 254);
    return "127." + std::to_string(octet(seed)) + "." + std::to_string(octet(seed)) + ".";
}

inline std::unique_ptr<routersim::Router> startRouter(const std::string& address,
                                                      std::uint16_t discoveryPort, int family = 2) {
    routersim::RouterConfig config;
    config.family = family;
    config.address = address;
    config.password = "secret";
    config.snmpPort = 0;
    config.discoveryPort = discoveryPort;
    return std::make_unique<routersim::Router>(config);
}

class Stopwatch {
public:
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace bench
