// Template and control ids of the LAN-to-LAN page.
#pragma once

#include <array>

namespace tolvaro::res::lan_to_lan {

inline constexpr int kTemplate = 159;

inline constexpr int kEnableLanToLan = 1070;
inline constexpr std::array<int, 4> kRemoteIp{1187, 1188, 1189, 1190};
inline constexpr std::array<int, 4> kRemoteMask{1191, 1192, 1193, 1194};
// Receiver role.
inline constexpr int kReceiverEnable = 1023;
inline constexpr int kAuthDisable = 1028;
inline constexpr int kAuthEnable = 1090;
inline constexpr int kAuthChap = 1122;
inline constexpr int kLoginName = 1071;
inline constexpr int kPassword = 1072;
inline constexpr int kVerifyPassword = 1073;
// Initiator role.
inline constexpr int kInitiatorEnable = 1029;
inline constexpr int kPhoneNumber = 1074;
inline constexpr int kRemoteLoginName = 1013;
inline constexpr int kRemotePassword = 1075;
inline constexpr int kRemoteVerifyPassword = 1076;
inline constexpr int kTimeout = 1204;
inline constexpr int kTimeoutUnit = 1206;

inline constexpr int kOctetLimit = 3;
inline constexpr int kLoginNameLimit = 15;
inline constexpr int kPasswordLimit = 7;
inline constexpr int kRemoteLoginLimit = 61;
inline constexpr int kPhoneNumberLimit = 30;
inline constexpr int kTimeoutLimit = 2;        // firmware level 60 or below
inline constexpr int kTimeoutLimitSeconds = 4; // above level 60

} // namespace tolvaro::res::lan_to_lan
