#include "pages/octet_edits.h"

#include <algorithm>

#include "ui/dialog.h"

namespace tolvaro::pages {

bool OctetEdits::anyEmpty() const {
    return std::any_of(texts.begin(), texts.end(), [](const std::string& t) { return t.empty(); });
}

bool OctetEdits::anyAbove(unsigned limit) const {
    return std::any_of(numbers.begin(), numbers.end(), [limit](unsigned n) { return n > limit; });
}

bool OctetEdits::allZero() const {
    return std::all_of(numbers.begin(), numbers.end(), [](unsigned n) { return n == 0; });
}

device::Octets OctetEdits::octets() const {
    device::Octets out{};
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint8_t>(numbers[i] & 0xffu);
    return out;
}

std::string OctetEdits::dotted() const {
    return std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
           std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
}

std::uint32_t OctetEdits::value() const {
    const device::Octets o = octets();
    return std::uint32_t{o[0]} << 24 | std::uint32_t{o[1]} << 16 | std::uint32_t{o[2]} << 8 |
           std::uint32_t{o[3]};
}

OctetEdits readOctetEdits(const ui::Dialog& dialog, const OctetIds& ids) {
    OctetEdits edits;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        edits.texts[i] = dialog.text(ids[i]);
        edits.numbers[i] = dialog.number(ids[i]);
    }
    return edits;
}

void setOctetEdits(ui::Dialog& dialog, const OctetIds& ids, const device::Octets& octets) {
    for (std::size_t i = 0; i < ids.size(); ++i)
        dialog.setNumber(ids[i], octets[i]);
}

} // namespace tolvaro::pages
