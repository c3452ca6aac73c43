#include "app/write_safety.h"

#include <cstring>

#include <ipslan/variables.h>

#include "device/device_link.h"
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
    std::string error;
    std::optional<std::string> path;
    {
        ui::WaitCursor wait(context_.host);
        const bool complete = device::completeForSnapshot(
            context_.device, record.ipAddress, before_, reason_ != device::SnapshotReason::Setup);
        const auto file = device::snapshotFile(before_);
        if (!complete)
            error = "The router did not answer every read the snapshot needs.";
        else if (!file)
            error = "The router did not report a readable firmware version.";
        else
            path = context_.snapshots->take(device::routerKey(before_, record.ipAddress), reason_,
                                            {record.name, record.ipAddress,
                                             device::entryText(before_.read(device::kVersionSlot))},
                                            *file, &error);
    }
    if (path) {
        snapshotPath_ = *path;
        return true;
    }
    const ui::Answer answer = context_.host.messageBox(std::string(safety_text::kSnapshotFailed) +
                                                           error + safety_text::kGoOnWithout,
                                                       ui::Buttons::YesNo, ui::Icon::Warning);
    refused_ = answer != ui::Answer::Yes;
    return !refused_;
}

void WriteSafety::verifyAndWarn() {
    if (sent_.empty())
        return;
    device::HardwareAddress hardware{};
    if (const auto slot = before_.slotOf(ipslan::var::kHardwareAddress);
        slot && device::entryLength(before_.read(*slot)) >= hardware.size())
        std::memcpy(hardware.data(), before_.read(*slot).value, hardware.size());
    const std::string address = context_.state.selected().ipAddress;
    device::VerifyResult result;
    {
        ui::WaitCursor wait(context_.host);
        result = device::verifyWrites(context_.device, address, hardware, sent_.entries());
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
