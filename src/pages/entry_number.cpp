#include "pages/entry_number.h"

#include <climits>
#include <cstring>
#include <string>

#include "device/config_store.h"

namespace tolvaro::pages {

int entryNumber(const _snmp_packet& entry) {
    const std::string text = device::entryText(entry);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        // Stop growing once outside int: the result is held at its ends.
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

void setEntryByte(_snmp_packet& entry, int value) {
    device::setEntryText(entry, std::to_string(value & 0xff));
}

} // namespace tolvaro::pages
