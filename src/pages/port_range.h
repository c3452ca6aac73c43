// The port numbers a router accepts for forwarding and application ranges.
// Port 0 has no meaning there and 65535 is kept by the router for itself.
#pragma once

namespace tolvaro::pages {

inline constexpr unsigned kLowestPort = 1;
inline constexpr unsigned kHighestPort = 65534;

// Takes the number as typed, before it is narrowed to 16 bits, so that
// 65536 and above cannot wrap into the range.
constexpr bool isPortInRange(unsigned port) {
    return port >= kLowestPort && port <= kHighestPort;
}

} // namespace tolvaro::pages
