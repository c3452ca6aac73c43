// The administrator password prompt. OK compares the typed text with the
// password of the router at the selected index and records the login
// result; on a match it also chooses the community for the requests that
// follow. Cancel records "cancelled". The dialog itself shows no message.
#pragma once

#include "res/ids/main_ids.h"
#include "ui/dialog.h"

namespace tolvaro {
struct AppContext;
}

namespace tolvaro::app {

using res::password::kPasswordEdit;
using res::password::kPasswordLimit;
using res::password::kPasswordTemplate;

class CPasswordDlg : public ui::Dialog {
public:
    explicit CPasswordDlg(AppContext& context) : ui::Dialog(kPasswordTemplate), context_(context) {}

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    AppContext& context_;
};

} // namespace tolvaro::app
