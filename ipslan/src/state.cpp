#include "ipslan/detail/state.h"
#include "ipslan/discovered.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <mutex>

namespace ipslan {
namespace {

constexpr int kMaxTimeoutMs = 60000;
constexpr int kMaxRetries = 10;
constexpr int kMinWindowMs = 10;
constexpr int kMaxWindowMs = 10000;

std::optional<int> parseInt(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Community and SNMP port of a thread that asked to keep its own.
struct ThreadTarget {
    bool own = false;
    std::string community;
    int snmpPort = 161;
};
thread_local ThreadTarget threadTarget;

struct Registry {
    std::mutex mutex;
    detail::Settings settings;
    std::vector<std::string> problems;
    std::map<wire::Ipv4, detail::KnownRouter> known;
    std::vector<wire::Ipv4> lastBrowse;

    Registry() { readEnvironment(); }

    void readEnvironment() {
        const auto number = [this](const char* name, int low, int high) -> std::optional<int> {
            const char* text = std::getenv(name);
            if (text == nullptr) {
                return std::nullopt;
            }
            const auto value = parseInt(text, low, high);
            if (!value) {
                problems.push_back(std::string(name) + ": expected a number from " +
                                   std::to_string(low) + " to " + std::to_string(high));
            }
            return value;
        };
        if (const auto v = number("IPSLAN_SNMP_TIMEOUT_MS", 1, kMaxTimeoutMs)) {
            settings.timeouts.timeoutMs = *v;
        }
        if (const auto v = number("IPSLAN_SNMP_RETRIES", 0, kMaxRetries)) {
            settings.timeouts.retries = *v;
        }
        if (const auto v = number("IPSLAN_DISCOVERY_PORT", 1, 65535)) {
            settings.discoveryPort = static_cast<std::uint16_t>(*v);
        }
        if (const auto v = number("IPSLAN_DISCOVERY_WINDOW_MS", kMinWindowMs, kMaxWindowMs)) {
            settings.windowMs = *v;
        }
        if (const auto v = number("IPSLAN_READ_WINDOW", 1, kMaxReadWindow)) {
            settings.readWindow = *v;
        }
        if (const char* text = std::getenv("IPSLAN_DISCOVERY")) {
            if (const auto targets = parseDiscoveryTargets(text)) {
                settings.targets = *targets;
            } else {
                problems.push_back("IPSLAN_DISCOVERY: expected \"loopback\" and/or addresses "
                                   "a.b.c.d[:port], separated by commas");
            }
        }
    }
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

void setTimeouts(int timeoutMs, int retries) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.settings.timeouts = {std::clamp(timeoutMs, 1, kMaxTimeoutMs),
                           std::clamp(retries, 0, kMaxRetries)};
}

Timeouts timeouts() {
    return detail::settings().timeouts;
}

std::optional<DiscoveryTargets> parseDiscoveryTargets(std::string_view text) {
    DiscoveryTargets targets;
    while (true) {
        const auto comma = text.find(',');
        const std::string_view item = trim(text.substr(0, comma));
        if (item == "loopback") {
            targets.loopbackOnly = true;
        } else {
            const auto colon = item.find(':');
            const auto address = wire::parseIpv4(item.substr(0, colon));
            if (!address) {
                return std::nullopt;
            }
            DiscoveryTarget target{*address, 0};
            if (colon != std::string_view::npos) {
                const auto port = parseInt(item.substr(colon + 1), 1, 65535);
                if (!port) {
                    return std::nullopt;
                }
                target.port = static_cast<std::uint16_t>(*port);
            }
            targets.extra.push_back(target);
        }
        if (comma == std::string_view::npos) {
            return targets;
        }
        text.remove_prefix(comma + 1);
    }
}

void setDiscoveryTargets(const DiscoveryTargets& targets) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.settings.targets = targets;
}

DiscoveryTargets discoveryTargets() {
    return detail::settings().targets;
}

bool setDiscoveryPort(int port) {
    if (port < 1 || port > 65535) {
        return false;
    }
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.settings.discoveryPort = static_cast<std::uint16_t>(port);
    return true;
}

std::uint16_t discoveryPort() {
    return detail::settings().discoveryPort;
}

void setDiscoveryWindow(int windowMs) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.settings.windowMs = std::clamp(windowMs, kMinWindowMs, kMaxWindowMs);
}

int discoveryWindowMs() {
    return detail::settings().windowMs;
}

void setReadWindow(int reads) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.settings.readWindow = std::clamp(reads, 1, kMaxReadWindow);
}

int readWindow() {
    return detail::settings().readWindow;
}

std::vector<std::string> environmentProblems() {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.problems;
}

namespace detail {

Settings settings() {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    Settings out = r.settings;
    if (threadTarget.own) {
        out.community = threadTarget.community;
        out.snmpPort = threadTarget.snmpPort;
    }
    return out;
}

void setCommunity(std::string community) {
    if (threadTarget.own) {
        threadTarget.community = std::move(community);
        return;
    }
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.settings.community = std::move(community);
}

void setSnmpPort(int port) {
    if (threadTarget.own) {
        threadTarget.snmpPort = port;
        return;
    }
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.settings.snmpPort = port;
}

void rememberBrowse(const std::vector<KnownRouter>& routers) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.lastBrowse.clear();
    for (const auto& router : routers) {
        r.lastBrowse.push_back(router.ip);
        r.known[router.ip] = router;
    }
}

void rememberRouter(const KnownRouter& router) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.known[router.ip] = router;
}

std::optional<KnownRouter> knownRouter(wire::Ipv4 ip) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = r.known.find(ip);
    if (found == r.known.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<wire::Ipv4> lastBrowseAddresses() {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.lastBrowse;
}

std::uint16_t snmpPortFor(wire::Ipv4 ip) {
    int port = 0;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        port = threadTarget.own ? threadTarget.snmpPort : r.settings.snmpPort;
    }
    return snmpPortFor(ip, port);
}

std::uint16_t snmpPortFor(wire::Ipv4 ip, int port) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    if (port == 161) {
        const auto found = r.known.find(ip);
        if (found != r.known.end()) {
            return found->second.snmpPort;
        }
    }
    return static_cast<std::uint16_t>(port);
}

} // namespace detail
} // namespace ipslan

namespace ipslan {

std::optional<wire::HardwareAddress> announcedHardware(const char* ip) {
    const auto address = ip != nullptr ? wire::parseIpv4(ip) : std::nullopt;
    if (!address)
        return std::nullopt;
    const auto known = detail::knownRouter(*address);
    if (!known)
        return std::nullopt;
    return known->hardware;
}

void keepTargetToThisThread() {
    if (threadTarget.own)
        return;
    const detail::Settings current = detail::settings();
    threadTarget = {true, current.community, current.snmpPort};
}

} // namespace ipslan
