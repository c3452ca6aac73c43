// The steps around every write to a router, shared by the desktop program
// and the command-line tool so that neither words or orders them its own
// way: one writer per router, a snapshot before the first write, the wait
// for the router to come back after its reset, and the verify with the
// password the router holds now. Each returns its outcome as a value; the
// caller chooses the message. Nothing here prints or asks.
//
//     WriterLock lock = store.lockWriter(key, "tolvaro-cli");  // snapshots.h
//     if (!lock.held()) refuse(writerLockMessage(*lock.holder(), key));
//     SnapshotOutcome kept = keepSnapshot(link, router, before, true, store, reason);
//     ... the writes, each added to a SentLog ...
//     sendResetRequest(link, ip);                               // config_file.h
//     clock.sleepFor(resetWait);
//     logInAfterRestart(link, router, sent.entries());
//     waitUntilAnswering(link, ip, clock, kComeBackLimit);
//     VerifyResult verified = verifyAfterRestart(link, router, hardware, sent.entries());
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

#include "device/config_store.h"
#include "device/snapshots.h"
#include "device/verify.h"

namespace tolvaro::device {

class DeviceLink;

// The hardware address a store read from the router (all zeros when it
// reported none).
HardwareAddress hardwareAddressOf(const ConfigStore& store);

struct SnapshotOutcome {
    std::optional<std::string> path; // the snapshot kept; nothing on failure
    std::string error;               // why not, in a sentence
    std::vector<std::uint8_t> file;  // the configuration file kept (when built)
};

// Reads what the snapshot needs beyond what `before` holds (catalogueOnly:
// it holds the catalogue alone, as after a Load's fetch), builds the
// configuration file and keeps it in `store` under the router's hardware
// address, with its digest. `router` names the router in the index.
SnapshotOutcome keepSnapshot(DeviceLink& link, const DEVICE_INFO& router, ConfigStore& before,
                             bool catalogueOnly, SnapshotStore& store, SnapshotReason reason);

// Time for the waits of an operation. Every "up to N" wait measures the time
// that passed, requests that time out included, never the sum of its sleeps.
class WaitClock {
public:
    virtual ~WaitClock() = default;
    virtual std::chrono::steady_clock::time_point now() = 0;
    virtual void sleepFor(std::chrono::milliseconds duration) = 0;
};

// The steady clock and real sleeps.
WaitClock& steadyClock();

// How long a router gets to answer again after its reset wait.
inline constexpr std::chrono::milliseconds kComeBackLimit{10000};

// Asks the router at `ip` for its hardware address until it answers or
// `limit` has passed on `clock`, a short pause between unanswered asks.
// True when it answered.
bool waitUntilAnswering(DeviceLink& link, const char* ip, WaitClock& clock,
                        std::chrono::milliseconds limit);

// The password the router holds after `sent` when the writes changed it
// (var::kPassword, mode 0); nothing when they did not.
std::optional<std::string> changedPassword(const DEVICE_INFO& router,
                                           std::span<const SentEntry> sent);

// When `sent` changed the administrator password, sets the community a
// Load's login would choose for the new one: after its restart the router
// answers to nothing else.
void logInAfterRestart(DeviceLink& link, const DEVICE_INFO& router,
                       std::span<const SentEntry> sent);

// verifyWrites, logged in as the router now expects: when `sent` changed the
// administrator password, the community a Load's login would choose for the
// new password is set first.
VerifyResult verifyAfterRestart(DeviceLink& link, const DEVICE_INFO& router,
                                const HardwareAddress& hardware, std::span<const SentEntry> sent);

// ---- one router per identity -----------------------------------------------

// Other routers in `found` (at other IP addresses) that announced the same
// hardware address as `router` in discovery. Several routers with one
// hardware address are a copied or misconfigured router, or one speaking for
// another: what is meant for one could reach the other.
std::vector<DEVICE_INFO> twinsOf(DeviceLink& link, std::span<const DEVICE_INFO> found,
                                 const DEVICE_INFO& router);

// The refusal both front ends show for a router that has twins; `all` holds
// the router and its twins.
std::string twinMessage(DeviceLink& link, std::span<const DEVICE_INFO> all);

} // namespace tolvaro::device
