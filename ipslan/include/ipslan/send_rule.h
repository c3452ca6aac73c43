// What the library sends for a write entry, and what it refuses to send.
// IPSSetInfo applies exactly this rule before anything goes on the wire, so
// a caller that wants to know beforehand whether a write can go (a preview,
// a check of a whole file) asks here rather than keeping a copy of it.
#pragma once

#include "ipslan/ipslan.h"

namespace ipslan {

enum class SendCheck {
    Sendable,
    NotANumber, // an integer variable whose entry text is not a 32-bit number
    TooLong,    // longer than the variable takes (its maxLength), or than an
                // entry holds for a variable the table does not know
};

// The check for `entry` written to `variable` in `mode`. Integer variables
// (and unknown variables whose entry says integer) travel as INTEGER, from
// the entry's NUL-terminated decimal text whatever its length word; an
// untouched entry (length 0, empty value) of a variable kept on empty writes
// travels as an empty OCTET STRING; everything else as OCTET STRING of the
// entry's length.
SendCheck checkSend(int variable, int mode, const _snmp_packet& entry);

// Whether `entry` travels as INTEGER (see checkSend).
bool sendsInteger(int variable, int mode, const _snmp_packet& entry);

} // namespace ipslan
