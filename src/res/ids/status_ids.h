// Template and control ids of the Status page.
#pragma once

namespace tolvaro::res::status {

inline constexpr int kTemplate = 158;

inline constexpr int kFirmwareVersion = 1078;
inline constexpr int kHardwareAddress = 1079;
inline constexpr int kHardwareId = 1080;
inline constexpr int kConnectionStatus = 1133;
inline constexpr int kDialUp = 1023;
inline constexpr int kHangUp = 1022;
inline constexpr int kConnectionLog = 1130;
inline constexpr int kRefreshLog = 1021;

} // namespace tolvaro::res::status
