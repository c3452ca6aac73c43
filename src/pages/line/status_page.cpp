#include "pages/line/status_page.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include <ipslan/variables.h>

#include "device/config_store.h"
#include "device/device_link.h"
#include "device/line_control.h"
#include "pages/store_access.h"
#include "res/ids/status_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::status;

constexpr int kFirmwareVersion = ipslan::var::kFirmwareVersion;
constexpr int kHardwareAddress = ipslan::var::kHardwareAddress;
constexpr int kHardwareId = ipslan::var::kHardwareId;

constexpr std::string_view kDialing = "Dialing up: waiting for the line to come up";
constexpr std::string_view kHangingUp = "Hanging up: waiting for the line to drop";

// The polls show one progress window (see ui::Progress), opened at the first
// poll: the line may take the whole 20 s to come up, and a bare wait cursor
// looks like a hang.
device::PollWait pollWait(ui::Host& host, std::string_view what,
                          std::optional<ui::Progress>& progress) {
    return [&host, what, &progress](int poll, int polls) {
        if (!progress)
            progress.emplace(host, what, polls);
        host.sleepWithProgress(std::string(what) + " (" + std::to_string(poll + 1) + " of " +
                                   std::to_string(polls) + ")",
                               device::kLinePollMs);
    };
}

std::string hardwareText(const MIB_RESPONSE& entry) {
    return device::hyphenatedHardware(entry.value);
}

// The edit shows a line break only for CR LF. A log that already uses CR LF
// keeps it, so no line gets a second CR.
std::string withLineBreaks(const std::string& log) {
    std::string out;
    out.reserve(log.size() + log.size() / 16);
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == '\n' && (i == 0 || log[i - 1] != '\r'))
            out += '\r';
        out += log[i];
    }
    return out;
}

} // namespace

CMStatus::CMStatus(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::status::kTemplate, operation::kStatusPage, context, store) {}

void CMStatus::onInitDialog() {
    setText(ids::kFirmwareVersion, device::entryText(sheetEntry(store(), kFirmwareVersion)));
    setText(ids::kHardwareAddress, hardwareText(sheetEntry(store(), kHardwareAddress)));
    setText(ids::kHardwareId, hardwareText(sheetEntry(store(), kHardwareId)));
    refreshLog();
}

void CMStatus::onCommand(int id, ui::Notify notification) {
    if (notification != ui::Notify::Clicked)
        return;
    if (id == ids::kDialUp)
        dialUp();
    else if (id == ids::kHangUp)
        hangUp();
    else if (id == ids::kRefreshLog)
        refreshLog();
}

void CMStatus::dialUp() {
    ui::Host& host = context().host;
    auto outcome = device::DialOutcome::NotConnected;
    {
        ui::WaitCursor wait(host);
        std::optional<ui::Progress> progress;
        outcome = device::dialUp(context().device, context().state.selected().ipAddress,
                                 pollWait(host, kDialing, progress));
    }
    if (outcome == device::DialOutcome::Connected)
        host.messageBox(device::outcomeText(outcome), ui::Buttons::Ok, ui::Icon::Information);
    else
        host.messageBox(device::outcomeText(outcome));
    refreshLog();
}

void CMStatus::hangUp() {
    ui::Host& host = context().host;
    auto outcome = device::HangUpOutcome::NotConnected;
    {
        ui::WaitCursor wait(host);
        std::optional<ui::Progress> progress;
        outcome = device::hangUp(context().device, context().state.selected().ipAddress,
                                 pollWait(host, kHangingUp, progress));
    }
    if (outcome == device::HangUpOutcome::NotConnected) {
        host.messageBox(device::outcomeText(outcome));
        return;
    }
    if (outcome == device::HangUpOutcome::HungUp)
        host.messageBox(device::outcomeText(outcome), ui::Buttons::Ok, ui::Icon::Information);
    else
        host.messageBox(device::outcomeText(outcome));
    refreshLog();
}

void CMStatus::refreshLog() {
    std::optional<device::StatusLog> read;
    {
        ui::WaitCursor wait(context().host);
        read = device::readStatusLog(context().device, context().state.selected().ipAddress);
    }
    if (!read) {
        context().host.messageBox(device::line_text::kLogFailed);
        return;
    }
    setText(ids::kConnectionLog, withLineBreaks(read->log));
    setText(ids::kConnectionStatus, read->status);
}

} // namespace tolvaro::pages
