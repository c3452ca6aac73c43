#include "pages/line/status_page.h"

#include "device/commit.h"
#include "res/ids/status_ids.h"

namespace tolvaro::pages {

CMStatus::CMStatus(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::status::kTemplate, device::kStatusPage, context, store) {}

} // namespace tolvaro::pages
