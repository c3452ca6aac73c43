// The DHCP Lease Status dialog: the router's current address assignments,
// read afresh from the selected router each time the dialog opens.
#pragma once

#include "operation/app_context.h"
#include "ui/dialog.h"

namespace tolvaro::pages {

// Reads through `context` only; writes nothing anywhere. Close and Cancel
// both just end it.
class CDhcpStatusDlg : public ui::Dialog {
public:
    explicit CDhcpStatusDlg(AppContext& context);

protected:
    void onInitDialog() override;

private:
    AppContext& context_;
};

} // namespace tolvaro::pages
