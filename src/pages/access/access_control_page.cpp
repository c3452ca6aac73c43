#include "pages/access/access_control_page.h"

#include "device/commit.h"
#include "res/ids/access_control_ids.h"

namespace tolvaro::pages {

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
} // namespace text

} // namespace

CMAccess::CMAccess(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::access_control::kTemplate, device::kAccessControlPage, context, store) {}

void CMAccess::onInitDialog() {
    claimReset();
}

void CMAccess::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
