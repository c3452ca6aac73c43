// The Internet Application page: virtual servers, special applications and
// the exposed computer.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class CMVirtual3 : public app::SettingsPage {
public:
    CMVirtual3(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;
};

} // namespace tolvaro::pages
