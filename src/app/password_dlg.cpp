#include "app/password_dlg.h"

#include "app/login.h"
#include "device/device_link.h"
#include "operation/app_context.h"

namespace tolvaro::app {

void CPasswordDlg::onInitDialog() {
    limitText(kPasswordEdit, kPasswordLimit);
    focus(kPasswordEdit);
}

void CPasswordDlg::onOK() {
    AppState& state = context_.state;
    const DEVICE_INFO& record = state.selected();
    if (!device::passwordMatches(record, text(kPasswordEdit))) {
        state.loginResult = kLoginWrong;
    } else {
        state.loginResult = kLoginAccepted;
        context_.device.setCommunity(device::acceptedCommunity(record).c_str());
    }
    endDialog(ui::kIdOk);
}

void CPasswordDlg::onCancel() {
    context_.state.loginResult = kLoginCancelled;
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::app
