#include "pages/settings_page.h"

#include "device/commit.h"

namespace tolvaro::pages {

void SettingsPage::claimReset() {
    device::claimReset(store_, pageNumber_);
}

} // namespace tolvaro::pages
