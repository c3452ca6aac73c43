// The authentication field of the authentication byte (var::kAuthentication): bits 0x70
// say what the router asks of callers. The other bits are not ours and
// always pass through unchanged.
#pragma once

namespace tolvaro::pages {

enum class Authentication { Disable, Enable, Chap };

inline constexpr int kAuthenticationMask = 0x70;
inline constexpr int kAuthenticationEnable = 0x10;
inline constexpr int kAuthenticationChap = 0x20;

// 0x10 is Enable, 0x20 CHAP, any other field (none, or several bits) Disable.
Authentication authenticationOf(int value);

// The byte with its field set to exactly `mode`'s value (0x00, 0x10, 0x20);
// the bits outside the field are kept.
int withAuthentication(int value, Authentication mode);

} // namespace tolvaro::pages
