#include "app/compare_dlg.h"

#include "app/config_transfer.h"
#include "app/login.h"
#include "app/router_selection.h"
#include "device/config_file.h"
#include "device/device_record.h"
#include "device/fetch.h"
#include "device/load.h"
#include "device/snapshots.h"
#include "ui/host.h"

namespace tolvaro::app {

namespace ids = res::compare;

CCompareDlg::CCompareDlg(CompareSide left, CompareSide right,
                         std::vector<device::NamedDifference> differences)
    : ui::Dialog(ids::kTemplate), left_(std::move(left)), right_(std::move(right)),
      differences_(std::move(differences)) {}

void CCompareDlg::onInitDialog() {
    setText(ids::kLeftLabel, left_.description);
    setText(ids::kRightLabel, right_.description);
    auto rows = list(ids::kList);
    const int w = rows.pixelWidth() - 4;
    rows.addColumn(compare_text::kColumnSetting, w * 9 / 20);
    rows.addColumn(left_.title, w * 11 / 40);
    rows.addColumn(right_.title, w - w * 9 / 20 - w * 11 / 40);
    for (const device::NamedDifference& d : differences_) {
        const int row = rows.insert(rows.count(), d.name);
        rows.setText(row, 1, d.before);
        rows.setText(row, 2, d.after);
    }
    const bool same = differences_.empty();
    show(ids::kList, !same);
    setText(ids::kSameNote, compare_text::kSame);
    show(ids::kSameNote, same);
}

void showDifferences(ui::Host& host, CompareSide left, CompareSide right,
                     std::vector<device::NamedDifference> differences) {
    CCompareDlg window(std::move(left), std::move(right), std::move(differences));
    window.runModal(host);
}

std::string routerDescription(const DEVICE_INFO& record) {
    return std::string(compare_text::kRouter) + ": " + device::fieldText(record.name) + " (" +
           device::fieldText(record.ipAddress) + ")";
}

std::optional<LiveConfiguration> readLiveConfiguration(AppContext& context) {
    if (!runLogin(context, LoginFor::Setup))
        return std::nullopt;
    const DEVICE_INFO& record = context.state.selected();
    LiveConfiguration live{device::ConfigStore(device::familyOf(record)), {}};
    device::FetchResult fetched;
    {
        ui::WaitCursor wait(context.host);
        fetched = device::fetchForFile(context.device, record.ipAddress, live.store);
    }
    if (fetched != device::FetchResult::Ok) {
        context.host.messageBox(device::fetchFailureMessage(fetched));
        return std::nullopt;
    }
    auto file = device::snapshotFile(live.store);
    if (!file) {
        context.host.messageBox(compare_text::kNoVersion, ui::Buttons::Ok, ui::Icon::Stop);
        return std::nullopt;
    }
    live.file = std::move(*file);
    return live;
}

void compareWithFile(AppContext& context, CMainDlg& main) {
    if (!chooseRouter(context, main))
        return;
    ui::FileDialogOptions options = configFileOptions();
    options.hideReadOnly = true;
    const std::optional<std::string> path = context.host.openFileName(options);
    if (!path)
        return;
    std::string error;
    const auto file = device::readFileBytes(*path, device::largestFileSize() + 1, &error);
    if (!file) {
        context.host.messageBox(transfer_text::kOpenFailed + error, ui::Buttons::Ok,
                                ui::Icon::Stop);
        return;
    }
    const auto live = readLiveConfiguration(context);
    if (!live)
        return;
    // Load's own checks decide what counts as a configuration file; a file
    // of other firmware is still one, and comparing it is harmless.
    const device::LoadCheck check = device::checkLoad(*file, live->store).check;
    const auto differences =
        check == device::LoadCheck::Ok || check == device::LoadCheck::VersionMismatch
            ? device::diffConfigFiles(live->file, *file)
            : std::nullopt;
    if (!differences) {
        const bool readable =
            check == device::LoadCheck::Ok || check == device::LoadCheck::VersionMismatch;
        const auto refusal = readable ? device::LoadCheck::FormatError : check;
        context.host.messageBox(device::loadCheckMessage(refusal), ui::Buttons::Ok, ui::Icon::Stop);
        return;
    }
    showDifferences(
        context.host, {compare_text::kRouter, routerDescription(context.state.selected())},
        {compare_text::kFile, std::string(compare_text::kFile) + ": " + *path}, *differences);
}

} // namespace tolvaro::app
