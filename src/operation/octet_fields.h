// The check that every four-field address entry repeats: the fields must be
// all filled or all empty, and each number at most 255. Callers show their
// own message for each outcome.
#pragma once

#include <array>
#include <string>

#include "device/dotted_text.h"

namespace tolvaro::operation {

enum class OctetCheck {
    Ok,          // octets hold the address (0.0.0.0 when all four were empty)
    PartlyEmpty, // some fields empty, some not
    OutOfRange,  // a field above 255
};

struct OctetFields {
    OctetCheck check = OctetCheck::Ok;
    device::Octets octets{};
};

// `fields` are the four texts as typed; each is read as a dialog number
// (leading blanks, then digits; anything else reads as 0).
OctetFields checkOctetFields(const std::array<std::string, 4>& fields);

} // namespace tolvaro::operation
