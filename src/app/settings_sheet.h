// The settings sheet of one Setup: the router's name as caption, no Apply
// button, and the nine pages over one configuration store. The sheet's OK
// applies every page that was shown, in sheet order; the pages' applies go
// through the commit convention, so the last of them resets the router.
// Cancel writes nothing.
#pragma once

#include <memory>
#include <vector>

#include "device/config_store.h"
#include "operation/app_context.h"
#include "pages/settings_page.h"
#include "ui/property_sheet.h"

namespace tolvaro::app {

class SettingsSheet {
public:
    // The store must outlive the sheet; its reset-owner number is set to 0
    // when the sheet runs.
    SettingsSheet(AppContext& context, device::ConfigStore& store);
    ~SettingsSheet();

    // Runs the sheet modally with the first page current; kIdOk or kIdCancel.
    int run();

    ui::PropertySheet& sheet() { return sheet_; }

private:
    AppContext& context_;
    device::ConfigStore& store_;
    // The sheet refers to the pages, so they go after it.
    std::vector<std::unique_ptr<pages::SettingsPage>> pages_;
    ui::PropertySheet sheet_;
};

} // namespace tolvaro::app
