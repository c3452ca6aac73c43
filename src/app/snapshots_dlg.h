// The Snapshots window: what the chosen router held before each write,
// newest first, with the ways to look at a snapshot (against the live router
// or another snapshot), keep a copy of it, delete it, or load it back.
//
// Nothing but Restore writes to the router, and Restore runs Load's own
// steps on the snapshot (login, checks of the whole file, a snapshot of what
// the router holds now, the writes, the restart and the verify).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "device/snapshots.h"
#include "operation/app_context.h"
#include "res/ids/snapshots_ids.h"
#include "ui/dialog.h"

namespace tolvaro::app {

class CMainDlg;

namespace snapshots_text {
inline constexpr const char* kMenuEntry = "Snapshots…";
inline constexpr const char* kColumnTime = "Time";
inline constexpr const char* kColumnReason = "Reason";
inline constexpr const char* kColumnFirmware = "Firmware";
inline constexpr const char* kListOf = "Kept before each write to ";
inline constexpr const char* kNone = "No snapshot of this router is kept yet.";
inline constexpr const char* kNoPlace =
    "No snapshots can be kept: neither XDG_DATA_HOME nor HOME is set.";
inline constexpr const char* kSnapshot = "Snapshot";
inline constexpr const char* kDeleteQuestion = "Delete the snapshot of ";
inline constexpr const char* kRestoreQuestion = "Load the snapshot of ";
inline constexpr const char* kRestoreConsequence =
    " back into the router?\n\nThe router restarts with it. What it holds now is kept as a "
    "snapshot first.";
inline constexpr const char* kSaveFailed = "The snapshot was not saved.\n";
inline constexpr const char* kDeleteFailed = "The snapshot was not deleted.\n";
inline constexpr const char* kSameSnapshot =
    "Choose another snapshot under \"Other snapshot\" to compare with.";
} // namespace snapshots_text

// A snapshot's UTC time as its file name writes it ("20261208T031500Z"),
// shown in this computer's local time ("2026-12-08 04:15:00"); a time that
// does not read as one is shown as written.
std::string localTimeText(std::string_view utcStamp);

class CSnapshotsDlg : public ui::Dialog {
public:
    // `store` and `main` outlive the window; `routerKey` names the router's
    // folder in the store.
    CSnapshotsDlg(AppContext& context, CMainDlg& main, device::SnapshotStore& store,
                  std::string routerKey);

protected:
    void onInitDialog() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void fill();
    void enableButtons();
    // The snapshot of the list's selected row, or nullptr.
    const device::SnapshotInfo* chosen() const;
    std::string timeOf(const device::SnapshotInfo& snapshot) const;
    std::optional<std::vector<std::uint8_t>> readSnapshot(const device::SnapshotInfo& snapshot);

    void compareWithRouter();
    void compareSnapshots();
    void saveAs();
    void remove();
    void restore();

    AppContext& context_;
    CMainDlg& main_;
    device::SnapshotStore& store_;
    std::string routerKey_;
    std::vector<device::SnapshotInfo> snapshots_;
};

// "Snapshots…": chooses the router from the main window's list, finds its
// snapshots by hardware address (asking the router itself, after the login
// Setup runs, only when discovery did not report it) and opens the window.
void showSnapshots(AppContext& context, CMainDlg& main);

} // namespace tolvaro::app
