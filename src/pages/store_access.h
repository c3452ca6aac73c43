// Reaching a catalogue variable's entries by variable number, and the texts
// that pages keep in the store's sheet state between visits.
#pragma once

#include <string_view>

#include <ipslan/ipslan.h>

namespace tolvaro::device {
class ConfigStore;
}

namespace tolvaro::pages {

// The entries of a catalogue variable in the store's family. Naming a
// variable outside the family's catalogue is a programming error and throws
// std::out_of_range.
const MIB_RESPONSE& sheetEntry(const device::ConfigStore& store, int variable);
MIB_RESPONSE& editSheetEntry(device::ConfigStore& store, int variable);
_snmp_packet& writeEntry(device::ConfigStore& store, int variable);
const _snmp_packet& writeEntry(const device::ConfigStore& store, int variable);

// "%d" of `value` as the entry's text. The length word and the type byte stay
// as they are: pages that send the entry set them where they must.
void setNumberText(_snmp_packet& entry, int value);

// A sheet entry that holds a page's text between visits: the value becomes
// `text` with a terminating zero (cut to fit) and the length word its length.
void setSheetText(MIB_RESPONSE& entry, std::string_view text);

} // namespace tolvaro::pages
