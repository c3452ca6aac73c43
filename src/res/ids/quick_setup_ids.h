// Template and control ids of the Quick Setup page.
#pragma once

#include <array>

namespace tolvaro::res::quick_setup {

inline constexpr int kTemplate = 149;

inline constexpr int kEnableInternet = 1045;
inline constexpr int kAccountName = 1046;
inline constexpr int kAccountPassword = 1047;
inline constexpr int kVerifyPassword = 1009;
inline constexpr int kDynamic = 1044;
inline constexpr int kFixed = 1043;
inline constexpr std::array<int, 4> kFixedIp{1142, 1143, 1144, 1145};
inline constexpr int kIdleTimeout = 1132;
inline constexpr int kIdleTimeoutUnit = 1203;
inline constexpr std::array<int, 4> kDns{1199, 1200, 1201, 1202};
inline constexpr int kTelephone1 = 1050;
inline constexpr int kTelephone2 = 1051;
inline constexpr int kTelephone3 = 1052;
inline constexpr int kCountry = 1053;
inline constexpr int kSpidNote = 1119;
inline constexpr int kSpid1Label = 1120;
inline constexpr int kSpid2Label = 1121;
inline constexpr int kSpid1 = 1014;
inline constexpr int kSpid2 = 1015;
inline constexpr int kDeviceIp = 1017;
inline constexpr int kNetworkMask = 1054;

// Input limits set at page start.
inline constexpr int kAccountLimit = 61;
inline constexpr int kOctetLimit = 3;
inline constexpr int kTelephoneLimit = 30;
inline constexpr int kSpidLimit = 17;
inline constexpr int kIdleTimeoutLimit = 2;        // firmware level 60 or below
inline constexpr int kIdleTimeoutLimitSeconds = 4; // above level 60

} // namespace tolvaro::res::quick_setup
