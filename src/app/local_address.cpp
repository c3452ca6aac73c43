#include "app/local_address.h"

#include <array>
#include <charconv>
#include <optional>

namespace tolvaro::app {
namespace {

constexpr int kLoopbackNetwork = 127;
constexpr std::size_t kComparedNumbers = 3;

// The decimal number of the `index`-th dot-separated part, when that part is
// one to three digits and nothing else.
std::optional<int> numberAt(std::string_view text, std::size_t index) {
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t dot = text.find('.');
        if (dot == std::string_view::npos) {
            return std::nullopt;
        }
        text.remove_prefix(dot + 1);
    }
    const std::string_view part = text.substr(0, text.find('.'));
    if (part.empty() || part.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc() || end != part.data() + part.size()) {
        return std::nullopt;
    }
    return value;
}

int sharedLeadingNumbers(std::string_view a, std::string_view b) {
    int shared = 0;
    for (std::size_t i = 0; i < kComparedNumbers; ++i) {
        const auto x = numberAt(a, i);
        if (!x || x != numberAt(b, i)) {
            break;
        }
        ++shared;
    }
    return shared;
}

} // namespace

std::string localAddressFor(std::string_view remoteAddress,
                            const std::vector<std::string>& ownAddresses) {
    const std::string* best = nullptr;
    int bestScore = -2;
    for (const std::string& own : ownAddresses) {
        int score = sharedLeadingNumbers(own, remoteAddress);
        if (score == static_cast<int>(kComparedNumbers)) {
            return own;
        }
        if (score == 0 && numberAt(own, 0) == kLoopbackNetwork) {
            score = -1;
        }
        if (score > bestScore) {
            best = &own;
            bestScore = score;
        }
    }
    return best != nullptr ? *best : std::string();
}

std::string classMask(std::string_view localAddress) {
    const auto first = numberAt(localAddress, 0);
    if (!first) {
        return {};
    }
    if (*first < 128) {
        return "255.0.0.0";
    }
    if (*first < 192) {
        return "255.255.0.0";
    }
    return "255.255.255.0";
}

} // namespace tolvaro::app
