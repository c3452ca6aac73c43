// The Option page: the administrator password and, for family-2 routers,
// management from the Internet and the answer to pings.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class CMPass : public app::SettingsPage {
public:
    CMPass(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;
};

} // namespace tolvaro::pages
