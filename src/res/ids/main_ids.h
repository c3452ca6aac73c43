// Template and control ids of the main window, the discovery wait window,
// the password prompt and the address dialog.
#pragma once

#include "tolvaro_version.h"
#include "ui/template.h"

namespace tolvaro::res::main_window {

inline constexpr int kMainTemplate = 102;
inline constexpr const char* kCaption = "Tolvaro V" TOLVARO_VERSION_SHORT;

inline constexpr int kMainSelectedLabel = 1210;
inline constexpr int kMainRouterList = 1038;
inline constexpr int kMainRefresh = 1019;
inline constexpr int kMainRemote = 1222;
inline constexpr int kMainSetup = ui::kIdOk;
inline constexpr int kMainSave = 1208;
inline constexpr int kMainLoad = 1207;
inline constexpr int kMainIpAddress = 1020;
inline constexpr int kMainWwwSetup = 1092;
inline constexpr int kMainClose = ui::kIdCancel;

} // namespace tolvaro::res::main_window

namespace tolvaro::res::search_wait {

inline constexpr int kSearchWaitTemplate = 129;

} // namespace tolvaro::res::search_wait

namespace tolvaro::res::password {

inline constexpr int kPasswordTemplate = 143;
inline constexpr int kPasswordEdit = 1039;
inline constexpr int kPasswordLimit = 9;

} // namespace tolvaro::res::password

namespace tolvaro::res::ip_address {

inline constexpr int kIpAddressTemplate = 144;
inline constexpr int kIpCurrentAddress = 1040;
inline constexpr int kIpCurrentMask = 1041;
// Four octet edits each, most significant first.
inline constexpr int kIpNewAddress[4] = {1134, 1135, 1136, 1137};
inline constexpr int kIpNewMask[4] = {1138, 1139, 1140, 1141};
inline constexpr int kIpOctetLimit = 3;

} // namespace tolvaro::res::ip_address
