// discover: the routers that answer discovery.
#include <iostream>

#include "app/device_record.h"
#include "cli/cli.h"

namespace tolvaro::cli {
namespace {

int discoverCommand(Context& context) {
    const auto routers = discover(context.link());
    if (context.options.json) {
        auto list = nlohmann::ordered_json::array();
        for (const DEVICE_INFO& r : routers) {
            list.push_back({{"name", app::fieldText(r.name)},
                            {"address", app::fieldText(r.ipAddress)},
                            {"family", r.family == 1 ? 1 : 2},
                            {"netmask", app::fieldText(r.netmask)},
                            {"password", r.password[0] != 0},
                            {"hardware", announcedHardware(r)}});
        }
        printJson(list);
        return kExitOk;
    }
    for (const DEVICE_INFO& r : routers) {
        std::cout << escaped(app::fieldText(r.name)) << "\t" << escaped(app::fieldText(r.ipAddress))
                  << "\tfamily " << (r.family == 1 ? 1 : 2) << "\t"
                  << escaped(app::fieldText(r.netmask)) << "\n";
    }
    if (routers.empty())
        std::cerr << "No compatible devices detected on LAN\n";
    return kExitOk;
}

Runner setUp(CLI::App& /*command*/) {
    return discoverCommand;
}

const Registration kDiscover{10, "discover",
                             "List the routers that answer discovery: name, IP address, family "
                             "and network mask (with --json also the hardware address).",
                             setUp};

} // namespace
} // namespace tolvaro::cli
