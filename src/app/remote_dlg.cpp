#include "app/remote_dlg.h"

#include <algorithm>
#include <optional>

#include "app/local_address.h"
#include "app/login.h"
#include "app/main_dlg.h"
#include "app/router_selection.h"
#include "device/device_link.h"
#include "device/device_record.h"
#include "operation/app_context.h"
#include "res/ids/remote_ids.h"
#include "ui/host.h"

namespace tolvaro::app {
namespace {

namespace ids = res::remote;

} // namespace

CRemoteDlg::CRemoteDlg(AppContext& context) : ui::Dialog(ids::kTemplate), context_(context) {}

void CRemoteDlg::onInitDialog() {
    context_.state.connectionResult = 0;
    setText(ids::kConnectionStatus, remote_text::kNoConnection);
    if (!loadRecent(host().settings(), recent_)) {
        host().messageBox(remote_text::kRegistryError);
    }
}

void CRemoteDlg::onCommand(int id, ui::Notify notification) {
    if (notification != ui::Notify::DropDown) {
        return;
    }
    if (id == ids::kAddress) {
        offerRecent(id, recent_.addresses);
    } else if (id == ids::kPort) {
        offerRecent(id, recent_.ports);
    }
}

void CRemoteDlg::offerRecent(int id, const std::vector<std::string>& list) {
    auto items = combo(id);
    items.reset();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        items.add(*it);
    }
}

std::vector<std::string> CRemoteDlg::offered(int id) const {
    const auto items = combo(id);
    std::vector<std::string> texts;
    for (int i = 0; i < items.count(); ++i) {
        texts.push_back(items.item(i));
    }
    return texts;
}

void CRemoteDlg::refuse(int id, const char* message) {
    host().messageBox(message);
    focus(id);
}

void CRemoteDlg::onOK() {
    ui::WaitCursor wait(host());
    setText(ids::kConnectionStatus, remote_text::kPleaseWait);

    const std::string address = combo(ids::kAddress).text();
    const std::string portText = combo(ids::kPort).text();
    const std::string password = text(ids::kPassword);
    AppState& state = context_.state;
    const device::RemoteOutcome checked = device::checkRemoteFields(address, portText, password);
    if (checked != device::RemoteOutcome::Answered) {
        const device::RemoteField field = device::remoteField(checked);
        refuse(field == device::RemoteField::Address ? ids::kAddress
               : field == device::RemoteField::Port  ? ids::kPort
                                                     : ids::kPassword,
               std::string(device::remoteMessage(checked)).c_str());
        return;
    }
    state.connectedAddress = address;
    const device::RemoteTest test =
        device::testRemoteConnection(context_.device, address, portText, password);
    state.connectionResult = test.result;
    if (test.outcome == device::RemoteOutcome::NoResponse) {
        setText(ids::kConnectionStatus, remote_text::kNoResponse);
        return;
    }

    rememberRecent(recent_.addresses, offered(ids::kAddress), address);
    rememberRecent(recent_.ports, offered(ids::kPort), portText);
    if (!saveRecent(host().settings(), recent_)) {
        host().messageBox(remote_text::kRegistryError);
    }

    const std::string local = localAddressFor(address, host().hostAddresses());
    state.remoteConnections.push_back({address, portText, password, local, classMask(local)});
    endDialog(ui::kIdOk);
}

void runRemoteOperation(AppContext& context, CMainDlg& main) {
    CRemoteDlg dialog(context);
    dialog.runModal(context.host);
    runRemoteSelection(context, main);

    const AppState& state = context.state;
    // A test that answered with anything but exactly 1 lists nothing.
    if (state.connectionResult != 1) {
        return;
    }
    auto routers = main.routerList();
    const int rows = routers.count();
    const int records = std::min(rows, kDeviceTableSize);
    for (int i = 0; i < records; ++i) {
        if (device::fieldText(state.devices[static_cast<std::size_t>(i)].ipAddress) ==
            state.connectedAddress) {
            return;
        }
    }
    if (rows >= kDeviceTableSize) {
        context.host.messageBox(remote_text::kListFull);
        return;
    }
    // The record behind the new row may still hold a router an earlier
    // discovery listed there; its name would caption the settings sheet.
    device::setField(context.state.devices[static_cast<std::size_t>(rows)].name,
                     main_text::kRemoteRow);
    routers.insert(rows, main_text::kRemoteRow, rows % 2 == 0);
    context.state.remoteRow = rows;
    routers.setText(rows, 1, state.connectedAddress);
    routers.setSelectionMark(rows);
    routers.setSelected(rows, true);
    main.focus(kMainRouterList);
    main.showSelected(main_text::kRemoteRow);
    main.enable({kMainSetup, kMainSave, kMainLoad});
    main.enable(kMainIpAddress, false);
}

} // namespace tolvaro::app
