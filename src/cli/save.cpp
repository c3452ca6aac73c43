// save: a router's configuration into a file.
#include <iostream>

#include "cli/cli.h"
#include "device/config_file.h"

namespace tolvaro::cli {
namespace {

int save(Context& context, const std::string& routerName, const std::string& path) {
    const RouterConfiguration read = readForFile(context, routerName, device::LoginFor::Save);
    const device::ConfigStore& store = read.store;
    const auto version = device::fileVersionNumber(store);
    if (!version)
        throw Failure{"the router did not report a readable firmware version"};
    std::string error;
    std::string warning;
    if (!device::writeFileReplacing(path, device::buildConfigFile(store, *version), &error,
                                    &warning))
        throw Failure{"the configuration was not saved: " + escaped(error)};
    if (!warning.empty())
        warn(escaped(warning));
    std::cout << "Save Configuration completely\n";
    return kExitOk;
}

Runner setUp(CLI::App& command) {
    const RouterAndFile arguments = addRouterAndFile(command, "Where the configuration goes.");
    return [arguments](Context& context) {
        return save(context, *arguments.router, *arguments.path);
    };
}

const Registration kSave{20, "save ROUTER FILE",
                         "Read the configuration of ROUTER and write it to FILE. An existing FILE "
                         "is replaced only once the new file is complete, and keeps its "
                         "permissions (with a warning when others may read it); a new FILE is "
                         "readable by its owner only, since it holds the router's passwords. In "
                         "a folder every user may write to (such as /tmp), a FILE or symbolic "
                         "link that belongs to another user is refused; elsewhere a symbolic "
                         "link is followed. A FILE with several hard links is refused.",
                         setUp};

} // namespace
} // namespace tolvaro::cli
