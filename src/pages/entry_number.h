// Small settings kept as decimal text in write-image entries (the feature
// byte, the authentication byte): reading them as numbers and writing them
// back.
#pragma once

#include <ipslan/ipslan.h>

namespace tolvaro::pages {

// The entry's text as a decimal number: leading blanks, an optional sign,
// then digits; anything else ends the number, and a text without digits
// reads as 0. Values beyond the range of int are held at its ends.
int entryNumber(const _snmp_packet& entry);

// Writes the low byte of `value` as decimal text (0 to 255) and sets the
// length word to the text's length; the type byte is left as it is.
void setEntryByte(_snmp_packet& entry, int value);

} // namespace tolvaro::pages
