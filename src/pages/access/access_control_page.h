// The Access Control page: the groups that filter the Internet access of
// the LAN's workstations, and the workstations.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class CMAccess : public app::SettingsPage {
public:
    CMAccess(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;
};

} // namespace tolvaro::pages
