// What `show` and `diff` do with a file a user names: describe it setting by
// setting, and compare it with another. Any bytes give an answer or none,
// never a crash; a file compared with itself differs nowhere; a readable
// file's description names each setting once, with printable texts.
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "check.h"
#include "device/config_file.h"
#include "device/setting_names.h"

namespace {

using namespace tolvaro::device;

// A file with a valid header at the length of a layout, its body the input
// over and over, so that the fuzzer spends its time in the entries.
std::vector<std::uint8_t> nearFile(FuzzedDataProvider& input) {
    const Family family = input.ConsumeBool() ? Family::One : Family::Two;
    const auto level = input.ConsumeIntegralInRange<std::int32_t>(50, 70);
    std::vector<std::uint8_t> file(kFileHeader.begin(), kFileHeader.end());
    const auto version = input.ConsumeIntegral<std::int32_t>();
    for (const std::int32_t value : {version, level})
        for (int i = 0; i < 4; ++i)
            file.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
    const std::size_t size = fileSize(family, level);
    const auto body = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 4096));
    std::size_t at = file.size();
    file.resize(size);
    while (!body.empty() && at < size)
        for (std::size_t i = 0; i < body.size() && at < size; ++i)
            file[at++] = body[i];
    return file;
}

void checkDescription(std::span<const std::uint8_t> file) {
    const auto described = describeConfigFile(file);
    const auto same = diffConfigFiles(file, file);
    FUZZ_CHECK(described.has_value() == same.has_value());
    if (!described)
        return;
    FUZZ_CHECK(same->empty());
    std::set<std::string> keys;
    for (const NamedValue& v : *described) {
        FUZZ_CHECK(!v.key.empty() && !v.name.empty());
        FUZZ_CHECK(keys.insert(v.key).second);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool near = input.ConsumeBool();
    const std::vector<std::uint8_t> first =
        near ? nearFile(input)
             : input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegral<std::uint16_t>());
    checkDescription(first);
    const std::vector<std::uint8_t> second =
        input.ConsumeBool() ? nearFile(input) : input.ConsumeRemainingBytes<std::uint8_t>();
    checkDescription(second);
    const auto forward = diffConfigFiles(first, second);
    const auto backward = diffConfigFiles(second, first);
    FUZZ_CHECK(forward.has_value() == backward.has_value());
    if (forward)
        FUZZ_CHECK(forward->size() == backward->size());
    return 0;
}
