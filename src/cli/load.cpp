// load: a configuration file into a router, then the router's restart.
//
// Stricter than the desktop program's Load, which ignores the results of its
// writes: a script sees only the exit status, so every write and the reset
// must have been answered for status 0, and a router that stops answering
// ends the load at once instead of after a time-out per remaining write.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "cli/cli.h"
#include "device/config_file.h"
#include "device/fetch.h"
#include "device/load.h"

namespace tolvaro::cli {
namespace {

using namespace std::string_literals;

std::string oneLine(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

std::string where(const device::FileWrite& w) {
    return hex(w.variable) + " (mode " + std::to_string(w.mode) + ")";
}

int load(Context& context, const std::string& routerName, const std::string& path) {
    if (!context.options.yes && !confirmLoad())
        throw Failure{"not confirmed (use --yes when no terminal is attached)"};
    const DEVICE_INFO router = login(context, routerName, device::LoginFor::Load);
    device::DeviceLink& link = context.link();
    device::ConfigStore store(device::familyOf(router));
    const device::FetchResult fetched = device::fetchCatalogue(link, router.ipAddress, store);
    if (fetched != device::FetchResult::Ok)
        throw Failure{std::string(device::fetchFailureMessage(fetched))};
    std::string error;
    const auto file = device::readFileBytes(path, device::largestFileSize() + 1, &error);
    if (!file)
        throw Failure{escaped(error)};
    const device::LoadPlan plan = device::checkLoad(*file, store);
    if (plan.check != device::LoadCheck::Ok)
        throw Failure{oneLine(device::loadCheckMessage(plan.check))};

    const device::LoadWrites writes =
        device::writeLoad(link, router.ipAddress, *file, plan.file, device::OnSilence::Stop);
    bool failed = false;
    for (const device::FailedWrite& f : writes.failed) {
        switch (f.outcome) {
        case device::WriteOutcome::NotSent:
            warn("not sent: the entry for " + where(f.write) +
                 " is too long or not a number, so the library refused it");
            failed = true;
            break;
        case device::WriteOutcome::Refused:
            // A router keeps some variables to itself (its version texts).
            if (f.readOnly) {
                warn("the router kept its own value of " + where(f.write));
            } else {
                warn("the router refused the value for " + where(f.write));
                failed = true;
            }
            break;
        case device::WriteOutcome::NoAnswer:
            break;
        }
    }
    if (writes.stopped) {
        const device::FileWrite& last = writes.failed.back().write;
        throw Failure{"the router stopped answering at " + where(last) + ", write " +
                      std::to_string(writes.attempted) + " of " +
                      std::to_string(plan.file.writes.size()) +
                      "; nothing more was sent and the router was not reset. It may now hold "
                      "part of " +
                      escaped(path) +
                      ": once it answers again, load that file again, or a configuration "
                      "saved from the router before this load"};
    }
    if (device::sendResetRequest(link, router.ipAddress) != 1)
        throw Failure{"the router did not acknowledge the reset"s +
                      (failed ? ", and refused some of the file (see above)" : "")};
    std::this_thread::sleep_for(std::chrono::milliseconds(context.options.resetWaitMs));
    if (failed)
        throw Failure{"the router restarted with only part of " + escaped(path) + " (see above)"};
    std::cout << "device reset finished\n";
    return kExitOk;
}

Runner setUp(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto path = std::make_shared<std::string>();
    command.add_option("ROUTER", *router,
                       "The router: its IP address, hardware address or name as discovery "
                       "lists it.");
    command.add_option("FILE", *path, "The configuration file to write into it.");
    return [router, path](Context& context) {
        if (path->empty())
            throw UsageError{"load needs ROUTER and FILE"};
        return load(context, *router, *path);
    };
}

const Registration kLoad{
    30, "load ROUTER FILE",
    "Write FILE into ROUTER and restart the router. The file must come from a router whose "
    "firmware gives the same file version number; it is checked whole before the first write. "
    "Fails (status 1) when the router refuses a value or the reset, and stops at the first "
    "write the router does not answer.",
    setUp};

} // namespace
} // namespace tolvaro::cli
