#include "app/snapshots_dlg.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "app/compare_dlg.h"
#include "app/config_transfer.h"
#include "app/login.h"
#include "app/router_selection.h"
#include "device/config_file.h"
#include "device/device_link.h"
#include "device/device_record.h"
#include "device/load.h"
#include "device/verify.h"
#include "ui/host.h"

namespace tolvaro::app {

namespace ids = res::snapshots;

std::string localTimeText(std::string_view utcStamp) {
    std::tm tm{};
    char zone = 0;
    const std::string stamp(utcStamp);
    if (std::sscanf(stamp.c_str(), "%4d%2d%2dT%2d%2d%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &zone) != 7 ||
        zone != 'Z')
        return stamp;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    const std::time_t t = timegm(&tm);
    std::tm local{};
    if (t == -1 || !localtime_r(&t, &local))
        return stamp;
    char out[32];
    std::strftime(out, sizeof out, "%Y-%m-%d %H:%M:%S", &local);
    return out;
}

CSnapshotsDlg::CSnapshotsDlg(AppContext& context, CMainDlg& main, device::SnapshotStore& store,
                             std::string routerKey)
    : ui::Dialog(ids::kTemplate), context_(context), main_(main), store_(store),
      routerKey_(std::move(routerKey)) {}

void CSnapshotsDlg::onInitDialog() {
    const DEVICE_INFO& record = context_.state.selected();
    setText(ids::kRouterLabel, std::string(snapshots_text::kListOf) +
                                   device::fieldText(record.name) + " (" +
                                   device::fieldText(record.ipAddress) + "), newest first:");
    setText(ids::kNoneNote, snapshots_text::kNone);
    auto rows = list(ids::kList);
    const int w = rows.pixelWidth() - 4;
    rows.addColumn(snapshots_text::kColumnTime, w * 9 / 20);
    rows.addColumn(snapshots_text::kColumnReason, w / 5);
    rows.addColumn(snapshots_text::kColumnFirmware, w - w * 9 / 20 - w / 5);
    fill();
}

void CSnapshotsDlg::fill() {
    snapshots_ = store_.list(routerKey_);
    auto rows = list(ids::kList);
    rows.removeAll();
    auto others = combo(ids::kOther);
    others.reset();
    for (const device::SnapshotInfo& s : snapshots_) {
        const int row = rows.insert(rows.count(), timeOf(s));
        rows.setText(row, 1, s.reason);
        rows.setText(row, 2, s.firmware);
        others.add(timeOf(s));
    }
    rows.setSelected(-1, false);
    rows.setSelectionMark(snapshots_.empty() ? -1 : 0);
    if (!snapshots_.empty())
        rows.setSelected(0, true);
    // The one before the newest: what the last write changed.
    others.select(snapshots_.size() > 1 ? 1 : 0);
    show(ids::kList, !snapshots_.empty());
    show(ids::kNoneNote, snapshots_.empty());
    enableButtons();
}

void CSnapshotsDlg::enableButtons() {
    const bool one = chosen() != nullptr;
    enable({ids::kCompareRouter, ids::kSaveAs, ids::kDelete, ids::kRestore}, one);
    enable({ids::kOtherLabel, ids::kOther, ids::kCompareSnapshots}, one && snapshots_.size() > 1);
}

const device::SnapshotInfo* CSnapshotsDlg::chosen() const {
    const auto rows = list(ids::kList);
    const int row = rows.selectionMark();
    if (row < 0 || row >= static_cast<int>(snapshots_.size()) || !rows.isSelected(row))
        return nullptr;
    return &snapshots_[static_cast<std::size_t>(row)];
}

std::string CSnapshotsDlg::timeOf(const device::SnapshotInfo& snapshot) const {
    return localTimeText(snapshot.time);
}

void CSnapshotsDlg::onCommand(int id, ui::Notify notification) {
    if (id == ids::kList) {
        if (notification == ui::Notify::ListClick || notification == ui::Notify::ListItemChanged)
            enableButtons();
        return;
    }
    if (notification != ui::Notify::Clicked)
        return;
    switch (id) {
    case ids::kCompareRouter:
        compareWithRouter();
        break;
    case ids::kCompareSnapshots:
        compareSnapshots();
        break;
    case ids::kSaveAs:
        saveAs();
        break;
    case ids::kDelete:
        remove();
        break;
    case ids::kRestore:
        restore();
        break;
    default:
        break;
    }
}

std::optional<std::vector<std::uint8_t>>
CSnapshotsDlg::readSnapshot(const device::SnapshotInfo& snapshot) {
    std::string error;
    auto bytes = device::readFileBytes(snapshot.path, device::largestFileSize() + 1, &error);
    if (!bytes)
        context_.host.messageBox(transfer_text::kOpenFailed + error, ui::Buttons::Ok,
                                 ui::Icon::Stop);
    return bytes;
}

namespace {

// The column's title stays short so that all three columns fit; the time
// is on the line above the list.
CompareSide snapshotSide(const std::string& title, const std::string& time) {
    return {title, title + ": " + time};
}

void showOrRefuse(ui::Host& host, CompareSide left, CompareSide right,
                  std::optional<std::vector<device::NamedDifference>> differences) {
    if (!differences) {
        host.messageBox(device::loadCheckMessage(device::LoadCheck::FormatError), ui::Buttons::Ok,
                        ui::Icon::Stop);
        return;
    }
    showDifferences(host, std::move(left), std::move(right), std::move(*differences));
}

} // namespace

void CSnapshotsDlg::compareWithRouter() {
    const device::SnapshotInfo* snapshot = chosen();
    if (!snapshot)
        return;
    const auto file = readSnapshot(*snapshot);
    if (!file)
        return;
    const auto live = readLiveConfiguration(context_);
    if (!live)
        return;
    showOrRefuse(context_.host,
                 {compare_text::kRouter, routerDescription(context_.state.selected())},
                 snapshotSide(snapshots_text::kSnapshot, timeOf(*snapshot)),
                 device::diffConfigFiles(live->file, *file));
}

void CSnapshotsDlg::compareSnapshots() {
    const device::SnapshotInfo* snapshot = chosen();
    const int other = combo(ids::kOther).selection();
    if (!snapshot || other < 0 || other >= static_cast<int>(snapshots_.size()))
        return;
    const device::SnapshotInfo& second = snapshots_[static_cast<std::size_t>(other)];
    if (second.fileName == snapshot->fileName) {
        context_.host.messageBox(snapshots_text::kSameSnapshot);
        return;
    }
    const auto a = readSnapshot(*snapshot);
    const auto b = a ? readSnapshot(second) : std::nullopt;
    if (!b)
        return;
    const std::string title = snapshots_text::kSnapshot;
    showOrRefuse(context_.host, snapshotSide(title + " 1", timeOf(*snapshot)),
                 snapshotSide(title + " 2", timeOf(second)), device::diffConfigFiles(*a, *b));
}

void CSnapshotsDlg::saveAs() {
    const device::SnapshotInfo* snapshot = chosen();
    if (!snapshot)
        return;
    ui::FileDialogOptions options = configFileOptions();
    options.overwritePrompt = true;
    const std::optional<std::string> path = context_.host.saveFileName(options);
    if (!path)
        return;
    const auto file = readSnapshot(*snapshot);
    if (!file)
        return;
    std::string error;
    if (!device::writeFileReplacing(*path, *file, &error))
        context_.host.messageBox(snapshots_text::kSaveFailed + error, ui::Buttons::Ok,
                                 ui::Icon::Stop);
}

void CSnapshotsDlg::remove() {
    const device::SnapshotInfo* snapshot = chosen();
    if (!snapshot)
        return;
    if (context_.host.messageBox(std::string(snapshots_text::kDeleteQuestion) + timeOf(*snapshot) +
                                     "?",
                                 ui::Buttons::YesNo, ui::Icon::Question) != ui::Answer::Yes)
        return;
    std::string error;
    if (!store_.remove(routerKey_, snapshot->fileName, &error))
        context_.host.messageBox(snapshots_text::kDeleteFailed + error, ui::Buttons::Ok,
                                 ui::Icon::Stop);
    fill();
}

void CSnapshotsDlg::restore() {
    const device::SnapshotInfo* snapshot = chosen();
    if (!snapshot)
        return;
    const std::string path = snapshot->path;
    if (context_.host.messageBox(std::string(snapshots_text::kRestoreQuestion) + timeOf(*snapshot) +
                                     snapshots_text::kRestoreConsequence,
                                 ui::Buttons::YesNo, ui::Icon::Question) != ui::Answer::Yes)
        return;
    if (beginRouterOperation(context_, main_, LoginFor::Load))
        loadFile(context_, main_, path, device::SnapshotReason::Restore);
    fill();
}

void showSnapshots(AppContext& context, CMainDlg& main) {
    if (!context.snapshots || context.snapshots->root().empty()) {
        context.host.messageBox(snapshots_text::kNoPlace);
        return;
    }
    if (!chooseRouter(context, main))
        return;
    const DEVICE_INFO& record = context.state.selected();
    std::array<std::uint8_t, 6> hardware{};
    if (context.device.hardwareAddress(record.ipAddress, hardware.data()) == 0) {
        // Not discovered (the remote entry): only the router itself can say
        // which folder is its own.
        if (!runLogin(context, LoginFor::Setup))
            return;
        ui::WaitCursor wait(context.host);
        if (const auto read = device::readHardwareAddress(context.device, record.ipAddress))
            hardware = *read;
    }
    CSnapshotsDlg window(context, main, *context.snapshots,
                         device::routerKey(hardware, device::fieldText(record.ipAddress)));
    window.runModal(context.host);
}

} // namespace tolvaro::app
