#include "app/main_dlg.h"

#include <algorithm>

#include "app/about_dlg.h"
#include "app/ip_address_dlg.h"
#include "app/router_selection.h"
#include "app/search_wait_dlg.h"
#include "device/app_context.h"
#include "device/device_link.h"
#include "device/device_record.h"
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

void CMainDlg::refresh() {
    AppState& state = context_.state;
    {
        ui::WaitCursor wait(context_.host);
        browseInto(context_);
    }
    routerList().removeAll();
    fillRows();
    // The selected index outlives a Refresh; when the list no longer has its
    // row, nothing shows selected and the operations ask for a choice.
    markRow(state.selectedIndex);
    if (state.deviceCount == 0) {
        showNoneSelected();
        enableOperations(false);
        return;
    }
    showSelected(device::fieldText(state.selected().name));
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

void CMainDlg::onOK() {
    // Enter issues the OK command even when the Setup button is disabled
    // (nothing listed); a disabled button means the operation is not offered.
    if (isEnabled(kMainSetup)) {
        run(operations_.setup);
    }
}

void CMainDlg::run(const std::function<void(CMainDlg&)>& operation) {
    if (operation) {
        operation(*this);
    }
}

void CMainDlg::openWwwSetup() {
    context_.host.openUrl("http://" + device::fieldText(context_.state.selected().ipAddress));
}

void CMainDlg::onCommand(int id, ui::Notify notification) {
    if (id == kMainRouterList) {
        if (notification == ui::Notify::ListClick) {
            onListClick();
        } else if (notification == ui::Notify::ListDoubleClick) {
            run(operations_.setup);
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
        run(operations_.save);
        break;
    case kMainLoad:
        run(operations_.load);
        break;
    case kMainIpAddress:
        runIpAddressOperation(context_, *this);
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
