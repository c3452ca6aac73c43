#include "app/password_dlg.h"

#include "app/app_context.h"
#include "app/device_record.h"
#include "app/login.h"
#include "device/device_link.h"

namespace tolvaro::app {

void CPasswordDlg::onInitDialog() {
    limitText(kPasswordEdit, kPasswordLimit);
    focus(kPasswordEdit);
}

void CPasswordDlg::onOK() {
    AppState& state = context_.state;
    const DEVICE_INFO& record = state.selected();
    const std::string password = fieldText(record.password);
    if (text(kPasswordEdit) != password) {
        state.loginResult = kLoginWrong;
    } else {
        state.loginResult = kLoginAccepted;
        // Family-1 routers answer the fixed community whatever their password.
        context_.device.setCommunity(record.family == 1 ? kFixedCommunity : password.c_str());
    }
    endDialog(ui::kIdOk);
}

void CPasswordDlg::onCancel() {
    context_.state.loginResult = kLoginCancelled;
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::app
