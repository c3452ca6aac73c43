// The Compare window and the main window's "Compare with File…".
//
// The window lists the named settings in which two configurations differ,
// one row per setting: its name, the left side's value and the right side's.
// Every compare of the program shows its result here (a file or a snapshot
// against the live router, two snapshots). It only shows: nothing in it
// writes to a router, and secrets appear as changed or unchanged only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/config_store.h"
#include "device/setting_names.h"
#include "operation/app_context.h"
#include "res/ids/compare_ids.h"
#include "ui/dialog.h"

namespace tolvaro::app {

class CMainDlg;

namespace compare_text {
inline constexpr const char* kMenuEntry = "Compare with File…";
inline constexpr const char* kColumnSetting = "Setting";
inline constexpr const char* kRouter = "Router";
inline constexpr const char* kFile = "File";
inline constexpr const char* kSame = "No differences: both hold the same settings.";
inline constexpr const char* kNoVersion =
    "The router did not report a readable firmware version.\nNothing can be compared.";
} // namespace compare_text

// One side of a compare: the title of its column and the line above the
// list that says what it is.
struct CompareSide {
    std::string title;
    std::string description;
};

class CCompareDlg : public ui::Dialog {
public:
    CCompareDlg(CompareSide left, CompareSide right,
                std::vector<device::NamedDifference> differences);

protected:
    void onInitDialog() override;

private:
    CompareSide left_;
    CompareSide right_;
    std::vector<device::NamedDifference> differences_;
};

// Runs the window modally.
void showDifferences(ui::Host& host, CompareSide left, CompareSide right,
                     std::vector<device::NamedDifference> differences);

// The selected router as it is now: its catalogue (for Load's checks) and
// its configuration as the file Save would write.
struct LiveConfiguration {
    device::ConfigStore store;
    std::vector<std::uint8_t> file;
};

// Logs in as Setup does (password prompt, community and port) and reads the
// selected router. Nothing after a wrong or cancelled password or a failed
// read; every message has then been shown.
std::optional<LiveConfiguration> readLiveConfiguration(AppContext& context);

// The router's column description: "Router: <name> (<address>)".
std::string routerDescription(const DEVICE_INFO& record);

// "Compare with File…": chooses the router from the main window's list,
// asks for the file, logs in and shows what loading the file would change.
// Writes nothing.
void compareWithFile(AppContext& context, CMainDlg& main);

} // namespace tolvaro::app
