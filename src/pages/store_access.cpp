#include "pages/store_access.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "device/config_store.h"

namespace tolvaro::pages {
namespace {

int slotOrThrow(const device::ConfigStore& store, int variable) {
    const auto slot = store.slotOf(variable);
    if (!slot)
        throw std::out_of_range("variable outside the catalogue: " + std::to_string(variable));
    return *slot;
}

std::size_t putText(std::uint8_t* value, std::string_view text) {
    // One byte stays free for the terminating zero.
    const std::size_t length = std::min(text.size(), kEntryValueSize - 1);
    std::memcpy(value, text.data(), length);
    value[length] = 0;
    return length;
}

} // namespace

const MIB_RESPONSE& sheetEntry(const device::ConfigStore& store, int variable) {
    return store.sheet(slotOrThrow(store, variable));
}
MIB_RESPONSE& editSheetEntry(device::ConfigStore& store, int variable) {
    return store.editSheet(slotOrThrow(store, variable));
}
_snmp_packet& writeEntry(device::ConfigStore& store, int variable) {
    return store.write(slotOrThrow(store, variable));
}
const _snmp_packet& writeEntry(const device::ConfigStore& store, int variable) {
    return store.write(slotOrThrow(store, variable));
}

void setNumberText(_snmp_packet& entry, int value) {
    putText(entry.value, std::to_string(value));
}

void setSheetText(MIB_RESPONSE& entry, std::string_view text) {
    device::setEntryLength(entry, putText(entry.value, text));
}

} // namespace tolvaro::pages
