// The main window's Save and Load buttons: copy the chosen router's
// configuration into a configuration file, or write such a file back into a
// router of the same firmware and restart it.
#pragma once

#include <string>

#include "device/snapshots.h"
#include "operation/app_context.h"
#include "ui/host.h"

namespace tolvaro::app {

class CMainDlg;

// Both choose the router from the main window's list, ask for the file
// through the host and report every outcome to the user themselves.
void runSave(AppContext& context, CMainDlg& main);
void runLoad(AppContext& context, CMainDlg& main);

namespace transfer_text {
inline constexpr const char* kOpenFailed = "The configuration file cannot be read.\n";
} // namespace transfer_text

// The file dialogs' options for configuration files: extension "cfg" and the
// Config Files filter.
ui::FileDialogOptions configFileOptions();

// Load's steps from the catalogue read on, once the router is chosen and
// logged in: the checks of the whole file before any write, a snapshot of
// `reason`, the writes, the reset and the verify. Restore runs it on a
// snapshot, so both keep exactly the same checks and messages.
void loadFile(AppContext& context, CMainDlg& main, const std::string& path,
              device::SnapshotReason reason);

} // namespace tolvaro::app
