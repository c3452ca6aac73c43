// A device link for `tolvaro --verbose`: forwards every call and, after each
// discovery, writes what the library saw (interfaces searched, replies,
// routers outside an interface's network) to standard error. The windows
// keep their own texts.
#pragma once

#include <memory>

#include "device/device_link.h"

namespace tolvaro::program {

std::unique_ptr<device::DeviceLink> makeVerboseLink(std::unique_ptr<device::DeviceLink> inner);

} // namespace tolvaro::program
