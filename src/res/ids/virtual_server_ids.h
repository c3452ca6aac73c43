// Template and control ids of the Virtual Server Setup dialog.
#pragma once

#include <array>

namespace tolvaro::res::virtual_server {

inline constexpr int kTemplate = 164;

inline constexpr int kEnable = 1001;
inline constexpr int kProtocol = 1016;
inline constexpr int kName = 1002;
inline constexpr std::array<int, 4> kServerIp{1183, 1184, 1185, 1186};
inline constexpr int kExternalPort = 1003;
inline constexpr int kInternalPort = 1004;
// An address control kept hidden and disabled; the dialog does not use it.
inline constexpr int kUnusedAddress = 1008;

inline constexpr int kNameLimit = 9;
inline constexpr int kOctetLimit = 3;
inline constexpr int kPortLimit = 5;

} // namespace tolvaro::res::virtual_server
