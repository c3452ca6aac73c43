// Template and control ids of the LAN page.
#pragma once

#include <array>

namespace tolvaro::res::lan {

inline constexpr int kTemplate = 152;

inline constexpr int kDhcpEnable = 1057;
inline constexpr std::array<int, 4> kDhcpStart{1146, 1147, 1148, 1149};
inline constexpr std::array<int, 4> kDhcpEnd{1150, 1151, 1152, 1153};
inline constexpr int kAllocated = 1060;
inline constexpr int kRip = 1213;
inline constexpr int kRouteList = 1061;
inline constexpr int kAddRoute = 1062;
inline constexpr int kDeleteRoute = 1063;
inline constexpr std::array<int, 4> kDns1{1154, 1155, 1156, 1157};
inline constexpr std::array<int, 4> kDns2{1158, 1159, 1160, 1161};
inline constexpr std::array<int, 4> kDns3{1162, 1163, 1164, 1165};

inline constexpr int kOctetLimit = 3;

} // namespace tolvaro::res::lan
