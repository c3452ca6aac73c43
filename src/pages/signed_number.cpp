#include "pages/signed_number.h"

#include <cstdint>
#include <limits>

namespace tolvaro::pages {

std::optional<int> parseSignedNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative)
        ++i;
    if (i == text.size())
        return std::nullopt;
    // One beyond INT_MAX is allowed so that INT_MIN reads.
    const std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + (negative ? 1 : 0);
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

int signedNumberOr0(std::string_view text) {
    return parseSignedNumber(text).value_or(0);
}

} // namespace tolvaro::pages
