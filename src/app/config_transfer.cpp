#include "app/config_transfer.h"

#include <string>

#include "app/main_dlg.h"
#include "app/router_selection.h"
#include "app/write_safety.h"
#include "device/config_file.h"
#include "device/fetch.h"
#include "device/load.h"
#include "operation/commit.h"
#include "ui/host.h"

namespace tolvaro::app {
namespace {

namespace text {
inline constexpr const char* kPermanentlyChange = "Permanently change the Router setting";
inline constexpr const char* kSaveDone = "Save Configuration completely";
inline constexpr const char* kResetFinished = "device reset finshed";
inline constexpr const char* kNoVersion =
    "The router did not report a readable firmware version.\nNothing was done.";
inline constexpr const char* kSaveFailed = "The configuration was not saved.\n";
} // namespace text

} // namespace

ui::FileDialogOptions configFileOptions() {
    ui::FileDialogOptions options;
    options.defaultExtension = "cfg";
    options.filter = "Config Files (*.cfg)|*.cfg|CFG Files";
    return options;
}

void runSave(AppContext& context, CMainDlg& main) {
    if (!beginRouterOperation(context, main, LoginFor::Save))
        return;
    ui::FileDialogOptions options = configFileOptions();
    options.overwritePrompt = true;
    const std::optional<std::string> path = context.host.saveFileName(options);
    if (!path)
        return;

    const DEVICE_INFO& record = context.state.selected();
    device::ConfigStore store(device::familyOf(record));
    std::string message;
    ui::Icon icon = ui::Icon::Stop;
    {
        ui::WaitCursor wait(context.host);
        main.repaintNow();
        const device::FetchResult fetched =
            device::fetchForFile(context.device, record.ipAddress, store);
        const auto version = device::fileVersionNumber(store);
        std::string error;
        if (fetched != device::FetchResult::Ok) {
            message = device::fetchFailureMessage(fetched);
            icon = ui::Icon::None;
        } else if (!version) {
            message = text::kNoVersion;
        } else if (!device::writeFileReplacing(*path, device::buildConfigFile(store, *version),
                                               &error)) {
            message = text::kSaveFailed + error;
        } else {
            context.state.firmwareLevel = store.firmwareLevel;
            message = text::kSaveDone;
            icon = ui::Icon::None;
        }
    }
    context.host.messageBox(message, ui::Buttons::Ok, icon);
}

void runLoad(AppContext& context, CMainDlg& main) {
    if (context.host.messageBox(text::kPermanentlyChange, ui::Buttons::YesNo, ui::Icon::Question) !=
        ui::Answer::Yes)
        return;
    if (!beginRouterOperation(context, main, LoginFor::Load))
        return;
    ui::FileDialogOptions options = configFileOptions();
    options.hideReadOnly = true;
    const std::optional<std::string> path = context.host.openFileName(options);
    if (!path)
        return;

    loadFile(context, main, *path, device::SnapshotReason::Load);
}

void loadFile(AppContext& context, CMainDlg& main, const std::string& path,
              device::SnapshotReason reason) {
    const DEVICE_INFO& record = context.state.selected();
    device::ConfigStore store(device::familyOf(record));
    device::FetchResult fetched;
    {
        ui::WaitCursor wait(context.host);
        main.repaintNow();
        fetched = device::fetchCatalogue(context.device, record.ipAddress, store);
    }
    if (fetched != device::FetchResult::Ok) {
        context.host.messageBox(device::fetchFailureMessage(fetched));
        return;
    }
    // Every check runs on the whole file before the first write, so a router
    // never receives part of a file.
    std::string error;
    const auto file = device::readFileBytes(path, device::largestFileSize() + 1, &error);
    if (!file) {
        context.host.messageBox(transfer_text::kOpenFailed + error, ui::Buttons::Ok,
                                ui::Icon::Stop);
        return;
    }
    const device::LoadPlan plan = device::checkLoad(*file, store);
    if (plan.check != device::LoadCheck::Ok) {
        context.host.messageBox(device::loadCheckMessage(plan.check), ui::Buttons::Ok,
                                ui::Icon::Stop);
        return;
    }
    // Only the Snapshots window restores: a snapshot changed since it was
    // kept, or kept of another router, would put the wrong settings back.
    if (reason == device::SnapshotReason::Restore && context.snapshots) {
        const std::string here = device::routerKey(store, record.ipAddress);
        const device::SnapshotOriginCheck origin =
            device::checkSnapshotOrigin(*context.snapshots, path, *file, here);
        if (origin.outcome != device::SnapshotOrigin::Ok) {
            context.host.messageBox(device::snapshotOriginMessage(origin, path, here),
                                    ui::Buttons::Ok, ui::Icon::Stop);
            return;
        }
    }

    WriteSafety safety(context, store, reason);
    if (!safety.snapshotOrAsk())
        return;
    context.state.firmwareLevel = plan.file.firmwareLevel;
    {
        ui::WaitCursor wait(context.host);
        // The results are not examined: the reset follows regardless.
        device::writeLoad(context.device, record.ipAddress, *file, plan.file,
                          device::OnSilence::GoOn, {}, &safety.sent());
    }
    operation::sendReset(context, text::kResetFinished);
    safety.verifyAndWarn();
}

} // namespace tolvaro::app
