// What every settings page shares: the run's context, the configuration
// store of this Setup, and its number in the reset-owner numbering. The
// settings sheet that creates the pages lives above them, in app.
#pragma once

#include "device/config_store.h"
#include "operation/app_context.h"
#include "ui/property_sheet.h"

namespace tolvaro::pages {

class SettingsPage : public ui::PropertyPage {
public:
    SettingsPage(int templateNumber, int pageNumber, AppContext& context,
                 device::ConfigStore& store)
        : ui::PropertyPage(templateNumber), pageNumber_(pageNumber), context_(context),
          store_(store) {}

    int pageNumber() const { return pageNumber_; }

protected:
    AppContext& context() const { return context_; }
    device::ConfigStore& store() const { return store_; }
    // Page start: takes part in the reset-owner numbering.
    void claimReset();

private:
    int pageNumber_;
    AppContext& context_;
    device::ConfigStore& store_;
};

} // namespace tolvaro::pages
