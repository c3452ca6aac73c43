#include "pages/access/dialin_page.h"

#include "device/commit.h"
#include "res/ids/dialin_ids.h"

namespace tolvaro::pages {

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
} // namespace text

} // namespace

dialin::dialin(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::dialin::kTemplate, device::kDialinPage, context, store) {}

void dialin::onInitDialog() {
    claimReset();
}

void dialin::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
