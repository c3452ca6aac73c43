// The safety net of the CLI's writes: one writer per router, the whole file
// checked first, a snapshot before the first write, an interrupt that stops
// between writes, and the verify after the restart.
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>

#include <ipslan/send_rule.h>

#include "cli/cli.h"
#include "device/config_file.h"
#include "device/device_record.h"
#include "device/fetch.h"
#include "device/load.h"
#include "device/verify.h"
#include "device/write_session.h"

namespace tolvaro::cli {
namespace {

// Set by the signal handler while a write runs; the writes look at it
// before each request.
volatile std::sig_atomic_t gWriting = 0;
volatile std::sig_atomic_t gInterrupt = 0;

void onTerminate(int signal) {
    if (gWriting) {
        gInterrupt = signal;
        return;
    }
    // A save in progress must not leave a temporary file with the router's
    // passwords behind.
    device::removeUnfinishedTemporary();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// While it lives, SIGINT and SIGTERM end the writes after the one in flight
// instead of the program.
class InterruptibleWrite {
public:
    InterruptibleWrite() {
        gInterrupt = 0;
        gWriting = 1;
    }
    // A signal not dealt with by then ends the program after its message
    // (pendingInterruptStatus).
    ~InterruptibleWrite() { gWriting = 0; }
    InterruptibleWrite(const InterruptibleWrite&) = delete;
    InterruptibleWrite& operator=(const InterruptibleWrite&) = delete;
    static int signal() { return gInterrupt; }
    // The program ends with 128 + the signal, as a shell reports it; the
    // signal is taken as dealt with.
    int exitStatus() {
        const int status = 128 + gInterrupt;
        gInterrupt = 0;
        return status;
    }
};

// The setting's name first, so a message reads like `show`; the number
// stays for whoever compares it with --raw.
std::string where(const device::FileWrite& w) {
    const std::string number = hex(w.variable) + " (mode " + std::to_string(w.mode) + ")";
    const device::SettingName* named = device::settingName(w.variable, w.mode);
    return named ? std::string(named->name) + ", " + number : number;
}

std::string notSendableText(const device::FileWrite& w, std::span<const std::uint8_t> file) {
    const auto check = ipslan::checkSend(w.variable, w.mode, device::fileEntryAt(file, w.offset));
    return where(w) + ": " +
           (check == ipslan::SendCheck::NotANumber ? "not a number"
                                                   : "longer than the router takes");
}

// Whether the named difference is of a setting the router keeps as its own.
bool keptByRouter(const device::NamedDifference& d, const device::CheckedFile& checked) {
    return std::any_of(
        checked.writes.begin(), checked.writes.end(), [&d](const device::FileWrite& w) {
            const device::SettingName* named = device::settingName(w.variable, w.mode);
            return device::keptByRouter(w) && named && d.key.starts_with(named->key);
        });
}

} // namespace

int pendingInterruptStatus() {
    return gInterrupt != 0 ? 128 + gInterrupt : 0;
}

void installSignalHandlers() {
    // A file size limit fails the write (and the save reports it) instead of
    // ending the program with the temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGINT, onTerminate);
    std::signal(SIGTERM, onTerminate);
}

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

int loadWithSafety(Context& context, const std::string& routerName, const std::string& path,
                   const LoadRun& run) {
    // A dry run's refusal is status 2, as diff's for a file it cannot read.
    const auto refuse = [&run](std::string text) -> int {
        if (!run.dryRun)
            throw Failure{std::move(text)};
        warn(text);
        return kExitUsage;
    };
    if (!run.dryRun && !context.options.yes && !confirmLoad())
        throw Failure{"not confirmed (use --yes when no terminal is attached)"};
    const DEVICE_INFO router = login(context, routerName, device::LoginFor::Load);
    device::DeviceLink& link = context.link();
    device::ConfigStore store(device::familyOf(router));
    const device::FetchResult fetched = device::fetchCatalogue(link, router.ipAddress, store);
    if (fetched != device::FetchResult::Ok)
        throw Failure{fetchFailure(link, router.ipAddress, fetched)};
    std::string error;
    const auto file = device::readFileBytes(path, device::largestFileSize() + 1, &error);
    if (!file)
        return refuse(escaped(error));
    const device::LoadPlan plan = device::checkLoad(*file, store);
    if (plan.check != device::LoadCheck::Ok) {
        std::string message(device::loadCheckMessage(plan.check));
        std::replace(message.begin(), message.end(), '\n', ' ');
        return refuse(message);
    }
    if (run.reason == device::SnapshotReason::Restore && !run.force) {
        const std::string here = device::routerKey(store, router.ipAddress);
        const device::SnapshotOriginCheck origin =
            device::checkSnapshotOrigin(snapshotStore(), path, *file, here);
        if (origin.outcome != device::SnapshotOrigin::Ok)
            return refuse(escaped(device::snapshotOriginMessage(origin, path, here)) +
                          " Use --force to restore it anyway.");
    }
    // The library would refuse these itself, one by one after the writes
    // before them: a router never gets part of a file.
    std::string unsendable;
    for (const device::FailedWrite& f : device::unsendable(*file, plan.file))
        if (!f.readOnly)
            unsendable += "\n  " + notSendableText(f.write, *file);
    if (!unsendable.empty())
        return refuse("the library cannot send every setting of " + escaped(path) +
                      "; nothing was written:" + unsendable);

    if (run.dryRun) {
        if (!device::completeForSnapshot(link, router.ipAddress, store, true))
            throw Failure{"the router did not answer every read the comparison needs"};
        const auto before = device::snapshotFile(store);
        const auto found = before ? device::diffConfigFiles(*before, *file) : std::nullopt;
        if (!found)
            throw Failure{"the router did not report a readable firmware version"};
        std::vector<device::NamedDifference> changes;
        for (const auto& d : *found)
            if (!keptByRouter(d, plan.file))
                changes.push_back(d);
        printDifferences(context, changes);
        return changes.empty() ? kExitOk : kExitFailed;
    }

    // From here a signal ends the writes, not the program.
    InterruptibleWrite interruptible;
    device::SnapshotStore snapshots = snapshotStore();
    const std::string key = device::routerKey(store, router.ipAddress);
    const device::WriterLock lock = snapshots.lockWriter(key, "tolvaro-cli");
    if (!lock.held())
        throw Failure{escaped(device::writerLockMessage(*lock.holder(), key))};
    if (!lock.error().empty())
        warn("no writer lock: " + escaped(lock.error()));
    std::string snapshotPath;
    if (!run.noSnapshot) {
        const device::SnapshotOutcome kept =
            device::keepSnapshot(link, router, store, true, snapshots, run.reason);
        if (!kept.path)
            throw Failure{"no snapshot could be kept (" + escaped(kept.error) +
                          "); nothing was written. Use --no-snapshot to write without one"};
        snapshotPath = *kept.path;
        std::cout << "snapshot: " << escaped(snapshotPath) << std::endl;
    }
    const std::string restoreHint =
        snapshotPath.empty() ? std::string()
                             : " Its configuration from before is kept in " +
                                   escaped(snapshotPath) + ": load that file to go back.";

    device::SentLog sent;
    const device::LoadWrites writes = device::writeLoad(
        link, router.ipAddress, *file, plan.file, device::OnSilence::Stop,
        [] { return InterruptibleWrite::signal() != 0; }, &sent);
    const auto interrupted = [&](std::size_t written) {
        const char* name = InterruptibleWrite::signal() == SIGTERM ? "SIGTERM" : "SIGINT";
        warn(std::string("interrupted (") + name + ") after write " + std::to_string(written) +
             " of " + std::to_string(plan.file.writes.size()) +
             (written == 0 ? std::string("; nothing was written")
                           : ", at " + where(plan.file.writes[written - 1])) +
             "; nothing more was sent and the router was not reset." +
             (written == 0 ? std::string() : " It may now hold part of " + escaped(path) + ".") +
             restoreHint);
        return interruptible.exitStatus();
    };
    if (writes.interrupted)
        return interrupted(writes.attempted);
    bool failed = false;
    std::string keptByRouter;
    for (const device::FailedWrite& f : writes.failed) {
        switch (f.outcome) {
        case device::WriteOutcome::NotSent:
            if (!f.readOnly) {
                warn("not sent: " + notSendableText(f.write, *file));
                failed = true;
            }
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
        std::cout << "kept by the router as its own: " << keptByRouter << std::endl;
    if (writes.stopped)
        throw Failure{"the router stopped answering at " + where(writes.failed.back().write) +
                      ", write " + std::to_string(writes.attempted) + " of " +
                      std::to_string(plan.file.writes.size()) +
                      "; nothing more was sent and the router was not reset. It may now hold "
                      "part of " +
                      escaped(path) + "." + restoreHint};
    if (InterruptibleWrite::signal() != 0)
        return interrupted(writes.attempted);
    if (device::sendResetRequest(link, router.ipAddress) != 1)
        throw Failure{std::string("the router did not acknowledge the reset") +
                      (failed ? ", and refused some of the file (see above)." : ".") + restoreHint};
    const auto newPassword = device::changedPassword(router, sent.entries());
    if (newPassword && !snapshotPath.empty())
        snapshots.addNote(key, std::filesystem::path(snapshotPath).filename().string(),
                          device::kPasswordChangedNote);
    if (newPassword)
        std::cout << "the administrator password changed: the router now answers to the one in "
                  << escaped(path) << std::endl;
    device::WaitClock& clock = context.clock;
    clock.sleepFor(std::chrono::milliseconds(context.options.resetWaitMs));

    // What the router refused is known already: the verify would only wait
    // for it to come back and name the same settings.
    if (failed)
        throw Failure{"the router restarted with only part of " + escaped(path) + " (see above)." +
                      restoreHint};
    if (run.noVerify) {
        std::cout << "device reset finished" << std::endl;
        return kExitOk;
    }
    device::logInAfterRestart(link, router, sent.entries());
    // A slow router gets a while to come back before discovery looks for it
    // elsewhere.
    device::waitUntilAnswering(link, router.ipAddress, clock, device::kComeBackLimit);
    const device::VerifyResult verified =
        device::verifyAfterRestart(link, router, device::hardwareAddressOf(store), sent.entries());
    if (verified.outcome == device::VerifyOutcome::NotFound)
        throw Failure{device::verifyMessage(verified, router.ipAddress, snapshotPath)};
    if (verified.outcome == device::VerifyOutcome::Differences) {
        for (const auto& d : verified.differences)
            warn("did not take: " + escaped(d.name) + ": the router has " + escaped(d.after) +
                 ", sent " + escaped(d.before));
        throw Failure{"the router restarted without every setting of " + escaped(path)};
    }
    std::cout << "device reset finished" << std::endl;
    return kExitOk;
}

} // namespace tolvaro::cli
