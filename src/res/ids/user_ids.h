// Template and control ids of the User dialog.
#pragma once

namespace tolvaro::res::user {

inline constexpr int kTemplate = 161;

inline constexpr int kName = 1102;
inline constexpr int kPassword = 1103;
inline constexpr int kEnableDialIn = 1001;
inline constexpr int kTimeLimit = 1107;
inline constexpr int kCallBackDisable = 1105;
inline constexpr int kCallBackRoaming = 1106;
inline constexpr int kCallBackFixed = 1104;
inline constexpr int kCallBackNumber = 1091;

inline constexpr int kNameLimit = 15;
inline constexpr int kPasswordLimit = 7;
inline constexpr int kCallBackNumberLimit = 19;
inline constexpr int kTimeLimitLimit = 2;

} // namespace tolvaro::res::user
