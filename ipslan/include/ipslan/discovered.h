// What discovery learnt about a router beyond its DEVICE_INFO record, for
// callers that must tell routers of one name apart.
#pragma once

#include <optional>

#include "ipslan/wire.h"

namespace ipslan {

// The hardware address the router at `ip` (dotted-decimal text) announced in
// a browse reply; nothing for an address no browse has seen.
std::optional<wire::HardwareAddress> announcedHardware(const char* ip);

} // namespace ipslan
