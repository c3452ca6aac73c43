// The ISDN page: B-channel usage, call ids, line speed and the initial
// string. As the last page of the sheet it resets the router when it was
// shown.
#pragma once

#include "pages/settings_page.h"

namespace tolvaro::pages {

class CMISDN : public SettingsPage {
public:
    CMISDN(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onSetActive() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    // Checks the usage radio that the write image's usage text names.
    void showUsage();
    void usageClicked(int id);
    void fillWriteImage();
};

} // namespace tolvaro::pages
