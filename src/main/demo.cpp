#include "main/demo.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <ipslan/config.h>
#include <routersim/router.h>

namespace tolvaro::demo {
namespace {

struct DemoRouter {
    int family;
    const char* name;
    const char* address;
    const char* password;
};

// One of each family, one with a password, and one outside this computer's
// loopback network under its own mask (127.1.0.x/24 against the local
// 127.0.0.1), so that Setup first offers it a new address.
constexpr DemoRouter kRouters[] = {
    {2, "Head Office", "127.0.0.21", kDemoPassword},
    {1, "Warehouse", "127.0.0.22", ""},
    {2, "Branch", "127.1.0.10", ""},
};

// A router "on the WAN" for Remote: discovery does not find it (it listens
// for discovery on another port), and it answers SNMP on a fixed port that
// the user types into the Remote Management dialog.
constexpr DemoRouter kRemoteRouter = {2, "Field Office", kRemoteAddress, kRemotePassword};

} // namespace

std::filesystem::path stateDirectory() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr && home[0] != '\0' ? home : ".") / ".local" /
               "share";
    }
    return base / "tolvaro" / "demo";
}

std::unique_ptr<DemoNetwork> DemoNetwork::start(std::string& error) {
    const std::filesystem::path directory = stateDirectory();
    std::error_code failed;
    std::filesystem::create_directories(directory, failed);
    if (failed) {
        error = "cannot create " + directory.string() + ": " + failed.message();
        return nullptr;
    }

    // Never broadcast on a real interface: the demo routers live on loopback.
    ipslan::DiscoveryTargets targets;
    targets.loopbackOnly = true;
    ipslan::setDiscoveryTargets(targets);

    std::unique_ptr<DemoNetwork> network(new DemoNetwork);
    for (const DemoRouter& demo : kRouters) {
        routersim::RouterConfig config;
        config.family = demo.family;
        config.name = demo.name;
        config.address = demo.address;
        config.netmask = "255.255.255.0";
        config.password = demo.password;
        config.snmpPort = 0; // discovery tells the library the port
        config.discoveryPort = ipslan::discoveryPort();
        config.stateDirectory = directory;
        try {
            network->routers_.push_back(std::make_unique<routersim::Router>(config));
        } catch (const routersim::StartError& e) {
            error = std::string("demo router ") + demo.name + ": " + e.what();
            return nullptr;
        }
    }
    routersim::RouterConfig remote;
    remote.family = kRemoteRouter.family;
    remote.name = kRemoteRouter.name;
    remote.address = kRemoteRouter.address;
    remote.netmask = "255.255.255.0";
    remote.password = kRemoteRouter.password;
    remote.snmpPort = kRemotePort;
    remote.discoveryPort = static_cast<std::uint16_t>(ipslan::discoveryPort() + 1);
    remote.stateDirectory = directory;
    try {
        network->routers_.push_back(std::make_unique<routersim::Router>(remote));
    } catch (const routersim::StartError& e) {
        // Only Remote misses it; the rest of the demo still works.
        std::fprintf(stderr, "tolvaro: demo router %s not started: %s\n", kRemoteRouter.name,
                     e.what());
    }
    return network;
}

DemoNetwork::~DemoNetwork() = default;

} // namespace tolvaro::demo
