// Configuration files as a user may hand them to Load, and as Save writes
// them: a file that fails the check yields no write; one that passes yields
// writes that all lie inside the file; and every file Save builds passes the
// check of its own router and gives back each saved entry to its variable.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "check.h"
#include "device/catalogue.h"
#include "device/config_file.h"
#include "device/config_store.h"

namespace {

using namespace tolvaro::device;

std::int32_t int32At(std::span<const std::uint8_t> file, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(file[offset + i]) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

bool sameEntry(const _snmp_packet& a, const _snmp_packet& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void checkVerdict(std::span<const std::uint8_t> file, Family family, std::int32_t version,
                  const CheckedFile& checked) {
    const bool header = file.size() >= kFileHeader.size() &&
                        std::equal(kFileHeader.begin(), kFileHeader.end(), file.begin());
    FUZZ_CHECK(header == (checked.check != FileCheck::FormatError));
    if (checked.check != FileCheck::Ok) {
        FUZZ_CHECK(checked.writes.empty());
        return;
    }
    FUZZ_CHECK(int32At(file, 10) == version && checked.versionNumber == version);
    FUZZ_CHECK(checked.firmwareLevel == int32At(file, 14));
    FUZZ_CHECK(file.size() >= fileSize(checked.layout, checked.firmwareLevel));
    FUZZ_CHECK(checked.layout == family ||
               file.size() == fileSize(checked.layout, checked.firmwareLevel));

    // One write per stored entry, each inside the file, all after the header;
    // above level 60 slot 10 goes to the seconds variable only, and the
    // trailing copy of it is not sent.
    const std::size_t stored =
        (fileSize(checked.layout, checked.firmwareLevel) - kFileHeaderSize) / kEntrySize;
    const bool seconds = checked.firmwareLevel > kSecondsFirmwareLevel;
    FUZZ_CHECK(checked.writes.size() == stored - (seconds ? 1 : 0));
    for (const FileWrite& write : checked.writes) {
        FUZZ_CHECK(write.offset >= kFileHeaderSize && write.offset + kEntrySize <= file.size());
        FUZZ_CHECK((write.offset - kFileHeaderSize) % kEntrySize == 0);
        FUZZ_CHECK(write.mode == 0 || write.mode == 1);
        const _snmp_packet entry = fileEntryAt(file, write.offset);
        FUZZ_CHECK(std::memcmp(&entry, file.data() + write.offset, kEntrySize) == 0);
    }
}

// Any bytes, checked against a router of either family and any version.
void checkAnyFile(FuzzedDataProvider& input) {
    const Family family = input.ConsumeBool() ? Family::One : Family::Two;
    const auto version = input.ConsumeIntegral<std::int32_t>();
    const auto file = input.ConsumeRemainingBytes<std::uint8_t>();
    checkVerdict(file, family, version, checkConfigFile(file, family, version));
}

// A file near one of the layouts' lengths: the header and version mostly
// right, the body the rest of the input over and over.
void checkNearLayout(FuzzedDataProvider& input) {
    const Family family = input.ConsumeBool() ? Family::One : Family::Two;
    const Family made = input.ConsumeBool() ? Family::One : Family::Two;
    const auto version = input.ConsumeIntegral<std::int32_t>();
    const auto level = input.ConsumeIntegralInRange<std::int32_t>(50, 70);
    const auto delta = input.ConsumeIntegralInRange<int>(-static_cast<int>(kEntrySize) - 1, 2);
    const std::size_t size =
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(fileSize(made, level)) + delta);

    std::vector<std::uint8_t> file(kFileHeader.begin(), kFileHeader.end());
    if (input.ConsumeBool()) {
        file[input.ConsumeIntegralInRange<std::size_t>(0, file.size() - 1)] ^= 0x20;
    }
    const std::int32_t written =
        input.ConsumeBool() ? version : input.ConsumeIntegral<std::int32_t>();
    for (const std::int32_t value : {written, level}) {
        for (int i = 0; i < 4; ++i) {
            file.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
        }
    }
    const auto body = input.ConsumeRemainingBytes<std::uint8_t>();
    std::size_t filled = file.size();
    file.resize(size);
    while (!body.empty() && filled < size) {
        const std::size_t n = std::min(body.size(), size - filled);
        std::copy_n(body.begin(), n, file.begin() + static_cast<std::ptrdiff_t>(filled));
        filled += n;
    }
    checkVerdict(file, family, version, checkConfigFile(file, family, version));
}

void fillEntry(FuzzedDataProvider& input, MIB_RESPONSE& entry) {
    entry.type = input.ConsumeIntegral<std::uint8_t>();
    entry.length[0] = input.ConsumeIntegral<std::uint8_t>();
    entry.length[1] = input.ConsumeIntegral<std::uint8_t>();
    const auto bytes = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 24));
    std::copy(bytes.begin(), bytes.end(), entry.value);
}

// What Save writes from a fetched store, whatever the router returned.
void checkSavedFile(FuzzedDataProvider& input) {
    const Family family = input.ConsumeBool() ? Family::One : Family::Two;
    ConfigStore store(family);
    ReadImageFill fill(store);
    const std::string versionText = input.ConsumeRandomLengthString(24);
    std::copy(versionText.begin(), versionText.end(), fill.read(kVersionSlot).value);
    store.takeFirmwareLevel();
    for (int n = input.ConsumeIntegralInRange(0, 8); n > 0; --n) {
        const int slot = input.ConsumeIntegralInRange(0, store.slotCount() - 1);
        if (slot != kVersionSlot) {
            fillEntry(input, fill.read(slot));
        }
    }
    for (int n = input.ConsumeIntegralInRange(0, 3); n > 0; --n) {
        fillEntry(input, fill.mode1Read(input.ConsumeIntegralInRange(0, 4)));
    }
    const std::int32_t version =
        fileVersionNumber(store).value_or(input.ConsumeIntegral<std::int32_t>());

    const auto file = buildConfigFile(store, version);
    FUZZ_CHECK(file.size() == fileSize(family, store.firmwareLevel));
    const CheckedFile checked = checkConfigFile(file, family, version);
    FUZZ_CHECK(checked.check == FileCheck::Ok && checked.layout == family);
    checkVerdict(file, family, version, checked);
    for (const FileWrite& write : checked.writes) {
        const _snmp_packet entry = fileEntryAt(file, write.offset);
        if (write.mode == 1) {
            const auto index = mode1IndexOf(write.variable);
            FUZZ_CHECK(index.has_value());
            FUZZ_CHECK(sameEntry(entry, fileEntryOf(store.mode1Read(*index))));
        } else {
            const auto slot = store.slotOf(write.variable);
            FUZZ_CHECK(slot.has_value());
            FUZZ_CHECK(sameEntry(entry, fileEntryOf(store.read(*slot))));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
        checkAnyFile(input);
        break;
    case 1:
        checkNearLayout(input);
        break;
    default:
        checkSavedFile(input);
        break;
    }
    return 0;
}
