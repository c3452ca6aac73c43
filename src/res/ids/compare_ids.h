// Template and control ids of the Compare window.
#pragma once

namespace tolvaro::res::compare {

inline constexpr int kTemplate = 191;

inline constexpr int kLeftLabel = 1320;
inline constexpr int kRightLabel = 1321;
inline constexpr int kList = 1322;
// Shown in the list's place when the two sides hold the same settings.
inline constexpr int kSameNote = 1323;
// "Close" carries ui::kIdOk and "Help" ui::kIdHelp; Cancel is present but
// hidden, for Escape.

} // namespace tolvaro::res::compare
