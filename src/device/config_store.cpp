#include "device/config_store.h"

#include <algorithm>
#include <cstring>

namespace tolvaro::device {
namespace {

std::size_t lengthWord(const std::uint8_t (&length)[2]) {
    const std::size_t value = length[0] | (std::size_t{length[1]} << 8);
    return std::min(value, kEntryValueSize);
}

std::string textOf(const std::uint8_t* value) {
    const auto* begin = reinterpret_cast<const char*>(value);
    return std::string(begin, strnlen(begin, kEntryValueSize));
}

int digit(char c) {
    return static_cast<unsigned char>(c) - '0';
}

} // namespace

std::size_t entryLength(const MIB_RESPONSE& entry) {
    return lengthWord(entry.length);
}
std::size_t entryLength(const _snmp_packet& entry) {
    return lengthWord(entry.length);
}

std::int32_t entryInteger(const MIB_RESPONSE& entry) {
    const std::uint32_t value = entry.value[0] | (std::uint32_t{entry.value[1]} << 8) |
                                (std::uint32_t{entry.value[2]} << 16) |
                                (std::uint32_t{entry.value[3]} << 24);
    return static_cast<std::int32_t>(value);
}

std::string entryText(const MIB_RESPONSE& entry) {
    return textOf(entry.value);
}
std::string entryText(const _snmp_packet& entry) {
    return textOf(entry.value);
}

namespace {

void putLengthWord(std::uint8_t (&word)[2], std::size_t length) {
    length = std::min(length, kEntryValueSize);
    word[0] = static_cast<std::uint8_t>(length & 0xff);
    word[1] = static_cast<std::uint8_t>(length >> 8);
}

} // namespace

void setEntryLength(_snmp_packet& entry, std::size_t length) {
    putLengthWord(entry.length, length);
}
void setEntryLength(MIB_RESPONSE& entry, std::size_t length) {
    putLengthWord(entry.length, length);
}

void setEntryText(_snmp_packet& entry, std::string_view text) {
    // One byte stays free for the terminating zero.
    const std::size_t length = std::min(text.size(), kEntryValueSize - 1);
    std::memcpy(entry.value, text.data(), length);
    entry.value[length] = 0;
    setEntryLength(entry, length);
}

int firmwareLevelOf(std::string_view versionText) {
    const std::size_t dot = versionText.find('.');
    if (dot == std::string_view::npos)
        return 0;
    const int before = dot > 0 ? digit(versionText[dot - 1]) : 0;
    const int after = dot + 1 < versionText.size() ? digit(versionText[dot + 1]) : 0;
    return 10 * before + after;
}

ConfigStore::ConfigStore(Family family)
    : family_(family), read_(static_cast<std::size_t>(device::slotCount(family))),
      sheet_(read_.size()), write_(read_.size()), mode1Read_(kMode1Block.size()),
      mode1Write_(kMode1Block.size()) {}

const MIB_RESPONSE& ConfigStore::sheet(int slot) const {
    const auto& edited = sheet_.at(static_cast<std::size_t>(slot));
    return edited ? *edited : read(slot);
}

MIB_RESPONSE& ConfigStore::editSheet(int slot) {
    auto& edited = sheet_.at(static_cast<std::size_t>(slot));
    if (!edited)
        edited = read(slot);
    return *edited;
}

std::optional<int> ConfigStore::slotOf(int variable) const {
    if (variable == kIdleSecondsVariable)
        return kIdleTimeoutSlot;
    return device::slotOf(family_, variable);
}

int ConfigStore::idleTimeoutVariable() const {
    return firmwareLevel > kSecondsFirmwareLevel ? kIdleSecondsVariable : kIdleMinutesVariable;
}

void ConfigStore::clearWriteImage() {
    std::fill(write_.begin(), write_.end(), _snmp_packet{});
}

void ConfigStore::clearMode1WriteImage() {
    std::fill(mode1Write_.begin(), mode1Write_.end(), _snmp_packet{});
}

void ConfigStore::takeFirmwareLevel() {
    firmwareLevel = firmwareLevelOf(entryText(read(kVersionSlot)));
}

} // namespace tolvaro::device
