// save: a router's configuration into a file.
#include <iostream>

#include "cli/cli.h"
#include "device/config_file.h"
#include "device/fetch.h"

namespace tolvaro::cli {
namespace {

int save(Context& context, const std::string& routerName, const std::string& path) {
    const DEVICE_INFO router = login(context, routerName, device::LoginFor::Save);
    device::ConfigStore store(device::familyOf(router));
    const device::FetchResult fetched =
        device::fetchForFile(context.link(), router.ipAddress, store);
    if (fetched != device::FetchResult::Ok)
        throw Failure{std::string(device::fetchFailureMessage(fetched))};
    const auto version = device::fileVersionNumber(store);
    if (!version)
        throw Failure{"the router did not report a readable firmware version"};
    std::string error;
    if (!device::writeFileReplacing(path, device::buildConfigFile(store, *version), &error))
        throw Failure{"the configuration was not saved: " + escaped(error)};
    std::cout << "Save Configuration completely\n";
    return kExitOk;
}

Runner setUp(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto path = std::make_shared<std::string>();
    command.add_option("ROUTER", *router,
                       "The router: its IP address, hardware address or name as discovery "
                       "lists it.");
    command.add_option("FILE", *path, "Where the configuration goes.");
    return [router, path](Context& context) {
        if (path->empty())
            throw UsageError{"save needs ROUTER and FILE"};
        return save(context, *router, *path);
    };
}

const Registration kSave{20, "save ROUTER FILE",
                         "Read the configuration of ROUTER and write it to FILE. An existing FILE "
                         "is replaced only once the new file is complete, and keeps its "
                         "permissions; a new FILE is readable by its owner only, since it holds "
                         "the router's passwords. A symbolic link is followed.",
                         setUp};

} // namespace
} // namespace tolvaro::cli
