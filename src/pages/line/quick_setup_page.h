// The Quick Setup page: Internet access over ISDN. As the first page it
// also decides, on OK, whether the sheet may write at all.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class CMQuickSetup : public app::SettingsPage {
public:
    CMQuickSetup(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;

private:
    // Asks before breaking a live ISDN connection and sets the
    // save-confirmed flag; false when nothing may be written.
    bool confirmSave();
};

} // namespace tolvaro::pages
