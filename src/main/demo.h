// The demo: simulated routers started inside the utility's own process on
// loopback addresses, with discovery limited to loopback, so the whole
// program can be tried without a router and without touching a real network.
//
// The routers keep their settings in the user's data directory
// ($XDG_DATA_HOME/tolvaro/demo, else ~/.local/share/tolvaro/demo), so what
// Setup writes, and a new address, are still there at the next start.
//
// Several demos can run on one computer (two users, or a demo and the
// tests): each takes the first free "instance", whose routers listen for
// discovery on a port of their own and whose WAN router answers on a port of
// its own, so no demo sees or changes another's routers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace routersim {
class Router;
}

namespace tolvaro::demo {

// The administrator password of the demo router that has one.
inline constexpr const char* kDemoPassword = "demo42";

// The demo router that only Remote reaches: its address, SNMP port (of the
// first instance; instance k answers on kRemotePort + k) and password, as the
// user types them into the Remote Management dialog.
inline constexpr const char* kRemoteAddress = "127.0.2.30";
inline constexpr int kRemotePort = 16161;
inline constexpr const char* kRemotePassword = "wan7";
// How many demos can run on one computer at once.
inline constexpr int kInstances = 8;

// Where the demo routers of `instance` keep their settings: "demo" for the
// first, "demo-2" and so on beside it for the others.
std::filesystem::path stateDirectory(int instance = 0);

class DemoNetwork {
public:
    // Points discovery at loopback only, on the discovery port of the first
    // free instance, and starts that instance's routers. Returns null only
    // when the state directory cannot be made (`error` says why); a router
    // that cannot start is left out and named by notice().
    static std::unique_ptr<DemoNetwork> start(std::string& error);
    ~DemoNetwork();
    DemoNetwork(const DemoNetwork&) = delete;
    DemoNetwork& operator=(const DemoNetwork&) = delete;

    // 0 for the first demo on this computer.
    int instance() const { return instance_; }
    // The port the user types into Remote Management to reach Field Office.
    int remotePort() const { return kRemotePort + instance_; }
    // What the user must be told in the window before using this demo: that
    // another demo runs and what to type into Remote instead, or which
    // routers did not start. Empty when this demo is the one the README
    // describes.
    std::string notice() const;

private:
    DemoNetwork() = default;
    int instance_ = 0;
    bool remoteStarted_ = false;
    std::vector<std::string> failures_;
    std::vector<std::unique_ptr<routersim::Router>> routers_;
};

} // namespace tolvaro::demo
