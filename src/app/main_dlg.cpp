#include "app/main_dlg.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "app/about_dlg.h"
#include "app/ip_address_dlg.h"
#include "app/router_selection.h"
#include "app/search_wait_dlg.h"
#include "device/device_link.h"
#include "device/device_record.h"
#include "device/write_session.h"
#include "operation/app_context.h"
#include "ui/host.h"

namespace tolvaro::app {

std::string selectedLabel(std::string_view name) {
    return std::string(main_text::kLabelPrefix) + " " + std::string(name);
}

CMainDlg::CMainDlg(AppContext& context, MainOperations operations)
    : ui::Dialog(kMainTemplate), context_(context), operations_(std::move(operations)) {}

void CMainDlg::showSelected(std::string_view name) {
    setText(kMainSelectedLabel, selectedLabel(name));
}

void CMainDlg::showNoneSelected() {
    setText(kMainSelectedLabel, main_text::kLabelPrefix);
}

void CMainDlg::onInitDialog() {
    discoverAtStart();
}

namespace {

// Discovery reports a count; a library that reported more than the table
// holds, or a negative count, must not make the window read past it.
int browseInto(AppContext& context) {
    AppState& state = context.state;
    int count = 0;
    context.device.browse(state.devices.data(), &count);
    state.deviceCount = std::clamp(count, 0, kDeviceTableSize);
    return state.deviceCount;
}

} // namespace

void CMainDlg::discoverAtStart() {
    AppState& state = context_.state;
    {
        CSearchWaitDlg wait;
        wait.create(context_.host);
        wait.repaintNow();
        browseInto(context_);
        wait.destroy();
    }
    if (state.deviceCount == 0) {
        context_.host.messageBox(main_text::kNoDevices);
    }

    auto routers = routerList();
    const int w = routers.pixelWidth() / 3;
    routers.addColumn(main_text::kColumnMachine, w);
    routers.addColumn(main_text::kColumnAddress, 2 * w - 4);

    fillRows();
    markRow(0);
    showSelected(device::fieldText(state.devices[0].name));

    if (state.deviceCount == 0) {
        enableOperations(false);
    } else {
        enable(kMainIpAddress, state.remoteFlag != 1);
    }
}

void CMainDlg::fillRows() {
    const AppState& state = context_.state;
    auto routers = routerList();
    for (int i = 0; i < state.deviceCount; ++i) {
        const DEVICE_INFO& record = state.devices[static_cast<std::size_t>(i)];
        routers.insert(i, device::fieldText(record.name), false);
        routers.setText(i, 1, device::fieldText(record.ipAddress));
    }
}

void CMainDlg::markRow(int row) {
    auto routers = routerList();
    routers.setSelected(-1, false);
    if (row < 0 || row >= routers.count()) {
        routers.setSelectionMark(-1);
        return;
    }
    routers.setSelected(row, true);
    routers.setSelectionMark(row);
}

void CMainDlg::enableOperations(bool enabled) {
    enable({kMainSetup, kMainSave, kMainLoad, kMainIpAddress}, enabled);
}

CMainDlg::RouterIdentity CMainDlg::chosenRouter() const {
    const AppState& state = context_.state;
    const int mark = routerList().selectionMark();
    const int row = mark >= 0 ? mark : state.selectedIndex;
    if (row >= std::min(routerList().count(), kDeviceTableSize)) {
        return {};
    }
    RouterIdentity identity;
    identity.address = device::fieldText(state.devices[static_cast<std::size_t>(row)].ipAddress);
    std::array<unsigned char, 6> hardware{};
    if (context_.device.hardwareAddress(identity.address.c_str(), hardware.data()) == 1) {
        identity.hardware = hardware;
    }
    return identity;
}

int CMainDlg::rowOf(const RouterIdentity& identity) const {
    const AppState& state = context_.state;
    for (int i = 0; i < state.deviceCount; ++i) {
        const std::string address =
            device::fieldText(state.devices[static_cast<std::size_t>(i)].ipAddress);
        if (!identity.hardware) {
            if (address == identity.address) {
                return i;
            }
            continue;
        }
        std::array<unsigned char, 6> hardware{};
        if (context_.device.hardwareAddress(address.c_str(), hardware.data()) == 1 &&
            hardware == *identity.hardware) {
            return i;
        }
    }
    return -1;
}

void CMainDlg::refresh() {
    AppState& state = context_.state;
    // The list is sorted by address, so a router that changed its address
    // may stand in another row now: the choice follows the router (by its
    // hardware address), never the row number.
    const RouterIdentity chosen = chosenRouter();
    {
        ui::WaitCursor wait(context_.host);
        browseInto(context_);
    }
    routerList().removeAll();
    state.remoteRow = -1;
    fillRows();
    int row = state.selectedIndex; // nothing was listed: the first choice
    if (!chosen.address.empty()) {
        row = rowOf(chosen);
        if (row >= 0) {
            state.selectedIndex = row;
        }
    }
    markRow(row);
    if (state.deviceCount == 0) {
        showNoneSelected();
        enableOperations(false);
        return;
    }
    // A router that is gone leaves nothing chosen: the operations ask for a
    // choice rather than act on whichever router now has its row.
    if (row >= 0 && row < state.deviceCount) {
        showSelected(device::fieldText(state.devices[static_cast<std::size_t>(row)].name));
    } else {
        showNoneSelected();
    }
    enableOperations(true);
}

void CMainDlg::onListClick() {
    AppState& state = context_.state;
    const int mark = routerList().selectionMark();
    if (mark < 0) {
        showNoneSelected();
        return;
    }
    // A Remote row added after 32 listed routers has no record of its own.
    if (mark < kDeviceTableSize) {
        showSelected(device::fieldText(state.devices[static_cast<std::size_t>(mark)].name));
    } else {
        showNoneSelected();
    }
    runRemoteSelection(context_, *this);
    enable(kMainIpAddress, state.remoteFlag != 1);
}

void CMainDlg::onListSelectionMoved() {
    // The arrow keys move the selection without a click; the label and the
    // router the operations take (the mark) follow it just the same. The
    // selection may change before the mark does, so the mark follows it here.
    auto routers = routerList();
    const int row = routers.nextSelected();
    if (row < 0) {
        return;
    }
    routers.setSelectionMark(row);
    onListClick();
}

void CMainDlg::openRouterMenu() {
    const auto& entries = operations_.routerMenu;
    const auto routers = routerList();
    const int mark = routers.selectionMark();
    if (entries.empty() || mark < 0 || mark >= std::min(routers.count(), kDeviceTableSize)) {
        return;
    }
    std::vector<std::string> labels;
    labels.reserve(entries.size());
    for (const RouterMenuEntry& entry : entries) {
        labels.push_back(entry.label);
    }
    const std::optional<int> chosen = context_.host.popupMenu(labels);
    if (chosen && *chosen >= 0 && *chosen < static_cast<int>(entries.size())) {
        runOnSelected(entries[static_cast<std::size_t>(*chosen)].run);
    }
}

void CMainDlg::onOK() {
    // Enter issues the OK command even when the Setup button is disabled
    // (nothing listed); a disabled button means the operation is not offered.
    if (isEnabled(kMainSetup)) {
        runOnSelected(operations_.setup);
    }
}

void CMainDlg::run(const std::function<void(CMainDlg&)>& operation) {
    if (operation) {
        operation(*this);
    }
}

bool CMainDlg::selectedHasTwins() {
    AppState& state = context_.state;
    if (state.selectedIndex < 0 || state.selectedIndex >= state.deviceCount ||
        state.selectedIndex == state.remoteRow) {
        return false;
    }
    const std::span<const DEVICE_INFO> listed(state.devices.data(),
                                              static_cast<std::size_t>(state.deviceCount));
    std::vector<DEVICE_INFO> all = device::twinsOf(context_.device, listed, state.selected());
    if (all.empty()) {
        return false;
    }
    all.insert(all.begin(), state.selected());
    context_.host.messageBox(device::twinMessage(context_.device, all), ui::Buttons::Ok,
                             ui::Icon::Stop);
    return true;
}

void CMainDlg::runOnSelected(const std::function<void(CMainDlg&)>& operation) {
    // What is meant for a router whose hardware address another router
    // announces too could reach the other one.
    if (operation && !selectedHasTwins()) {
        run(operation);
    }
}

void CMainDlg::openWwwSetup() {
    context_.host.openUrl("http://" + device::fieldText(context_.state.selected().ipAddress));
}

void CMainDlg::onCommand(int id, ui::Notify notification) {
    if (id == kMainRouterList) {
        if (notification == ui::Notify::ListClick) {
            onListClick();
        } else if (notification == ui::Notify::ListItemChanged) {
            onListSelectionMoved();
        } else if (notification == ui::Notify::ListDoubleClick) {
            runOnSelected(operations_.setup);
        } else if (notification == ui::Notify::ContextMenu) {
            openRouterMenu();
        }
        return;
    }
    if (notification != ui::Notify::Clicked) {
        return;
    }
    switch (id) {
    case kMainRefresh:
        refresh();
        break;
    case kMainRemote:
        run(operations_.remote);
        break;
    case kMainSave:
        runOnSelected(operations_.save);
        break;
    case kMainLoad:
        runOnSelected(operations_.load);
        break;
    case kMainIpAddress:
        if (!selectedHasTwins()) {
            runIpAddressOperation(context_, *this);
        }
        break;
    case kMainWwwSetup:
        openWwwSetup();
        break;
    default:
        break;
    }
}

void CMainDlg::onSysCommand(unsigned command) {
    handleAboutCommand(context_.host, command);
}

} // namespace tolvaro::app
