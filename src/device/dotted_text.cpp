#include "device/dotted_text.h"

#include <cctype>

namespace tolvaro::device {
namespace {

std::uint8_t leadingDecimal(std::string_view part) {
    unsigned value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') {
            break;
        }
        // Kept modulo 256 as it grows, so any run of digits fits a byte.
        value = (value * 10 + static_cast<unsigned>(c - '0')) & 0xffu;
    }
    return static_cast<std::uint8_t>(value);
}

void parseDecimal(std::string_view text, std::span<std::uint8_t> out) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (pos > text.size()) {
            out[i] = 0;
            continue;
        }
        const bool last = i + 1 == out.size();
        std::size_t end = last ? text.size() : text.find('.', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        out[i] = leadingDecimal(text.substr(pos, end - pos));
        pos = end + 1;
    }
}

int hexDigit(char c) {
    const int code = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
    return code > 64 ? code - 55 : code - 48;
}

void parseHexPairs(std::string_view text, std::span<std::uint8_t> out) {
    std::size_t pos = 0;
    for (auto& byte : out) {
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
        if (pos >= text.size()) {
            byte = 0;
            continue;
        }
        const int high = hexDigit(text[pos]);
        const int low = pos + 1 < text.size() ? hexDigit(text[pos + 1]) : 0;
        byte = static_cast<std::uint8_t>((high * 16 + low) & 0xff);
        const std::size_t colon = text.find(':', pos + 2 < text.size() ? pos + 2 : text.size());
        pos = colon == std::string_view::npos ? text.size() : colon + 1;
    }
}

} // namespace

void parseDottedText(std::string_view text, std::span<std::uint8_t> out) {
    if (text.empty() || out.empty()) {
        return;
    }
    if (out.size() == 4) {
        parseDecimal(text, out);
    } else {
        parseHexPairs(text, out);
    }
}

Octets parseDottedAddress(std::string_view text) {
    Octets octets{};
    parseDottedText(text, octets);
    return octets;
}

std::string formatDotted(const Octets& o) {
    return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." +
           std::to_string(o[3]);
}

bool sameNetwork(const Octets& a, const Octets& b, const Octets& mask) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] & mask[i]) != (b[i] & mask[i])) {
            return false;
        }
    }
    return true;
}

} // namespace tolvaro::device
