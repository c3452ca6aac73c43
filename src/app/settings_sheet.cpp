#include "app/settings_sheet.h"

#include "device/device_record.h"
#include "operation/commit.h"
#include "pages/access/access_control_page.h"
#include "pages/access/dialin_page.h"
#include "pages/lan/internet_application_page.h"
#include "pages/lan/lan_page.h"
#include "pages/line/isdn_page.h"
#include "pages/line/lan_to_lan_page.h"
#include "pages/line/option_page.h"
#include "pages/line/quick_setup_page.h"
#include "pages/line/status_page.h"

namespace tolvaro::app {

SettingsSheet::SettingsSheet(AppContext& context, device::ConfigStore& store)
    : context_(context), store_(store), sheet_(device::fieldText(context.state.selected().name)) {
    pages_.push_back(std::make_unique<pages::CMQuickSetup>(context, store));
    pages_.push_back(std::make_unique<pages::CMStatus>(context, store));
    pages_.push_back(std::make_unique<pages::CMPass>(context, store));
    pages_.push_back(std::make_unique<pages::CMLan>(context, store));
    pages_.push_back(std::make_unique<pages::dialin>(context, store));
    pages_.push_back(std::make_unique<pages::CMAccess>(context, store));
    pages_.push_back(std::make_unique<pages::CMVirtual3>(context, store));
    pages_.push_back(std::make_unique<pages::MLan2Lan>(context, store));
    pages_.push_back(std::make_unique<pages::CMISDN>(context, store));
    for (const auto& page : pages_)
        sheet_.addPage(*page);
}

SettingsSheet::~SettingsSheet() = default;

int SettingsSheet::run() {
    store_.resetOwner = 0;
    return sheet_.runModal(context_.host);
}

} // namespace tolvaro::app
