// snapshots: the snapshots kept of a router, newest first.
#include <algorithm>
#include <iostream>

#include "cli/cli.h"

namespace tolvaro::cli {
namespace {

int list(Context& context, const std::string& routerName) {
    const DEVICE_INFO router = login(context, routerName, device::LoginFor::Save);
    const auto found = snapshotStore().list(snapshotKey(context, router));
    if (context.options.json) {
        auto json = nlohmann::ordered_json::array();
        for (const auto& s : found)
            json.push_back({{"path", s.path},
                            {"time", s.time},
                            {"reason", s.reason},
                            {"firmware", s.firmware}});
        printJson(json);
    } else {
        for (const auto& s : found)
            std::cout << s.time << "  " << s.reason << "  " << escaped(s.firmware) << "  "
                      << escaped(s.path) << "\n";
    }
    return kExitOk;
}

Runner setUpList(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    command.add_option("ROUTER", *router, "The router.")->required();
    return [router](Context& context) {
        return list(context, *router);
    };
}

const Registration kSnapshots{60, "snapshots ROUTER",
                              "List the snapshots kept of ROUTER before each write, newest first.",
                              setUpList};

Runner setUpRestore(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto snapshot = std::make_shared<std::string>();
    auto noSnapshot = std::make_shared<bool>(false);
    auto noVerify = std::make_shared<bool>(false);
    command.add_option("ROUTER", *router, "The router.")->required();
    command.add_option(
        "SNAPSHOT", *snapshot,
        "The snapshot file (default: the newest taken before a write, not by backup).");
    command.add_flag("--no-snapshot", *noSnapshot, "Write even when no snapshot can be kept.");
    command.add_flag("--no-verify", *noVerify, "Do not read the settings back after the restart.");
    return [router, snapshot, noSnapshot, noVerify](Context& context) {
        std::string path = *snapshot;
        if (path.empty()) {
            const DEVICE_INFO found = login(context, *router, device::LoginFor::Load);
            // A backup snapshot holds what the router still holds, so restoring
            // it would undo nothing: the default is the newest taken before a
            // write.
            const auto all = snapshotStore().list(snapshotKey(context, found));
            const auto newest = std::ranges::find_if(all, [](const device::SnapshotInfo& s) {
                return s.reason != device::reasonText(device::SnapshotReason::Backup);
            });
            if (newest == all.end())
                throw Failure{"no snapshot of " + escaped(*router) +
                              " taken before a write is kept"};
            path = newest->path;
            std::cout << "restoring: " << escaped(path) << "\n";
        }
        return loadWithSafety(context, *router, path,
                              {device::SnapshotReason::Restore, false, *noSnapshot, *noVerify});
    };
}

const Registration kRestore{
    61, "restore ROUTER [SNAPSHOT]",
    "Load a snapshot (default: the newest taken before a write) back into ROUTER, keeping a "
    "snapshot of what it holds first, and verify it after the restart.",
    setUpRestore};

} // namespace
} // namespace tolvaro::cli
