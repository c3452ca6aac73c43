// Template and control ids of the DHCP Lease Status dialog.
#pragma once

namespace tolvaro::res::dhcp_status {

inline constexpr int kTemplate = 155;

inline constexpr int kLeaseList = 1000;
// "Close" carries the OK command; Cancel is present but hidden.

} // namespace tolvaro::res::dhcp_status
