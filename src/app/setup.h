// Setup: the main road of the program. Chooses the router of the list's
// selection mark, logs in, reads the router's whole configuration into a
// fresh store and runs the settings sheet on it; the sheet's OK writes the
// changes back and restarts the router.
#pragma once

namespace tolvaro {
struct AppContext;
}
namespace tolvaro::ui {
class Dialog;
}

namespace tolvaro {

// Runs one Setup from the main window, whose router list (and label) the
// router choice reads. Every failure is reported to the user here; nothing
// is written unless the sheet ends with OK.
void runSetup(AppContext& context, ui::Dialog& mainWindow);

} // namespace tolvaro
