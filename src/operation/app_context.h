// What an operation of the main window works with: the run-wide state, the
// platform services and the door to the device library. All three outlive
// every dialog and page.
#pragma once

#include "operation/app_state.h"
#include "operation/commit.h"

namespace tolvaro::device {
class SnapshotStore;
}

namespace tolvaro {

struct AppContext final : operation::CommitTarget {
    AppContext(AppState& state, ui::Host& host, device::DeviceLink& device)
        : state(state), host(host), device(device) {}

    AppState& state;
    ui::Host& host;
    device::DeviceLink& device;
    // Set while an operation watches its writes (Setup's sheet).
    operation::WriteGuard* guard = nullptr;
    // The safety net around writes, handed in by the program (tests that
    // script every device call leave it off): where snapshots go, none taking
    // none, and whether the settings are read back after a restart.
    device::SnapshotStore* snapshots = nullptr;
    bool verifyAfterReset = false;
    // The program a second writer of the same router is told holds it.
    const char* writerName = "tolvaro";

    ui::Host& hostServices() override { return host; }
    device::DeviceLink& deviceLink() override { return device; }
    const char* routerAddress() override { return state.selected().ipAddress; }
    operation::WriteGuard* writeGuard() override { return guard; }
};

} // namespace tolvaro
