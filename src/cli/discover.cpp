// discover: the routers that answer discovery.
#include <iostream>
#include <memory>

#include <ipslan/diagnostics.h>

#include "cli/cli.h"
#include "device/device_record.h"

namespace tolvaro::cli {
namespace {

int discoverCommand(Context& context, bool verbose) {
    const auto routers = discover(context.link());
    // On standard error, so that the list and --json stay as they are.
    if (verbose) {
        for (const auto& line : ipslan::describeDiscovery(ipslan::lastDiscoveryReport()))
            std::cerr << line << "\n";
    }
    if (context.options.json) {
        auto list = nlohmann::ordered_json::array();
        for (const DEVICE_INFO& r : routers) {
            list.push_back({{"name", device::fieldText(r.name)},
                            {"address", device::fieldText(r.ipAddress)},
                            {"family", r.family == 1 ? 1 : 2},
                            {"netmask", device::fieldText(r.netmask)},
                            {"password", r.password[0] != 0},
                            {"hardware", announcedHardware(r)}});
        }
        printJson(list);
        return routers.empty() ? kExitFailed : kExitOk;
    }
    for (const DEVICE_INFO& r : routers) {
        std::cout << escaped(device::fieldText(r.name)) << "\t"
                  << escaped(device::fieldText(r.ipAddress)) << "\tfamily "
                  << (r.family == 1 ? 1 : 2) << "\t" << escaped(device::fieldText(r.netmask))
                  << "\n";
    }
    if (routers.empty()) {
        std::cerr << "No compatible devices detected on LAN\n";
        return kExitFailed;
    }
    return kExitOk;
}

Runner setUp(CLI::App& command) {
    auto verbose = std::make_shared<bool>(false);
    command.add_flag("--verbose", *verbose,
                     "Also write to standard error every interface searched with its address and "
                     "mask, the routers that answered through it, and those outside its network "
                     "(reachable only after an address change).");
    return [verbose](Context& context) {
        return discoverCommand(context, *verbose);
    };
}

const Registration kDiscover{10, "discover",
                             "List every router that answers discovery: name, IP address, family "
                             "and network mask (with --json also the hardware address). Status 1 "
                             "when none answers.",
                             setUp};

} // namespace
} // namespace tolvaro::cli
