// Template and control ids of the Internet Application page.
#pragma once

#include <array>

namespace tolvaro::res::internet_application {

inline constexpr int kTemplate = 156;

inline constexpr int kSpecialAppList = 1025;
inline constexpr int kAddSpecialApp = 1089;
inline constexpr int kEditSpecialApp = 1020;
inline constexpr int kDeleteSpecialApp = 1026;
inline constexpr int kServerList = 1086;
inline constexpr int kAddServer = 1087;
inline constexpr int kEditServer = 1019;
inline constexpr int kDeleteServer = 1088;
inline constexpr int kExposedEnable = 1001;
inline constexpr std::array<int, 4> kExposedIp{1179, 1180, 1181, 1182};

inline constexpr int kOctetLimit = 3;

} // namespace tolvaro::res::internet_application
