// The Dial-in page: dial-in access and its users.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class dialin : public app::SettingsPage {
public:
    dialin(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;
};

} // namespace tolvaro::pages
