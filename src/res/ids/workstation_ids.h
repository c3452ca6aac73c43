// Template and control ids of the WorkStation dialog.
#pragma once

#include <array>

namespace tolvaro::res::workstation {

inline constexpr int kTemplate = 162;

inline constexpr int kName = 1097;
inline constexpr int kGroup = 1094;
// Hardware-address bytes 0 to 5, in display order.
inline constexpr std::array<int, 6> kHardwareAddress{1108, 1109, 1110, 1111, 1006, 1007};
inline constexpr int kReserve = 1095;
inline constexpr std::array<int, 4> kReservedIp{1195, 1196, 1197, 1198};

inline constexpr int kNameLimit = 9;
inline constexpr int kHardwareByteLimit = 2;
inline constexpr int kOctetLimit = 3;

} // namespace tolvaro::res::workstation
