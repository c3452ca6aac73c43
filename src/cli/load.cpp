// load: a configuration file into a router, then the router's restart.
//
// Stricter than the desktop program's Load, which ignores the results of its
// writes: a script sees only the exit status, so every write and the reset
// must have been answered for status 0, and a router that stops answering
// ends the load at once instead of after a time-out per remaining write.
#include <string>

#include "cli/cli.h"

namespace tolvaro::cli {
namespace {

Runner setUp(CLI::App& command) {
    const RouterAndFile arguments =
        addRouterAndFile(command, "The configuration file to write into it.");
    auto run = std::make_shared<LoadRun>();
    command.add_flag("--dry-run", run->dryRun,
                     "Run every check of the load and print the settings the file would change "
                     "(not those the router keeps as its own); write nothing. Status 0: nothing "
                     "would change, 1: something would, 2: the file cannot be loaded.");
    command.add_flag("--no-snapshot", run->noSnapshot,
                     "Write even when no snapshot of the router can be kept.");
    command.add_flag("--no-verify", run->noVerify,
                     "Do not read the settings back after the restart.");
    return [arguments, run](Context& context) {
        return loadWithSafety(context, *arguments.router, *arguments.path, *run);
    };
}

const Registration kLoad{
    30, "load ROUTER FILE",
    "Write FILE into ROUTER and restart the router. The file must come from a router whose "
    "firmware gives the same file version number; it is checked whole before the first write. "
    "A snapshot of the router is kept first and its path printed; after the restart every "
    "setting is read back. Fails (status 1) when a setting did not take or the router refused "
    "the reset, and stops at the first write the router does not answer. Refused while another "
    "program writes to the router. SIGINT or SIGTERM stops after the write in flight, without "
    "the reset (status 130 or 143).",
    setUp};

} // namespace
} // namespace tolvaro::cli
