// The Status page: firmware, hardware and line status, the connection log,
// dial and hang up. It changes no configuration: no apply, and no part in
// the reset-owner numbering. It does nothing between the user's clicks: the
// waits for the line run inside the dial and hang-up buttons.
#pragma once

#include "pages/settings_page.h"

namespace tolvaro::pages {

class CMStatus : public SettingsPage {
public:
    CMStatus(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void dialUp();
    void hangUp();
    void refreshLog();
};

} // namespace tolvaro::pages
