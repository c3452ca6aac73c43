// Numbers that the pages read as signed: fields whose value may be typed
// with a minus sign, and the small integers that the store keeps as
// decimal text ("%d") in its write images.
#pragma once

#include <optional>
#include <string_view>

namespace tolvaro::pages {

// Optional leading blanks, an optional "-", then decimal digits and nothing
// else, within the range of int. Anything else gives nothing.
std::optional<int> parseSignedNumber(std::string_view text);

// The same, with 0 for a text that is not a number (an empty slot, or one
// that a router filled with something else).
int signedNumberOr0(std::string_view text);

} // namespace tolvaro::pages
