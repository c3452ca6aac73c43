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

// The settings of a bare SNMPv1 session to a simulated router. The settings
// point into this object's strings, so it stays where it was made.
class BareSettings {
public:
    BareSettings(const std::string& ip, std::uint16_t port, std::string community)
        : peer_("udp:" + ip + ":" + std::to_string(port)), community_(std::move(community)) {
        ipslan::detail::initNetSnmp();
        snmp_sess_init(&settings_);
        settings_.version = SNMP_VERSION_1;
        settings_.peername = peer_.data();
        settings_.community = reinterpret_cast<u_char*>(community_.data());
        settings_.community_len = community_.size();
        settings_.timeout = 1000000;
        settings_.retries = 0;
    }
    BareSettings(const BareSettings&) = delete;
    BareSettings& operator=(const BareSettings&) = delete;

    netsnmp_session* get() { return &settings_; }

private:
    std::string peer_;
    std::string community_;
    netsnmp_session settings_{};
};

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
