// Address texts as the store and the device records hold them, turned into
// bytes. Texts come from routers, files and users, so every function here
// accepts any text: it never reads past the end and never overflows a byte.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tolvaro::device {

using Octets = std::array<std::uint8_t, 4>;

// Parses `text` into `out`:
// - an empty text, or an empty `out`, leaves `out` untouched;
// - four bytes: dotted decimal. Each number is the value of the leading
//   decimal digits of its part (0 when there are none), kept modulo 256; a
//   text with fewer than four parts gives 0 for the missing ones;
// - any other size: hexadecimal pairs separated by ":" (a hardware address).
//   Blanks before a pair are skipped; a character above "@" counts as a
//   letter digit (code - 55), any other as code - 48, letters in either
//   case; a pair missing at the end of the text gives 0.
void parseDottedText(std::string_view text, std::span<std::uint8_t> out);

// Dotted decimal in four bytes; an empty text gives 0.0.0.0.
Octets parseDottedAddress(std::string_view text);

// "%d.%d.%d.%d", as the store holds addresses.
std::string formatDotted(const Octets& octets);

// Whether two addresses fall in the same network under `mask`.
bool sameNetwork(const Octets& a, const Octets& b, const Octets& mask);

} // namespace tolvaro::device
