// Template and control ids of the Special Application Setup dialog.
#pragma once

namespace tolvaro::res::special_app {

inline constexpr int kTemplate = 166;

inline constexpr int kEnable = 1001;
inline constexpr int kName = 1002;
inline constexpr int kOutgoingProtocol = 1016;
inline constexpr int kOutgoingStart = 1003;
inline constexpr int kOutgoingEnd = 1004;
inline constexpr int kIncomingProtocol = 1017;
inline constexpr int kIncomingStart = 1005;
inline constexpr int kIncomingEnd = 1006;
// "&Help" carries ui::kIdHelp.

inline constexpr int kNameLimit = 9;
inline constexpr int kPortLimit = 5;

} // namespace tolvaro::res::special_app
