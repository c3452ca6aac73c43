// This computer's address toward a router reached over the WAN, and the
// class mask that goes with it. Neither is used to reach the router: they
// fill the remote entry's record the way discovery fills a LAN router's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvaro::app {

// The first of `ownAddresses` whose first three numbers equal those of
// `remoteAddress`. When none does, the one sharing the most leading numbers
// (the first among equals), where a loopback address sharing none counts
// below every other address, since it cannot reach a router elsewhere.
// Empty when this computer has no address.
std::string localAddressFor(std::string_view remoteAddress,
                            const std::vector<std::string>& ownAddresses);

// "255.0.0.0" when the address's first number is below 128, "255.255.0.0"
// below 192, else "255.255.255.0". Empty for a text that does not start
// with a number.
std::string classMask(std::string_view localAddress);

} // namespace tolvaro::app
