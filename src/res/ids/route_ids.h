// Template and control ids of the Routing Entry dialog.
#pragma once

#include <array>

namespace tolvaro::res::route {

inline constexpr int kTemplate = 163;

inline constexpr int kName = 1166;
inline constexpr std::array<int, 4> kDestination{1167, 1168, 1169, 1170};
inline constexpr std::array<int, 4> kMask{1171, 1172, 1173, 1174};
inline constexpr std::array<int, 4> kGateway{1175, 1176, 1177, 1178};
inline constexpr int kMetric = 1098;
inline constexpr int kInterface = 1016;

inline constexpr int kNameLimit = 9;
inline constexpr int kOctetLimit = 3;
inline constexpr int kMetricLimit = 2;

} // namespace tolvaro::res::route
