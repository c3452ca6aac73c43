#include "app/login.h"

#include <string>

#include "app/password_dlg.h"
#include "device/device_link.h"
#include "ui/host.h"

namespace tolvaro::app {

bool runLogin(AppContext& context, LoginFor operation) {
    AppState& state = context.state;
    const DEVICE_INFO& record = state.selected();
    if (!device::recordPassword(record).empty()) {
        CPasswordDlg dialog(context);
        dialog.runModal(context.host);
        if (state.loginResult == kLoginWrong) {
            context.host.messageBox(login_text::kWrongPassword);
            return false;
        }
        if (state.loginResult != kLoginAccepted) {
            return false;
        }
    }
    if (const auto community = device::sequenceCommunity(record, operation)) {
        context.device.setCommunity(community->c_str());
    }
    if (device::loginSetsPort(operation)) {
        context.device.setSnmpPort(state.remoteFlag != 0 ? state.remotePort : kLanSnmpPort);
    }
    return true;
}

} // namespace tolvaro::app
