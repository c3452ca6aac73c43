// The demo: simulated routers started inside the utility's own process on
// loopback addresses, with discovery limited to loopback, so the whole
// program can be tried without a router and without touching a real network.
//
// The routers keep their settings in the user's data directory
// ($XDG_DATA_HOME/tolvaro/demo, else ~/.local/share/tolvaro/demo), so what
// Setup writes, and a new address, are still there at the next start.
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

// The demo router that only Remote reaches: its address, SNMP port and
// password, as the user types them into the Remote Management dialog.
inline constexpr const char* kRemoteAddress = "127.0.2.30";
inline constexpr int kRemotePort = 16161;
inline constexpr const char* kRemotePassword = "wan7";

// Where the demo routers keep their settings.
std::filesystem::path stateDirectory();

class DemoNetwork {
public:
    // Points discovery at loopback only and starts the demo routers. On
    // failure returns null and says why in `error`.
    static std::unique_ptr<DemoNetwork> start(std::string& error);
    ~DemoNetwork();
    DemoNetwork(const DemoNetwork&) = delete;
    DemoNetwork& operator=(const DemoNetwork&) = delete;

private:
    DemoNetwork() = default;
    std::vector<std::unique_ptr<routersim::Router>> routers_;
};

} // namespace tolvaro::demo
