// The main window on the scripted backend with a recording device: what a
// test of any operation started from the main window needs.
//
//     MainWindowHarness h;
//     h.device.routers = {makeRouter("Office", "192.168.1.1")};
//     h.operations.setup = [&](app::CMainDlg& m) { app::runSetup(h.context, m); };
//     auto main = h.open();                 // discovery has run
//     h.host.expectDialog(143, ...);        // answer the password prompt
//     main.click(app::kMainSetup);
//
// The device's calls made by the window's start (IPSBrowse) are kept; call
// h.device.clearCalls() after open() to look only at what follows.
#pragma once

#include <memory>

#include "app/main_dlg.h"
#include "operation/app_context.h"
#include "operation/app_state.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {

struct MainWindowHarness {
    AppState state;
    ui::ScriptedHost host;
    RecordingDevice device;
    AppContext context{state, host, device};
    app::MainOperations operations;
    std::unique_ptr<app::CMainDlg> main;

    // Builds the main window with `operations` and runs its start.
    ui::ScriptedDialogDriver open() {
        main = std::make_unique<app::CMainDlg>(context, operations);
        return host.open(*main);
    }
};

} // namespace tolvaro::test
