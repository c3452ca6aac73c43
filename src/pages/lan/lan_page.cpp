#include "pages/lan/lan_page.h"

#include "device/commit.h"
#include "res/ids/lan_ids.h"

namespace tolvaro::pages {

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
} // namespace text

} // namespace

CMLan::CMLan(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::lan::kTemplate, device::kLanPage, context, store) {}

void CMLan::onInitDialog() {
    claimReset();
}

void CMLan::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
