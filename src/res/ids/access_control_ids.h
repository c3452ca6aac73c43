// Template and control ids of the Access Control page.
#pragma once

namespace tolvaro::res::access_control {

inline constexpr int kTemplate = 151;

inline constexpr int kGroup = 1017;
inline constexpr int kGroupSetup = 1081;
inline constexpr int kWorkstationList = 1082;
inline constexpr int kAddWorkstation = 1083;
inline constexpr int kEditWorkstation = 1084;
inline constexpr int kDeleteWorkstation = 1085;

} // namespace tolvaro::res::access_control
