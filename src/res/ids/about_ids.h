// Template and control ids of the About box.
#pragma once

namespace tolvaro::res::about {

inline constexpr int kAboutTemplate = 100;
inline constexpr int kAboutVersionText = 1200;

} // namespace tolvaro::res::about
