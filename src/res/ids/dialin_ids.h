// Template and control ids of the Dial-in page.
#pragma once

namespace tolvaro::res::dialin {

inline constexpr int kTemplate = 142;

inline constexpr int kEnableDialIn = 1064;
inline constexpr int kIdleTimeout = 1068;
inline constexpr int kAuthDisable = 1065;
inline constexpr int kAuthEnable = 1067;
inline constexpr int kAuthChap = 1117;
inline constexpr int kUserList = 1069;
inline constexpr int kAddUser = 1034;
inline constexpr int kEditUser = 1099;
inline constexpr int kDeleteUser = 1024;

inline constexpr int kIdleTimeoutLimit = 2;

} // namespace tolvaro::res::dialin
