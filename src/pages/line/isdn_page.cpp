#include "pages/line/isdn_page.h"

#include "device/commit.h"
#include "res/ids/isdn_ids.h"

namespace tolvaro::pages {

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished.";
} // namespace text

} // namespace

CMISDN::CMISDN(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::isdn::kTemplate, device::kIsdnPage, context, store) {}

void CMISDN::onInitDialog() {
    claimReset();
}

void CMISDN::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
