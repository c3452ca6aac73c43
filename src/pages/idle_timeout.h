// The idle time-out that the Quick Setup and LAN-to-LAN pages show and edit
// together: slot 10 of the sheet state, in minutes up to firmware level 60
// (var::kIdleMinutes) and in seconds above it (var::kIdleSeconds). Both pages keep the
// value there between visits, so a change on one shows on the other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvaro::device {
class ConfigStore;
}

namespace tolvaro::pages {

// Whether the router counts the time-out in seconds (above level 60).
bool idleTimeoutInSeconds(const device::ConfigStore& store);
// The largest value a field may hold: 99 minutes or 9999 seconds.
int idleTimeoutBound(const device::ConfigStore& store);
// Characters a field accepts: 2 for minutes, 4 for seconds.
int idleTimeoutFieldLimit(const device::ConfigStore& store);

// The sheet's value, as the pages show it (unsigned).
std::uint32_t storedIdleTimeout(const device::ConfigStore& store);
// Replaces the sheet's value (the 32-bit integer of slot 10).
void storeIdleTimeout(device::ConfigStore& store, std::int32_t value);

// "Idle Time Limit should be 0-<bound>, it will be changed to<bound>".
std::string idleTimeoutClampMessage(int bound);

// The unit label of both pages above level 60.
inline constexpr std::string_view kIdleSecondsUnit = "second  (0 = Unlimited)";

} // namespace tolvaro::pages
