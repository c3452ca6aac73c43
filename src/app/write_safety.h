// The safety net of an operation that writes to a router (Setup's OK, Load,
// Restore): a snapshot of what the router held before the first write, a
// record of what was sent, and the verify after the restart.
//
// None of it changes a specified text or step: a snapshot that cannot be
// written adds one question before the first write, and settings that did
// not take add one warning after the reset message.
#pragma once

#include <string>

#include "device/config_store.h"
#include "device/snapshots.h"
#include "device/verify.h"
#include "operation/app_context.h"

namespace tolvaro::app {

namespace safety_text {
inline constexpr const char* kSnapshotFailed =
    "The router's current configuration could not be kept as a snapshot before this change:\n";
inline constexpr const char* kGoOnWithout = "\n\nWrite to the router without a snapshot?";
} // namespace safety_text

class WriteSafety final : public operation::WriteGuard {
public:
    // `before`'s read image holds what the router held; it must outlive this
    // object.
    WriteSafety(AppContext& context, device::ConfigStore& before, device::SnapshotReason reason);
    ~WriteSafety();

    // Watches the commits of the context's operation while it lives (Setup).
    void watchCommits();

    // Takes the router's writer lock and the snapshot once; when another
    // writer holds the lock, says who and refuses; when the snapshot cannot
    // be written, asks whether to go on. False when refused or declined.
    // Without a snapshot store it does nothing and returns true.
    bool snapshotOrAsk();
    const std::string& snapshotPath() const { return snapshotPath_; }

    device::SentLog& sent() { return sent_; }

    // Reads back what was sent and warns about what did not take (when the
    // context asks for it).
    void verifyAndWarn();

    // WriteGuard.
    bool beforeWrite(device::ConfigStore& store) override;
    void written(int mode, std::span<const int> variables,
                 std::span<const _snmp_packet> entries) override;
    void afterReset() override;

private:
    AppContext& context_;
    device::ConfigStore& before_;
    device::SnapshotReason reason_;
    // The router's record as the operation began: the Option page's apply
    // puts a new password into the live record before the restart, and
    // the verify must see that it changed to log in with it.
    DEVICE_INFO recordBefore_;
    operation::WriteGuard* previous_ = nullptr;
    bool watching_ = false;
    bool asked_ = false;
    bool refused_ = false;
    std::string snapshotPath_;
    device::SentLog sent_;
    device::WriterLock lock_; // held from the snapshot to the end of the verify
};

} // namespace tolvaro::app
