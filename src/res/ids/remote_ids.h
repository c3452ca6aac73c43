// Template and control ids of the Remote Management dialog.
#pragma once

namespace tolvaro::res::remote {

inline constexpr int kTemplate = 180;

inline constexpr int kAddress = 1224;
inline constexpr int kPort = 1225;
inline constexpr int kPassword = 1226;
inline constexpr int kConnectionStatus = 1227;
// "Connect" carries ui::kIdOk, "Close" ui::kIdCancel and "Help" ui::kIdHelp.

} // namespace tolvaro::res::remote
