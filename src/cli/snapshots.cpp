// snapshots: the snapshots kept of a router, newest first.
#include <algorithm>
#include <cctype>
#include <iostream>

#include "cli/cli.h"

namespace tolvaro::cli {
namespace {

// "02:4B:56:00:09:02" or "02-4b-56-00-09-02" as the store names its folder.
std::optional<std::string> hardwareKey(std::string text) {
    if (text.size() != 17)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (i % 3 == 2 ? (c != ':' && c != '-') : !std::isxdigit(c))
            return std::nullopt;
        text[i] = i % 3 == 2 ? '-' : static_cast<char>(std::toupper(c));
    }
    return text;
}

// The snapshot folder of ROUTER without asking the router: its hardware
// address, or a name or address the index recorded for exactly one router.
// Several routers so recorded are refused with the list; none gives nothing.
std::optional<std::string> keyOffline(const std::string& wanted) {
    const device::SnapshotStore store = snapshotStore();
    if (const auto key = hardwareKey(wanted))
        return key;
    std::vector<std::string> matches;
    for (const std::string& router : store.routers()) {
        const auto all = store.list(router);
        if (router == wanted || std::ranges::any_of(all, [&](const device::SnapshotInfo& s) {
                return s.routerName == wanted || s.address == wanted;
            }))
            matches.push_back(router);
    }
    if (matches.size() > 1) {
        std::string text = "the snapshots of " + std::to_string(matches.size()) +
                           " routers were taken of \"" + escaped(wanted) +
                           "\"; name one by its hardware address:";
        for (const std::string& m : matches)
            text += "\n  " + escaped(m);
        throw Failure{text};
    }
    if (matches.empty())
        return std::nullopt;
    return matches.front();
}

int list(Context& context, const std::string& routerName) {
    std::optional<std::string> key = keyOffline(routerName);
    if (!key)
        key = snapshotKey(context, login(context, routerName, device::LoginFor::Save));
    const auto found = snapshotStore().list(*key);
    if (context.options.json) {
        auto json = nlohmann::ordered_json::array();
        for (const auto& s : found)
            json.push_back({{"path", s.path},
                            {"time", s.time},
                            {"reason", s.reason},
                            {"firmware", s.firmware},
                            {"sha256", s.sha256},
                            {"note", s.note}});
        printJson(json);
    } else {
        for (const auto& s : found)
            std::cout << s.time << "  " << s.reason << "  " << escaped(s.firmware) << "  "
                      << escaped(s.path) << (s.note.empty() ? "" : "  (" + escaped(s.note) + ")")
                      << "\n";
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
                              "List the snapshots kept of ROUTER before each write, newest first. "
                              "Works without the router when ROUTER is its hardware address or "
                              "a name or address the snapshots recorded.",
                              setUpList};

Runner setUpRestore(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto snapshot = std::make_shared<std::string>();
    auto noSnapshot = std::make_shared<bool>(false);
    auto noVerify = std::make_shared<bool>(false);
    auto force = std::make_shared<bool>(false);
    command.add_option("ROUTER", *router, "The router.")->required();
    command.add_option(
        "SNAPSHOT", *snapshot,
        "The snapshot file (default: the newest taken before a write, not by backup).");
    command.add_flag("--no-snapshot", *noSnapshot, "Write even when no snapshot can be kept.");
    command.add_flag("--no-verify", *noVerify, "Do not read the settings back after the restart.");
    command.add_flag("--force", *force,
                     "Restore a snapshot that changed since it was kept, or that was kept of "
                     "another router.");
    return [router, snapshot, noSnapshot, noVerify, force](Context& context) {
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
        return loadWithSafety(
            context, *router, path,
            {device::SnapshotReason::Restore, false, *noSnapshot, *noVerify, *force});
    };
}

const Registration kRestore{
    61, "restore ROUTER [SNAPSHOT]",
    "Load a snapshot (default: the newest taken before a write) back into ROUTER, keeping a "
    "snapshot of what it holds first, and verify it after the restart. A snapshot whose SHA-256 "
    "no longer matches the index, or that was kept of another router, is refused unless "
    "--force.",
    setUpRestore};

} // namespace
} // namespace tolvaro::cli
