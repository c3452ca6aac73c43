#include "pages/lan/internet_application_page.h"

#include "device/commit.h"
#include "res/ids/internet_application_ids.h"

namespace tolvaro::pages {

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
} // namespace text

} // namespace

CMVirtual3::CMVirtual3(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::internet_application::kTemplate, device::kInternetApplicationPage, context,
                   store) {}

void CMVirtual3::onInitDialog() {
    claimReset();
}

void CMVirtual3::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
