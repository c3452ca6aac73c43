// Template and control ids of the Filter Port dialog.
#pragma once

namespace tolvaro::res::filter_port {

inline constexpr int kTemplate = 168;

inline constexpr int kName = 1002;
inline constexpr int kProtocol = 1016;
inline constexpr int kPort = 1003;

inline constexpr int kNameLimit = 5;
inline constexpr int kPortLimit = 5;

} // namespace tolvaro::res::filter_port
