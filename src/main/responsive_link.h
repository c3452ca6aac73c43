// A device link for the desktop program: every library call runs on one
// worker thread while the user-interface thread keeps painting its windows.
// User input stays blocked until the call returns, so the program still
// behaves as if the call were synchronous.
#pragma once

#include <memory>

#include "device/device_link.h"

namespace tolvaro::program {

// `inner` is called only from the worker thread, always the same one, so a
// library that keeps per-thread sessions keeps them across calls.
std::unique_ptr<device::DeviceLink> makeResponsiveLink(std::unique_ptr<device::DeviceLink> inner);

} // namespace tolvaro::program
