// What an operation of the main window works with: the run-wide state, the
// platform services and the door to the device library. All three outlive
// every dialog and page.
#pragma once

#include "device/app_state.h"

namespace tolvaro::ui {
class Host;
}
namespace tolvaro::device {
class DeviceLink;
}

namespace tolvaro {

struct AppContext {
    AppState& state;
    ui::Host& host;
    device::DeviceLink& device;
};

} // namespace tolvaro
