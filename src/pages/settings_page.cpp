#include "pages/settings_page.h"

#include "operation/commit.h"

namespace tolvaro::pages {

void SettingsPage::claimReset() {
    operation::claimReset(store_, pageNumber_);
}

} // namespace tolvaro::pages
