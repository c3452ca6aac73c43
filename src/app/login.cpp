#include "app/login.h"

#include <string>

#include "app/device_record.h"
#include "app/password_dlg.h"
#include "device/device_link.h"
#include "ui/host.h"

namespace tolvaro::app {

bool runLogin(AppContext& context, LoginFor operation) {
    AppState& state = context.state;
    const DEVICE_INFO& record = state.selected();
    const std::string password = fieldText(record.password);
    const bool setsCommunity = operation == LoginFor::Setup || operation == LoginFor::Load;
    const bool setsPort = operation != LoginFor::IpAddress;

    if (!password.empty()) {
        CPasswordDlg dialog(context);
        dialog.runModal(context.host);
        if (state.loginResult == kLoginWrong) {
            context.host.messageBox(login_text::kWrongPassword);
            return false;
        }
        if (state.loginResult != kLoginAccepted) {
            return false;
        }
        if (setsCommunity) {
            context.device.setCommunity(password.c_str());
        }
    } else if (operation != LoginFor::IpAddress) {
        context.device.setCommunity(kFixedCommunity);
    }

    if (setsPort) {
        context.device.setSnmpPort(state.remoteFlag != 0 ? state.remotePort : kLanSnmpPort);
    }
    return true;
}

} // namespace tolvaro::app
