// The main window's Save and Load buttons: copy the chosen router's
// configuration into a configuration file, or write such a file back into a
// router of the same firmware and restart it.
#pragma once

#include "device/app_context.h"

namespace tolvaro::app {

class CMainDlg;

// Both choose the router from the main window's list, ask for the file
// through the host and report every outcome to the user themselves.
void runSave(AppContext& context, CMainDlg& main);
void runLoad(AppContext& context, CMainDlg& main);

} // namespace tolvaro::app
