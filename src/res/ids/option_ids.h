// Template and control ids of the Option page.
#pragma once

namespace tolvaro::res::option {

inline constexpr int kTemplate = 160;

inline constexpr int kPassword = 1055;
inline constexpr int kVerifyPassword = 1056;
inline constexpr int kRemoteManagementGroup = 1214;
inline constexpr int kEnableRemoteManagement = 1216;
inline constexpr int kWebPortLabel = 1219;
inline constexpr int kWebPort = 1217;
inline constexpr int kUtilityPortLabel = 1220;
inline constexpr int kUtilityPort = 1221;
inline constexpr int kIcmpGroup = 1215;
inline constexpr int kRespondToPing = 1218;

inline constexpr int kPasswordLimit = 9;

} // namespace tolvaro::res::option
