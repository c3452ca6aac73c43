#include "ui/text_rules.h"

#include <cctype>
#include <cstdint>

#include "ui/template.h"

namespace tolvaro::ui {

unsigned parseDialogNumber(std::string_view text, bool* translated) {
    auto fail = [translated] {
        if (translated) {
            *translated = false;
        }
        return 0u;
    };
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    if (i == text.size()) {
        return fail();
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return fail();
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > 0xffffffffu) {
            return fail();
        }
    }
    if (translated) {
        *translated = true;
    }
    return static_cast<unsigned>(value);
}

std::string acceptTyped(std::string_view typed, unsigned flags, int limit) {
    std::string out;
    for (char c : typed) {
        if (limit > 0 && static_cast<int>(out.size()) >= limit) {
            break;
        }
        if ((flags & kDigitsOnly) && (c < '0' || c > '9')) {
            continue;
        }
        if (flags & kLowerCase) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        out.push_back(c);
    }
    return out;
}

namespace {

// MulDiv(units, base, divisor), rounding halves away from zero.
int scale(int units, int base, int divisor) {
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor
                                         : -((-product + half) / divisor));
}

} // namespace

int dialogUnitsToPixelsX(int units, BaseUnits base) {
    return scale(units, base.x, 4);
}

int dialogUnitsToPixelsY(int units, BaseUnits base) {
    return scale(units, base.y, 8);
}

std::string stripMnemonics(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out.push_back('&');
                ++i;
            }
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> parseFileFilter(std::string_view filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        const std::size_t bar = filter.find('|', start);
        const std::size_t end = bar == std::string_view::npos ? filter.size() : bar;
        parts.emplace_back(filter.substr(start, end - start));
        if (bar == std::string_view::npos) {
            break;
        }
        start = bar + 1;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].empty() && !parts[i + 1].empty()) {
            pairs.emplace_back(parts[i], parts[i + 1]);
        }
    }
    return pairs;
}

} // namespace tolvaro::ui
