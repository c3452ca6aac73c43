// The Status page: firmware, hardware and line status, the connection log,
// dial and hang up. It changes no configuration: no apply, and no part in
// the reset-owner numbering.
#pragma once

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class CMStatus : public app::SettingsPage {
public:
    CMStatus(AppContext& context, device::ConfigStore& store);
};

} // namespace tolvaro::pages
