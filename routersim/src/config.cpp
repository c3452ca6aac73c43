#include "routersim/config.h"

#include <algorithm>
#include <cstdio>

#include <ipslan/variables.h>

namespace routersim {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isPrintable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

int hexDigit(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

HardwareAddress derivedHardware(Ipv4 address) {
    return {0x02,
            0x4b,
            0x56,
            static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address)};
}

int firmwareLevel(const std::string& firmware) {
    const auto p = firmware.find('.');
    if (p == std::string::npos || p == 0 || p + 1 >= firmware.size() || !isDigit(firmware[p - 1]) ||
        !isDigit(firmware[p + 1])) {
        return 0;
    }
    return 10 * (firmware[p - 1] - '0') + (firmware[p + 1] - '0');
}

bool hasVariable(const ResolvedConfig& config, int variable, int mode) {
    const ipslan::VariableInfo* info = ipslan::findVariable(variable, mode);
    if (info == nullptr) {
        return false;
    }
    if (variable == ipslan::var::kIdleSeconds && mode == 0 && firmwareLevel(config.firmware) > 60) {
        return true;
    }
    return (info->families & (config.family == 1 ? ipslan::kFamily1 : ipslan::kFamily2)) != 0;
}

bool isLoopback(Ipv4 address) {
    return (address >> 24) == 127;
}

bool isUsableAddress(Ipv4 address, Ipv4 netmask) {
    const Ipv4 inverted = ~netmask;
    // Contiguous: the inverted mask plus one is a power of two.
    if ((inverted & (inverted + 1)) != 0) {
        return false;
    }
    const int ones = __builtin_popcount(netmask);
    if (ones < 8 || ones > 30) {
        return false;
    }
    const Ipv4 host = address & inverted;
    return host != 0 && host != inverted;
}

std::string checkFirmware(const std::string& firmware) {
    if (firmware.empty() || firmware.size() >= ipslan::wire::kFirmwareField) {
        return "the firmware text must have 1 to " +
               std::to_string(ipslan::wire::kFirmwareField - 1) + " characters";
    }
    if (!isPrintable(firmware)) {
        return "the firmware text must be printable ASCII";
    }
    const auto p = firmware.find('.');
    if (p == std::string::npos || p == 0 || p + 12 >= firmware.size() ||
        !isDigit(firmware[p - 1]) || !isDigit(firmware[p + 1]) || !isDigit(firmware[p + 11]) ||
        !isDigit(firmware[p + 12])) {
        return "the firmware text needs digits just before and after its first \".\" and 11 "
               "and 12 places after it, e.g. \"6.5 (240918-07)\"";
    }
    return {};
}

std::optional<HardwareAddress> parseHardware(const std::string& text) {
    // Six two-digit hexadecimal pairs separated by ":" or "-".
    if (text.size() != 17) {
        return std::nullopt;
    }
    HardwareAddress hardware{};
    for (std::size_t i = 0; i < 6; ++i) {
        const int high = hexDigit(text[i * 3]);
        const int low = hexDigit(text[i * 3 + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        if (i < 5 && text[i * 3 + 2] != ':' && text[i * 3 + 2] != '-') {
            return std::nullopt;
        }
        hardware[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return hardware;
}

std::string formatHardware(const HardwareAddress& hardware) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", hardware[0], hardware[1],
                  hardware[2], hardware[3], hardware[4], hardware[5]);
    return text;
}

ResolveResult resolve(const RouterConfig& config) {
    auto refuse = [](std::string why) {
        return ResolveResult{std::nullopt, std::move(why)};
    };
    ResolvedConfig resolved;
    if (config.family != 1 && config.family != 2) {
        return refuse("the family must be 1 or 2");
    }
    resolved.family = config.family;
    if (config.name.empty() || config.name.size() >= ipslan::wire::kNameField ||
        !isPrintable(config.name)) {
        return refuse("the name must have 1 to " + std::to_string(ipslan::wire::kNameField - 1) +
                      " printable characters");
    }
    resolved.name = config.name;
    const auto address = ipslan::wire::parseIpv4(config.address);
    if (!address || !isLoopback(*address)) {
        return refuse("the address \"" + config.address +
                      "\" is not a dotted address in 127.0.0.0/8");
    }
    const auto netmask = ipslan::wire::parseIpv4(config.netmask);
    if (!netmask || !isUsableAddress(*address, *netmask)) {
        return refuse("the mask \"" + config.netmask +
                      "\" is not a mask of 8 to 30 bits under which the address is a host");
    }
    resolved.address = *address;
    resolved.netmask = *netmask;
    const auto* passwordInfo = ipslan::findVariable(ipslan::var::kPassword, 0);
    if (config.password.size() > passwordInfo->maxLength || !isPrintable(config.password)) {
        return refuse("the password must have at most " + std::to_string(passwordInfo->maxLength) +
                      " printable characters");
    }
    resolved.password = config.password;
    resolved.hardware = config.hardware.value_or(derivedHardware(*address));
    resolved.firmware = !config.firmware.empty() ? config.firmware
                        : config.family == 1     ? kFamily1Firmware
                                                 : kFamily2Firmware;
    if (auto why = checkFirmware(resolved.firmware); !why.empty()) {
        return refuse(why);
    }
    if (config.discoveryPort == 0) {
        return refuse("the discovery port must be 1 to 65535");
    }
    resolved.snmpPort = config.snmpPort;
    resolved.discoveryPort = config.discoveryPort;
    resolved.stateDirectory = config.stateDirectory;
    if (config.restartTime < Millis{0} || config.dialDelay < Millis{0} ||
        config.latency < Millis{0}) {
        return refuse("the restart time, dial delay and latency must not be negative");
    }
    resolved.restartTime = config.restartTime;
    resolved.dialDelay = config.dialDelay;
    resolved.latency = config.latency;
    resolved.clock = config.clock ? config.clock : std::make_shared<SteadyClock>();
    resolved.stuckLine = config.stuckLine;
    resolved.ignoredWrites = config.ignoredWrites;
    resolved.refusedWrites = config.refusedWrites;
    return {std::move(resolved), {}};
}

} // namespace routersim
