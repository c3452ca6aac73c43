// Address texts from routers, files and users turned into bytes: no write
// outside the requested bytes, an empty text changes nothing, and the dotted
// form of any four bytes parses back to them.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "check.h"
#include "device/dotted_text.h"

namespace {

using namespace tolvaro::device;

constexpr std::uint8_t kCanary = 0xa5;
constexpr std::size_t kGuard = 4;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::size_t width = input.ConsumeIntegralInRange<std::size_t>(0, 8);
    const std::string text = input.ConsumeRemainingBytesAsString();

    std::array<std::uint8_t, 8 + 2 * kGuard> buffer;
    buffer.fill(kCanary);
    parseDottedText(text, std::span(buffer).subspan(kGuard, width));
    const auto isCanary = [](std::uint8_t b) {
        return b == kCanary;
    };
    FUZZ_CHECK(std::all_of(buffer.begin(), buffer.begin() + kGuard, isCanary));
    FUZZ_CHECK(std::all_of(buffer.begin() + kGuard + width, buffer.end(), isCanary));
    if (text.empty()) {
        FUZZ_CHECK(std::all_of(buffer.begin(), buffer.end(), isCanary));
    }

    // Whatever a text parses to is held by its dotted form as well.
    const Octets octets = parseDottedAddress(text);
    const std::string dotted = formatDotted(octets);
    FUZZ_CHECK(parseDottedAddress(dotted) == octets);
    FUZZ_CHECK(sameNetwork(octets, octets, parseDottedAddress(text)));
    return 0;
}
