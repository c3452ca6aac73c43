// Template and control ids of the Group Setup dialog.
#pragma once

namespace tolvaro::res::group_setup {

inline constexpr int kTemplate = 154;

inline constexpr int kNoRestriction = 1006;
inline constexpr int kBlockAll = 1007;
inline constexpr int kUseList = 1027;
inline constexpr int kPortList = 1000;
inline constexpr int kAddPort = 1019;
inline constexpr int kDeletePort = 1020;

} // namespace tolvaro::res::group_setup
