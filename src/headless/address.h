// The IP Address dialog run without a screen: the new address and mask typed
// into its fields and "Change" pressed, so its own checks, messages and
// library call decide.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

#include "headless/headless_host.h"

namespace tolvaro::device {
class DeviceLink;
}

namespace tolvaro::headless {

struct AddressChange {
    enum class Outcome { Changed, Refused };
    Outcome outcome = Outcome::Refused;
    // The dialog's messages, in order (a refusal's reason among them).
    std::vector<std::string> messages;
    // The dialog's proposal and what was sent.
    std::string address;
    std::string mask;
};

// Assigns `address` (and `mask`, else the mask the dialog proposes: the
// router's current one) to `router`, which discovery found (its local
// address says which network the proposal comes from). On success the
// record's address text is the new one.
AddressChange changeAddress(HeadlessHost& host, device::DeviceLink& link, DEVICE_INFO& router,
                            const std::string& address, const std::optional<std::string>& mask);

// "a.b.c.d" as the four texts typed into an address's fields; missing
// parts stay empty, so the window's own check names what is wrong.
std::vector<std::string> octetTexts(const std::string& dotted);

} // namespace tolvaro::headless
