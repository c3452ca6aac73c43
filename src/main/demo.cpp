#include "main/demo.h"

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

std::filesystem::path stateDirectory(int instance) {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr && home[0] != '\0' ? home : ".") / ".local" /
               "share";
    }
    const std::string name = instance == 0 ? "demo" : "demo-" + std::to_string(instance + 1);
    return base / "tolvaro" / name;
}

namespace {

routersim::RouterConfig configOf(const DemoRouter& demo, const std::filesystem::path& directory) {
    routersim::RouterConfig config;
    config.family = demo.family;
    config.name = demo.name;
    config.address = demo.address;
    config.netmask = "255.255.255.0";
    config.password = demo.password;
    config.stateDirectory = directory;
    return config;
}

} // namespace

std::unique_ptr<DemoNetwork> DemoNetwork::start(std::string& error) {
    // Instance k listens for discovery on base + 2k (its WAN router on the
    // port above, so that discovery does not find it) and answers Remote on
    // kRemotePort + k. The WAN router's port is bound exclusively, so it
    // tells which instances another demo holds, whoever runs it. The base is
    // the port as it was before any demo of this process moved it.
    static const int base = ipslan::discoveryPort();
    std::unique_ptr<DemoNetwork> network(new DemoNetwork);
    std::string remoteFailure;
    int instance = 0;
    for (int k = 0; k < kInstances && base + 2 * k + 1 <= 65535; ++k) {
        const std::filesystem::path directory = stateDirectory(k);
        std::error_code failed;
        std::filesystem::create_directories(directory, failed);
        if (failed) {
            error = "cannot create " + directory.string() + ": " + failed.message();
            return nullptr;
        }
        routersim::RouterConfig remote = configOf(kRemoteRouter, directory);
        remote.snmpPort = static_cast<std::uint16_t>(kRemotePort + k);
        remote.discoveryPort = static_cast<std::uint16_t>(base + 2 * k + 1);
        try {
            network->routers_.push_back(std::make_unique<routersim::Router>(remote));
            network->remoteStarted_ = true;
            instance = k;
            break;
        } catch (const routersim::StartError& e) {
            if (remoteFailure.empty())
                remoteFailure = e.what();
        }
    }
    if (!network->remoteStarted_) {
        // Every instance is taken or the port cannot be had: the first
        // instance runs without the WAN router, and says so.
        network->failures_.push_back(std::string(kRemoteRouter.name) + ": " + remoteFailure);
    }
    network->instance_ = instance;
    const std::filesystem::path directory = stateDirectory(instance);

    // Never broadcast on a real interface: the demo routers live on loopback.
    ipslan::DiscoveryTargets targets;
    targets.loopbackOnly = true;
    ipslan::setDiscoveryTargets(targets);
    ipslan::setDiscoveryPort(base + 2 * instance);

    for (const DemoRouter& demo : kRouters) {
        routersim::RouterConfig config = configOf(demo, directory);
        config.snmpPort = 0; // discovery tells the library the port
        config.discoveryPort = ipslan::discoveryPort();
        try {
            network->routers_.push_back(std::make_unique<routersim::Router>(config));
        } catch (const routersim::StartError& e) {
            network->failures_.push_back(std::string(demo.name) + ": " + e.what());
        }
    }
    return network;
}

std::string DemoNetwork::notice() const {
    std::string text;
    if (instance_ > 0) {
        text = "Another demo is running on this computer, so this one uses routers of its own.\n"
               "Remote reaches Field Office at " +
               std::string(kRemoteAddress) + ", port " + std::to_string(remotePort()) +
               ", password " + kRemotePassword + ".";
    }
    if (!failures_.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += "These demo routers did not start:";
        for (const std::string& failure : failures_)
            text += "\n" + failure;
    }
    return text;
}

DemoNetwork::~DemoNetwork() = default;

} // namespace tolvaro::demo
