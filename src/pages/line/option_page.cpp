#include "pages/line/option_page.h"

#include "device/commit.h"
#include "res/ids/option_ids.h"

namespace tolvaro::pages {

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
} // namespace text

} // namespace

CMPass::CMPass(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::option::kTemplate, device::kOptionPage, context, store) {}

void CMPass::onInitDialog() {
    claimReset();
}

void CMPass::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
