// The safety net of the CLI's writes: snapshot before, verify after.
#include <chrono>
#include <iostream>
#include <thread>

#include <ipslan/variables.h>

#include "cli/cli.h"
#include "device/config_file.h"
#include "device/fetch.h"
#include "device/load.h"
#include "device/verify.h"

namespace tolvaro::cli {

device::SnapshotStore snapshotStore() {
    return device::SnapshotStore(device::SnapshotStore::defaultRoot());
}

std::string snapshotKey(Context& context, const DEVICE_INFO& router) {
    const auto hardware = device::readHardwareAddress(context.link(), router.ipAddress);
    if (!hardware)
        throw Failure{"the router did not answer"};
    return device::routerKey(*hardware, router.ipAddress);
}

void printDifferences(const Context& context, const std::vector<device::NamedDifference>& found) {
    if (context.options.json) {
        auto json = nlohmann::ordered_json::array();
        for (const auto& d : found)
            json.push_back({{"key", d.key}, {"name", d.name}, {"old", d.before}, {"new", d.after}});
        printJson(json);
        return;
    }
    for (const auto& d : found)
        std::cout << escaped(d.name) << ": " << escaped(d.before) << " -> " << escaped(d.after)
                  << "\n";
}

namespace {

// The setting's name first, so a message reads like `show`; the number
// stays for whoever compares it with --raw.
std::string where(const device::FileWrite& w) {
    const std::string number = hex(w.variable) + " (mode " + std::to_string(w.mode) + ")";
    const device::SettingName* named = device::settingName(w.variable, w.mode);
    return named ? std::string(named->name) + ", " + number : number;
}

} // namespace

int loadWithSafety(Context& context, const std::string& routerName, const std::string& path,
                   const LoadRun& run) {
    if (!run.dryRun && !context.options.yes && !confirmLoad())
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
    if (plan.check != device::LoadCheck::Ok) {
        std::string message(device::loadCheckMessage(plan.check));
        std::replace(message.begin(), message.end(), '\n', ' ');
        throw Failure{message};
    }

    // The router's whole configuration, for the snapshot and the dry run.
    const bool complete = device::completeForSnapshot(link, router.ipAddress, store, true);
    const auto before = complete ? device::snapshotFile(store) : std::nullopt;
    if (run.dryRun) {
        if (!before)
            throw Failure{"the router did not answer every read the comparison needs"};
        printDifferences(context, device::diffConfigFiles(*before, *file)
                                      .value_or(std::vector<device::NamedDifference>{}));
        return kExitOk;
    }
    std::string snapshotPath;
    if (!run.noSnapshot) {
        std::optional<std::string> taken;
        if (before) {
            device::SnapshotStore snapshots = snapshotStore();
            taken = snapshots.take(device::routerKey(store, router.ipAddress), run.reason,
                                   {router.name, router.ipAddress,
                                    device::entryText(store.read(device::kVersionSlot))},
                                   *before, &error);
        } else {
            error = "the router did not answer every read the snapshot needs";
        }
        if (!taken)
            throw Failure{"no snapshot could be kept (" + escaped(error) +
                          "); nothing was written. Use --no-snapshot to write without one"};
        snapshotPath = *taken;
        std::cout << "snapshot: " << escaped(snapshotPath) << "\n";
    }

    const device::LoadWrites writes =
        device::writeLoad(link, router.ipAddress, *file, plan.file, device::OnSilence::Stop);
    bool failed = false;
    std::string keptByRouter;
    for (const device::FailedWrite& f : writes.failed) {
        switch (f.outcome) {
        case device::WriteOutcome::NotSent:
            warn("not sent: the entry for " + where(f.write) +
                 " is too long or not a number, so the library refused it");
            failed = true;
            break;
        case device::WriteOutcome::Refused:
            // A router keeps some variables to itself (its version texts and
            // hardware address) on every load: one line of information, not
            // a warning per variable that would teach users to skip warnings.
            if (f.readOnly) {
                keptByRouter += (keptByRouter.empty() ? "" : "; ") + where(f.write);
            } else {
                warn("the router refused the value for " + where(f.write));
                failed = true;
            }
            break;
        case device::WriteOutcome::NoAnswer:
            break;
        }
    }
    if (!keptByRouter.empty())
        std::cout << "kept by the router as its own: " << keptByRouter << "\n";
    const std::string restoreHint =
        snapshotPath.empty() ? std::string()
                             : " Its configuration from before is kept in " +
                                   escaped(snapshotPath) + ": load that file to go back.";
    if (writes.stopped)
        throw Failure{"the router stopped answering at " + where(writes.failed.back().write) +
                      ", write " + std::to_string(writes.attempted) + " of " +
                      std::to_string(plan.file.writes.size()) +
                      "; nothing more was sent and the router was not reset. It may now hold "
                      "part of " +
                      escaped(path) + "." + restoreHint};
    if (device::sendResetRequest(link, router.ipAddress) != 1)
        throw Failure{std::string("the router did not acknowledge the reset") +
                      (failed ? ", and refused some of the file (see above)." : ".") + restoreHint};
    std::this_thread::sleep_for(std::chrono::milliseconds(context.options.resetWaitMs));

    std::vector<device::SentEntry> sent;
    device::SentLog log;
    for (const device::FileWrite& w : plan.file.writes)
        log.add(w.mode, w.variable, device::fileEntryAt(*file, w.offset));
    device::HardwareAddress hardware{};
    if (const auto slot = store.slotOf(ipslan::var::kHardwareAddress);
        slot && device::entryLength(store.read(*slot)) >= hardware.size())
        std::memcpy(hardware.data(), store.read(*slot).value, hardware.size());
    // What the router refused is known already: the verify would only wait
    // for it to come back and name the same settings.
    if (failed)
        throw Failure{"the router restarted with only part of " + escaped(path) + " (see above)." +
                      restoreHint};
    if (run.noVerify) {
        std::cout << "device reset finished\n";
        return kExitOk;
    }
    // A slow router gets a while to come back before discovery looks for it
    // elsewhere.
    constexpr int kComeBackMs = 10000;
    constexpr int kPollMs = 250;
    for (int waited = 0;
         waited < kComeBackMs && !device::readHardwareAddress(link, router.ipAddress);
         waited += kPollMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    const device::VerifyResult verified =
        device::verifyWrites(link, router.ipAddress, hardware, log.entries());
    if (verified.outcome == device::VerifyOutcome::NotFound)
        throw Failure{device::verifyMessage(verified, router.ipAddress, snapshotPath)};
    if (verified.outcome == device::VerifyOutcome::Differences) {
        for (const auto& d : verified.differences)
            warn("did not take: " + escaped(d.name) + ": the router has " + escaped(d.after) +
                 ", sent " + escaped(d.before));
        throw Failure{"the router restarted without every setting of " + escaped(path)};
    }
    std::cout << "device reset finished\n";
    return kExitOk;
}

} // namespace tolvaro::cli
