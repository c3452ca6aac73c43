#include "pages/line/lan_to_lan_page.h"

#include "device/commit.h"
#include "res/ids/lan_to_lan_ids.h"

namespace tolvaro::pages {

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
} // namespace text

} // namespace

MLan2Lan::MLan2Lan(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::lan_to_lan::kTemplate, device::kLanToLanPage, context, store) {}

void MLan2Lan::onInitDialog() {
    claimReset();
}

void MLan2Lan::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
