// Template and control ids of the ISDN page.
#pragma once

namespace tolvaro::res::isdn {

inline constexpr int kTemplate = 157;

inline constexpr int kUsageOneChannel = 1113;
inline constexpr int kUsageDynamic = 1114;
inline constexpr int kUsageTwoChannels = 1115;
inline constexpr int kOutgoingMsn = 1004;
inline constexpr int kOutgoingSad = 1005;
inline constexpr int kIncomingMsn = 1002;
inline constexpr int kIncomingSad = 1003;
inline constexpr int kLineSpeed = 1016;
inline constexpr int kInitialString = 1012;

inline constexpr int kMsnLimit = 17;
inline constexpr int kSadLimit = 7;
inline constexpr int kInitialStringLimit = 60;

} // namespace tolvaro::res::isdn
