// Setup: the main road of the program. Chooses the router of the list's
// selection mark, logs in, reads the router's whole configuration into a
// fresh store and runs the settings sheet on it; the sheet's OK writes the
// changes back and restarts the router.
#pragma once

#include "operation/app_context.h"

namespace tolvaro::app {

class CMainDlg;

// Runs one Setup from the main window. Every failure is reported to the user
// here; nothing is written unless the sheet ends with OK. The main window's
// list and label are not refreshed afterwards.
void runSetup(AppContext& context, CMainDlg& main);

} // namespace tolvaro::app
