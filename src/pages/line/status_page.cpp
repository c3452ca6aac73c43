#include "pages/line/status_page.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include <ipslan/variables.h>

#include "device/config_store.h"
#include "device/device_link.h"
#include "operation/commit.h"
#include "pages/store_access.h"
#include "res/ids/status_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::status;

constexpr int kLinkStatus = ipslan::var::kLinkStatus;
constexpr int kLineCommand = ipslan::var::kLineCommand;
constexpr int kFirmwareVersion = ipslan::var::kFirmwareVersion;
constexpr int kHardwareAddress = ipslan::var::kHardwareAddress;
constexpr int kHardwareId = ipslan::var::kHardwareId;
constexpr const char* kDial = "2";
constexpr const char* kHangUp = "1";

// The nine log parts in the order they are joined, then the status text.
constexpr std::array<int, 10> kLogRequest = [] {
    std::array<int, 10> out{};
    std::copy(ipslan::var::kLogTable.begin(), ipslan::var::kLogTable.end(), out.begin());
    out.back() = ipslan::var::kStatusText;
    return out;
}();
constexpr std::size_t kLogParts = 9;
constexpr std::size_t kStatusText = 9;
constexpr std::size_t kLogCapacity = 2549;

constexpr int kPollMs = 2000;
constexpr int kDialPolls = 10;
constexpr int kHangUpPolls = 5;
constexpr std::string_view kDialing = "Dialing up: waiting for the line to come up";
constexpr std::string_view kHangingUp = "Hanging up: waiting for the line to drop";

namespace text {
inline constexpr const char* kConnected = "Connect ISP successfully.";
inline constexpr const char* kNotConnected = "Fail to Connect!";
inline constexpr const char* kNoConnection = "Doesn't connect";
inline constexpr const char* kHungUp = "HangUp successfully";
inline constexpr const char* kStillConnected = "Still connect";
inline constexpr const char* kLogFailed = "Get Status Log fail";
} // namespace text

// The polls show one progress window (see ui::Progress): the line may take
// the whole 20 s to come up, and a bare wait cursor looks like a hang.
void pollWait(ui::Host& host, std::string_view what, int poll, int polls) {
    host.sleepWithProgress(std::string(what) + " (" + std::to_string(poll + 1) + " of " +
                               std::to_string(polls) + ")",
                           kPollMs);
}

std::string hardwareText(const MIB_RESPONSE& entry) {
    char buffer[18];
    std::snprintf(buffer, sizeof buffer, "%02X-%02X-%02X-%02X-%02X-%02X", entry.value[0],
                  entry.value[1], entry.value[2], entry.value[3], entry.value[4], entry.value[5]);
    return buffer;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
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
    setText(ids::kFirmwareVersion, device::entryText(readEntry(store(), kFirmwareVersion)));
    setText(ids::kHardwareAddress, hardwareText(readEntry(store(), kHardwareAddress)));
    setText(ids::kHardwareId, hardwareText(readEntry(store(), kHardwareId)));
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
    int status = 0;
    {
        ui::WaitCursor wait(host);
        sendLineCommand(kDial);
        ui::Progress progress(host, kDialing, kDialPolls);
        for (int poll = 0; poll < kDialPolls; ++poll) {
            pollWait(host, kDialing, poll, kDialPolls);
            status = linkStatus();
            if (status != 0)
                break;
        }
    }
    if (status == 1)
        host.messageBox(text::kConnected, ui::Buttons::Ok, ui::Icon::Information);
    else
        host.messageBox(text::kNotConnected);
    refreshLog();
}

void CMStatus::hangUp() {
    ui::Host& host = context().host;
    bool wasUp = false;
    int status = 0;
    {
        ui::WaitCursor wait(host);
        wasUp = linkStatus() != 0;
        if (wasUp) {
            sendLineCommand(kHangUp);
            ui::Progress progress(host, kHangingUp, kHangUpPolls);
            for (int poll = 0; poll < kHangUpPolls; ++poll) {
                pollWait(host, kHangingUp, poll, kHangUpPolls);
                status = linkStatus();
                if (status != 1)
                    break;
            }
        }
    }
    if (!wasUp) {
        host.messageBox(text::kNoConnection);
        return;
    }
    if (status == 0)
        host.messageBox(text::kHungUp, ui::Buttons::Ok, ui::Icon::Information);
    else
        host.messageBox(text::kStillConnected);
    refreshLog();
}

void CMStatus::refreshLog() {
    std::array<MIB_RESPONSE, kLogRequest.size()> results{};
    int ok = 0;
    {
        ui::WaitCursor wait(context().host);
        ok = context().device.getInfo(context().state.selected().ipAddress, 0,
                                      static_cast<int>(kLogRequest.size()), kLogRequest.data(),
                                      results.data());
    }
    if (ok == 0) {
        context().host.messageBox(text::kLogFailed);
        return;
    }
    std::string log;
    for (std::size_t i = 0; i < kLogParts && log.size() < kLogCapacity; ++i)
        log += device::entryText(results[i]);
    if (log.size() > kLogCapacity)
        log.resize(kLogCapacity);
    setText(ids::kConnectionLog, withLineBreaks(log));

    std::string status = device::entryText(results[kStatusText]);
    replaceAll(status, "Accont", "Account");
    setText(ids::kConnectionStatus, status);
}

int CMStatus::linkStatus() {
    MIB_RESPONSE entry{};
    const int variable = kLinkStatus;
    if (context().device.getInfo(context().state.selected().ipAddress, 0, 1, &variable, &entry) ==
        0)
        return 0;
    return device::entryInteger(entry);
}

void CMStatus::sendLineCommand(const char* command) {
    // The outcome is not examined: the polls that follow tell.
    _snmp_packet entry{};
    entry.type = kTypeInteger;
    device::setEntryText(entry, command);
    const int variable = kLineCommand;
    context().device.setInfo(context().state.selected().ipAddress, 0, 1, &variable, &entry);
}

} // namespace tolvaro::pages
