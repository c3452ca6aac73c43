#include "pages/line/quick_setup_page.h"

#include "device/commit.h"
#include "device/device_link.h"
#include "res/ids/quick_setup_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

constexpr int kLinkStateVariable = 0x0002;
constexpr int kLinkUp = 1;

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
inline constexpr const char* kLinkInUse =
    "The ISDNLink is in use.\nSaving data now will break the connection.\nUsers may have to "
    "re-establish their connection.\nClick \"OK\" to save, or \"Cancle\" to abort.";
} // namespace text

} // namespace

CMQuickSetup::CMQuickSetup(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::quick_setup::kTemplate, device::kQuickSetupPage, context, store) {}

void CMQuickSetup::onInitDialog() {
    // Every sheet starts allowing writes; only this page's apply may take
    // that back.
    store().saveConfirmed = 1;
    claimReset();
}

void CMQuickSetup::onApply() {
    if (!confirmSave())
        return;
    device::Commit commit(context(), store(), pageNumber());
    commit.finish(text::kResetFinished);
}

bool CMQuickSetup::confirmSave() {
    // A failed read leaves the entry zero: the link counts as down.
    MIB_RESPONSE link{};
    const int variable = kLinkStateVariable;
    {
        ui::WaitCursor wait(context().host);
        context().device.getInfo(context().state.selected().ipAddress, 0, 1, &variable, &link);
    }
    if (device::entryInteger(link) == kLinkUp) {
        const ui::Answer answer =
            context().host.messageBox(text::kLinkInUse, ui::Buttons::OkCancel);
        store().saveConfirmed = answer == ui::Answer::Ok ? 1 : 0;
    }
    return store().saveConfirmed == 1;
}

} // namespace tolvaro::pages
