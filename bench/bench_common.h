// Shared pieces of the benchmarks: simulated routers on a random loopback
// network, a free discovery port, and a stopwatch.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include "ipslan/detail/netsnmp_setup.h"
#include "routersim/loopback.h"
#include "routersim/router.h"

namespace bench {

using routersim::freeUdpPort;
inline std::string randomNetwork() {
    return routersim::randomLoopbackNetwork();
}

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
