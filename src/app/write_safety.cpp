#include "app/write_safety.h"

#include <filesystem>

#include "device/device_link.h"
#include "device/device_record.h"
#include "device/write_session.h"
#include "ui/host.h"

namespace tolvaro::app {

WriteSafety::WriteSafety(AppContext& context, device::ConfigStore& before,
                         device::SnapshotReason reason)
    : context_(context), before_(before), reason_(reason) {}

WriteSafety::~WriteSafety() {
    if (watching_)
        context_.guard = previous_;
}

void WriteSafety::watchCommits() {
    if (watching_)
        return;
    previous_ = context_.guard;
    context_.guard = this;
    watching_ = true;
}

bool WriteSafety::snapshotOrAsk() {
    if (asked_)
        return !refused_;
    asked_ = true;
    if (!context_.snapshots)
        return true;
    const DEVICE_INFO& record = context_.state.selected();
    // One writer per router: a second program (or a second window) writing
    // at the same time would interleave its writes with these.
    lock_ = context_.snapshots->lockWriter(device::routerKey(before_, record.ipAddress),
                                           context_.writerName);
    if (!lock_.held()) {
        context_.host.messageBox(
            device::writerLockMessage(*lock_.holder(), device::fieldText(record.ipAddress)),
            ui::Buttons::Ok, ui::Icon::Stop);
        refused_ = true;
        return false;
    }
    device::SnapshotOutcome kept;
    {
        ui::WaitCursor wait(context_.host);
        kept = device::keepSnapshot(context_.device, record, before_,
                                    reason_ != device::SnapshotReason::Setup, *context_.snapshots,
                                    reason_);
    }
    if (kept.path) {
        snapshotPath_ = *kept.path;
        return true;
    }
    const ui::Answer answer = context_.host.messageBox(std::string(safety_text::kSnapshotFailed) +
                                                           kept.error + safety_text::kGoOnWithout,
                                                       ui::Buttons::YesNo, ui::Icon::Warning);
    refused_ = answer != ui::Answer::Yes;
    return !refused_;
}

void WriteSafety::verifyAndWarn() {
    const DEVICE_INFO& record = context_.state.selected();
    if (context_.snapshots && !snapshotPath_.empty() &&
        device::changedPassword(record, sent_.entries())) {
        const std::string name = std::filesystem::path(snapshotPath_).filename().string();
        context_.snapshots->addNote(device::routerKey(before_, record.ipAddress), name,
                                    device::kPasswordChangedNote);
    }
    if (!context_.verifyAfterReset || sent_.empty())
        return;
    const std::string address = record.ipAddress;
    device::VerifyResult result;
    {
        ui::WaitCursor wait(context_.host);
        result = device::verifyAfterRestart(context_.device, record,
                                            device::hardwareAddressOf(before_), sent_.entries());
    }
    const std::string message = device::verifyMessage(result, address, snapshotPath_);
    if (!message.empty())
        context_.host.messageBox(message, ui::Buttons::Ok, ui::Icon::Warning);
}

bool WriteSafety::beforeWrite(device::ConfigStore& store) {
    if (snapshotOrAsk())
        return true;
    // Declined: this and every later apply write nothing, and no reset.
    store.saveConfirmed = 0;
    return false;
}

void WriteSafety::written(int mode, std::span<const int> variables,
                          std::span<const _snmp_packet> entries) {
    sent_.add(mode, variables, entries);
}

void WriteSafety::afterReset() {
    verifyAndWarn();
}

} // namespace tolvaro::app
