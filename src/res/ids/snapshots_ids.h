// Template and control ids of the Snapshots window.
#pragma once

namespace tolvaro::res::snapshots {

inline constexpr int kTemplate = 190;

inline constexpr int kRouterLabel = 1300;
inline constexpr int kList = 1301;
// Shown in the list's place when no snapshot is kept.
inline constexpr int kNoneNote = 1302;
inline constexpr int kCompareRouter = 1303;
inline constexpr int kOtherLabel = 1304;
inline constexpr int kOther = 1305;
inline constexpr int kCompareSnapshots = 1306;
inline constexpr int kSaveAs = 1307;
inline constexpr int kDelete = 1308;
inline constexpr int kRestore = 1309;
// "Close" carries ui::kIdOk and "Help" ui::kIdHelp; Cancel is present but
// hidden, for Escape.

} // namespace tolvaro::res::snapshots
