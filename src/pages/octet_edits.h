// Four edits that together hold one IPv4 address, one octet each, read the
// way the pages read them: each edit as an unsigned dialog number, so text
// that is not a number reads as 0. The checks return results; every page
// composes them in its own order and shows its own message.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/dotted_text.h"

namespace tolvaro::ui {
class Dialog;
}

namespace tolvaro::pages {

using OctetIds = std::array<int, 4>;

struct OctetEdits {
    std::array<std::string, 4> texts;
    std::array<unsigned, 4> numbers{};

    // Some edit holds no characters at all.
    bool anyEmpty() const;
    // Some number is above `limit`.
    bool anyAbove(unsigned limit) const;
    bool allZero() const;
    // The numbers cut to bytes; meaningful once anyAbove(255) is false.
    device::Octets octets() const;
    // The numbers as typed, joined "%d.%d.%d.%d" (numbers above 255 stay).
    std::string dotted() const;
    // The address as one number, first octet most significant.
    std::uint32_t value() const;
};

OctetEdits readOctetEdits(const ui::Dialog& dialog, const OctetIds& ids);
void setOctetEdits(ui::Dialog& dialog, const OctetIds& ids, const device::Octets& octets);

} // namespace tolvaro::pages
