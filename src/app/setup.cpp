#include "app/setup.h"

#include "app/router_selection.h"
#include "app/settings_sheet.h"
#include "app/write_safety.h"
#include "device/fetch.h"
#include "ui/host.h"

namespace tolvaro::app {

void runSetup(AppContext& context, CMainDlg& main) {
    if (!beginRouterOperation(context, main, LoginFor::Setup))
        return;

    const DEVICE_INFO& record = context.state.selected();
    device::ConfigStore store(device::familyOf(record));
    device::FetchResult result;
    {
        // The wait cursor covers the reads only: while the sheet is open the
        // user is editing, and each page shows it around its own device calls.
        ui::WaitCursor wait(context.host);
        result = device::fetchConfiguration(context.device, record.ipAddress, store);
    }
    if (result != device::FetchResult::Ok) {
        context.host.messageBox(device::fetchFailureMessage(result));
        return;
    }
    context.state.firmwareLevel = store.firmwareLevel;

    // Declared before the sheet: the pages' applies reach it through the
    // context until the sheet is gone.
    WriteSafety safety(context, store, device::SnapshotReason::Setup);
    safety.watchCommits();
    SettingsSheet sheet(context, store);
    sheet.run();
}

} // namespace tolvaro::app
