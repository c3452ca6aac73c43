// The LAN-to-LAN page: linking the LAN to a remote LAN over ISDN, as the
// receiver or the initiator of the call.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class MLan2Lan : public app::SettingsPage {
public:
    MLan2Lan(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;
};

} // namespace tolvaro::pages
