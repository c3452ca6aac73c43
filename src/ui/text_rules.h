// Rules that both backends share, so that a scripted test and the real window
// read and accept text alike.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvaro::ui {

// A control's text read as an unsigned number: optional leading blanks, then
// decimal digits and nothing else, at most 4294967295. Otherwise 0 and
// *translated false.
unsigned parseDialogNumber(std::string_view text, bool* translated);

// What an edit holds after the user types `typed` into it (replacing its
// text): non-digits are refused in a digits-only edit, letters become lower
// case in a lower-case edit, and characters beyond `limit` (when above 0)
// are refused.
std::string acceptTyped(std::string_view typed, unsigned flags, int limit);

// The font's dialog base units: average character width and height in pixels.
struct BaseUnits {
    int x = 6;
    int y = 13;
};

// Dialog units to pixels, rounded as the platform rounds them.
int dialogUnitsToPixelsX(int units, BaseUnits base);
int dialogUnitsToPixelsY(int units, BaseUnits base);

// Turns "&" mnemonics into plain label text: "&&" shows one "&", a single
// "&" disappears.
std::string stripMnemonics(std::string_view text);

// A file-dialog filter of "|"-separated description and pattern pairs, as
// pairs; an incomplete last pair is dropped.
std::vector<std::pair<std::string, std::string>> parseFileFilter(std::string_view filter);

} // namespace tolvaro::ui
