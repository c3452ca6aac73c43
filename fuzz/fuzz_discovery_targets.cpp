// The discovery-target setting (IPSLAN_DISCOVERY) and the addresses it turns
// into: a text either parses whole or not at all, what it parses to is said
// again by a canonical text, and no destination is sent to twice.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <ipslan/config.h>
#include <ipslan/detail/discovery.h>
#include <ipslan/wire.h>

#include "check.h"

namespace {

std::string canonical(const ipslan::DiscoveryTargets& targets) {
    std::string text = targets.loopbackOnly ? "loopback" : "";
    for (const auto& target : targets.extra) {
        if (!text.empty()) {
            text += ',';
        }
        text += ipslan::wire::formatIpv4(target.address);
        if (target.port != 0) {
            text += ':' + std::to_string(target.port);
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto targets = ipslan::parseDiscoveryTargets(text);
    if (!targets) {
        return 0;
    }
    FUZZ_CHECK(ipslan::parseDiscoveryTargets(canonical(*targets)) == targets);

    ipslan::detail::Settings settings;
    settings.targets = *targets;
    const std::vector<ipslan::detail::LocalInterface> interfaces = {
        {0x7f000001, 0xff000000, 0x7fffffff, "", 0}, {0xc0a80105, 0xffffff00, 0xc0a801ff, "", 0}};
    const auto destinations = ipslan::detail::discoveryDestinations(settings, interfaces);
    for (std::size_t i = 0; i < destinations.size(); ++i) {
        FUZZ_CHECK(destinations[i].port != 0);
        for (std::size_t j = i + 1; j < destinations.size(); ++j) {
            FUZZ_CHECK(!(destinations[i] == destinations[j]));
        }
    }
    for (const auto& target : targets->extra) {
        const std::uint16_t port = target.port != 0 ? target.port : settings.discoveryPort;
        FUZZ_CHECK(std::find(destinations.begin(), destinations.end(),
                             ipslan::detail::Destination{target.address, port}) !=
                   destinations.end());
    }
    return 0;
}
