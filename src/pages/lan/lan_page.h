// The LAN page: the DHCP server, its pool and DNS servers, and the static
// routes.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class CMLan : public app::SettingsPage {
public:
    CMLan(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;
};

} // namespace tolvaro::pages
