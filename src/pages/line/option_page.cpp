#include "pages/line/option_page.h"

#include <array>
#include <cstdint>

#include <ipslan/variables.h>

#include "device/config_store.h"
#include "device/device_record.h"
#include "operation/commit.h"
#include "pages/signed_number.h"
#include "pages/store_access.h"
#include "res/ids/option_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::option;

constexpr int kAdminPassword = ipslan::var::kPassword;
constexpr int kAnswerPing = ipslan::var::kAnswerWanPing;
constexpr int kRemoteManagementOff = ipslan::var::kRemoteManagement;
constexpr int kWebPort = ipslan::var::kWebPort;
constexpr int kWebManagementOff = ipslan::var::kWebManagementOff;
constexpr int kUtilityPort = ipslan::var::kUtilityPort;

constexpr std::size_t kPasswordLength = 9;
constexpr int kHighestPort = 65535;

constexpr std::array<int, 4> kPortControls{ids::kWebPort, ids::kUtilityPort, ids::kWebPortLabel,
                                           ids::kUtilityPortLabel};
constexpr std::array<int, 8> kFamily2Controls{
    ids::kEnableRemoteManagement, ids::kRespondToPing, ids::kWebPort,          ids::kUtilityPort,
    ids::kRemoteManagementGroup,  ids::kWebPortLabel,  ids::kUtilityPortLabel, ids::kIcmpGroup};

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
inline constexpr const char* kPasswordMismatch = "Password verified wrong.";
inline constexpr const char* kPortRange = "Port Number should be 0-65535";
} // namespace text

std::string cut(std::string text, std::size_t length) {
    if (text.size() > length)
        text.resize(length);
    return text;
}

// The numbers of this page go out as type 2 with a length word of 1 however
// many digits they have; the library reads the text, not the length.
void putSmallNumber(_snmp_packet& entry, int value) {
    entry.type = kTypeInteger;
    device::setEntryText(entry, std::to_string(value));
    device::setEntryLength(entry, 1);
}

bool isPort(const std::string& field) {
    const auto port = parseSignedNumber(field);
    return port && *port >= 0 && *port <= kHighestPort;
}

} // namespace

CMPass::CMPass(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::option::kTemplate, operation::kOptionPage, context, store) {}

void CMPass::onInitDialog() {
    const std::string password = device::entryText(sheetEntry(store(), kAdminPassword));
    setText(ids::kPassword, password);
    setText(ids::kVerifyPassword, password);
    limitText(ids::kPassword, ids::kPasswordLimit);
    limitText(ids::kVerifyPassword, ids::kPasswordLimit);

    if (store().family() == device::Family::One) {
        // The first family has neither remote management nor the ping switch.
        for (int id : kFamily2Controls)
            enable(id, false);
    } else {
        const bool managed = device::entryInteger(sheetEntry(store(), kRemoteManagementOff)) != 1;
        setChecked(ids::kEnableRemoteManagement, managed);
        enablePortFields(managed);
        setChecked(ids::kRespondToPing,
                   device::entryInteger(sheetEntry(store(), kAnswerPing)) != 0);
        setText(ids::kWebPort, std::to_string(device::entryInteger(sheetEntry(store(), kWebPort))));
        setText(ids::kUtilityPort,
                std::to_string(device::entryInteger(sheetEntry(store(), kUtilityPort))));
    }
    claimReset();
}

bool CMPass::onKillActive() {
    if (const auto problem = firstProblem()) {
        context().host.messageBox(*problem);
        return false;
    }
    return true;
}

void CMPass::onCommand(int id, ui::Notify notification) {
    if (id == ids::kEnableRemoteManagement && notification == ui::Notify::Clicked)
        enablePortFields(isChecked(ids::kEnableRemoteManagement));
    else if (id == ids::kPassword && notification == ui::Notify::TextChanged)
        setModified();
}

void CMPass::enablePortFields(bool enabled) {
    for (int id : kPortControls)
        enable(id, enabled);
}

std::optional<std::string> CMPass::firstProblem() const {
    if (cut(text(ids::kPassword), kPasswordLength) !=
        cut(text(ids::kVerifyPassword), kPasswordLength))
        return text::kPasswordMismatch;
    // Text that is not a 16-bit number would be sent as whatever number it
    // reads as and could leave the router unmanageable from the Internet.
    if (store().family() == device::Family::Two && isChecked(ids::kEnableRemoteManagement) &&
        (!isPort(text(ids::kWebPort)) || !isPort(text(ids::kUtilityPort))))
        return text::kPortRange;
    return std::nullopt;
}

void CMPass::onApply() {
    operation::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;

    const std::string password = cut(text(ids::kPassword), kPasswordLength);
    device::setEntryText(writeEntry(store(), kAdminPassword), password);
    // The router answers to the new password once it has restarted.
    device::setField(context().state.selected().password, password);

    if (store().family() == device::Family::One) {
        commit.writeVariables(std::array{kAdminPassword});
    } else {
        const bool managed = isChecked(ids::kEnableRemoteManagement);
        putSmallNumber(writeEntry(store(), kAnswerPing), isChecked(ids::kRespondToPing) ? 1 : 0);
        putSmallNumber(writeEntry(store(), kRemoteManagementOff), managed ? 0 : 1);
        putSmallNumber(writeEntry(store(), kWebManagementOff), managed ? 0 : 1);
        putSmallNumber(writeEntry(store(), kWebPort), signedNumberOr0(text(ids::kWebPort)));
        putSmallNumber(writeEntry(store(), kUtilityPort), signedNumberOr0(text(ids::kUtilityPort)));
        commit.writeVariables(std::array{kAdminPassword, kAnswerPing, kRemoteManagementOff,
                                         kWebPort, kWebManagementOff, kUtilityPort});
    }
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
