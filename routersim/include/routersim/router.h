// A simulated router on loopback: answers SNMPv1 and the discovery protocol
// on its own thread until destroyed. Several can run in one process, each on
// its own 127.0.0.x address, all sharing one discovery port.
//
//     routersim::RouterConfig config;
//     config.address = "127.0.0.7";
//     config.snmpPort = 0; // any free port; see snmpPort()
//     routersim::Router router(config);
//
// Community: a router accepts its current administrator password; one of
// family 1 or without a password also accepts the fixed community "TiLvOrA".
// Anything else gets no answer, exactly like a router that is not there.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "routersim/config.h"
#include "routersim/faults.h"
#include "routersim/model.h"

namespace routersim {

// A router that cannot start: bad configuration, unreadable state file, or
// an address or port it cannot listen on. what() says which.
class StartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Router {
public:
    // Starts serving before it returns; throws StartError.
    explicit Router(const RouterConfig& config);
    // Stops the thread and closes every socket.
    ~Router();
    Router(const Router&) = delete;
    Router& operator=(const Router&) = delete;

    const std::string& name() const;
    int family() const;
    HardwareAddress hardware() const;
    // The address the router answers on now, as dotted text.
    std::string address() const;
    std::uint16_t snmpPort() const;
    std::uint16_t discoveryPort() const;
    // Empty when settings are kept in memory only.
    std::filesystem::path stateFile() const;

    bool restarting() const;
    bool linkUp() const;
    // A variable's current value, as an SNMP read would return it.
    std::optional<Value> value(int variable, int mode = 0) const;
    Settings settings() const;

    // Faults and delay imposed on the router's replies; lives as long as the
    // router.
    FaultControl& faults();

    // Waits until the router's thread has looked at the clock since this
    // call began, so a test that stepped a ManualClock past a restart finds
    // the router listening at its new address.
    void sync();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace routersim
