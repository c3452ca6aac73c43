// The main window's Save and Load buttons: copy the chosen router's
// configuration into a configuration file, or write such a file back into a
// router of the same firmware and restart it.
#pragma once

namespace tolvaro {
struct AppContext;
}
namespace tolvaro::ui {
class Dialog;
}

namespace tolvaro {

// Both operations choose the router from the main window's list, ask for the
// file through the host and report every outcome to the user themselves.
void runSave(AppContext& context, ui::Dialog& mainWindow);
void runLoad(AppContext& context, ui::Dialog& mainWindow);

} // namespace tolvaro
