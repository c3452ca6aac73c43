#include "device/verify.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <ipslan/variables.h>

#include "device/config_file.h"
#include "device/config_store.h"
#include "device/device_link.h"

namespace tolvaro::device {
namespace {

constexpr std::string_view kNotReadable = "(not readable)";

// The kind the library gives the variable; an unknown one is compared by
// its bytes.
ipslan::VarKind kindOf(int variable, int mode) {
    return ipslan::variableKind(variable, mode).value_or(ipslan::VarKind::Bytes);
}

// Writes that cannot change the router: read-only variables (a file from
// another router carries its hardware address), and an empty write of a
// table that keeps its value on empty.
bool sentNothing(const SentEntry& sent) {
    const ipslan::VariableInfo* info = ipslan::findVariable(sent.variable, sent.mode);
    return info && (!info->writable || (info->keepOnEmpty && entryLength(sent.entry) == 0));
}

std::string_view sentBytes(const _snmp_packet& entry) {
    return {reinterpret_cast<const char*>(entry.value), entryLength(entry)};
}

// The router's value in file form, cut to the bytes that were sent so that
// a table compares over what the write covered.
_snmp_packet routerValue(const SentEntry& sent, const MIB_RESPONSE& read) {
    _snmp_packet entry = fileEntryOf(read);
    // The values are judged by the variable's kind (entryTook); the pages
    // leave the type of what they send to the library, so it is not news.
    entry.type = sent.entry.type;
    if (kindOf(sent.variable, sent.mode) == ipslan::VarKind::Bytes) {
        const std::size_t length = entryLength(sent.entry);
        std::memset(entry.value + length, 0, kEntryValueSize - length);
        setEntryLength(entry, length);
    }
    return entry;
}

NamedDifference differenceOf(const SentEntry& sent, const MIB_RESPONSE* read) {
    const SettingName* known = settingName(sent.variable, sent.mode);
    const SettingName setting = known ? *known : unnamedSetting(sent.variable, sent.mode);
    if (!read) {
        const auto shown = describeEntry(setting, sent.entry);
        return {std::string(setting.key), std::string(setting.name),
                shown.empty() ? std::string("(empty)") : shown.front().value,
                std::string(kNotReadable)};
    }
    if (setting.shown == Shown::Secret)
        return {std::string(setting.key), std::string(setting.name), "(hidden)",
                "(hidden, differs)"};
    auto named = diffEntries(setting, sent.entry, routerValue(sent, *read));
    if (!named.empty()) {
        NamedDifference first = named.front();
        for (std::size_t i = 1; i < named.size(); ++i) {
            first.name += "; " + named[i].name;
            first.before += "; " + named[i].before;
            first.after += "; " + named[i].after;
        }
        return first;
    }
    return {std::string(setting.key), std::string(setting.name), "as sent", "differs in its bytes"};
}

bool readOne(DeviceLink& link, const std::string& ip, int mode, int variable,
             MIB_RESPONSE& result) {
    result = MIB_RESPONSE{};
    return link.getInfo(ip.c_str(), mode, 1, &variable, &result) == 1;
}

// The address where the router with `hardware` answers, if discovery finds it.
std::optional<std::string> rediscover(DeviceLink& link, const HardwareAddress& hardware) {
    for (const DEVICE_INFO& d : browseAll(link)) {
        // Discovery's own word first: asking every other router would cost
        // a time-out each where the password differs.
        HardwareAddress announced{};
        if (link.hardwareAddress(d.ipAddress, announced.data()) == 1 && announced != hardware)
            continue;
        if (readHardwareAddress(link, d.ipAddress) == hardware)
            return std::string(d.ipAddress);
    }
    return std::nullopt;
}

} // namespace

void SentLog::add(int mode, int variable, const _snmp_packet& entry) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const SentEntry& e) {
        return e.variable == variable && e.mode == mode;
    });
    if (it != entries_.end())
        entries_.erase(it);
    entries_.push_back({variable, mode, entry});
}

void SentLog::add(int mode, std::span<const int> variables, std::span<const _snmp_packet> entries) {
    for (std::size_t i = 0; i < std::min(variables.size(), entries.size()); ++i)
        add(mode, variables[i], entries[i]);
}

bool entryTook(const SentEntry& sent, const MIB_RESPONSE& read) {
    switch (kindOf(sent.variable, sent.mode)) {
    case ipslan::VarKind::Integer: {
        // Integers travel as NUL-terminated decimal text whatever the length.
        const std::string text = entryText(sent.entry);
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        return end != text.c_str() && static_cast<std::int32_t>(value) == entryInteger(read);
    }
    case ipslan::VarKind::Text: {
        const std::string_view bytes = sentBytes(sent.entry);
        const std::string was(bytes.data(), strnlen(bytes.data(), bytes.size()));
        return was == entryText(read);
    }
    case ipslan::VarKind::Bytes:
        break;
    }
    const std::string_view bytes = sentBytes(sent.entry);
    return entryLength(read) >= bytes.size() &&
           std::memcmp(read.value, bytes.data(), bytes.size()) == 0;
}

std::optional<HardwareAddress> readHardwareAddress(DeviceLink& link, const char* ip) {
    const int variable = ipslan::var::kHardwareAddress;
    MIB_RESPONSE entry{};
    if (link.getInfo(ip, 0, 1, &variable, &entry) != 1 || entryLength(entry) < 6)
        return std::nullopt;
    HardwareAddress out{};
    std::memcpy(out.data(), entry.value, out.size());
    return out;
}

VerifyResult verifyWrites(DeviceLink& link, const std::string& ip, const HardwareAddress& hardware,
                          std::span<const SentEntry> sent) {
    VerifyResult result;
    result.address = ip;
    const bool known = std::any_of(hardware.begin(), hardware.end(), [](auto b) { return b != 0; });
    const auto here = readHardwareAddress(link, ip.c_str());
    if (!here || (known && *here != hardware)) {
        const auto found = known ? rediscover(link, hardware) : std::nullopt;
        if (!found) {
            result.outcome = VerifyOutcome::NotFound;
            if (here)
                result.otherRouter = here;
            return result;
        }
        result.moved = *found != ip;
        result.address = *found;
    }
    for (const SentEntry& s : sent) {
        if (s.variable == ipslan::var::kReset || sentNothing(s))
            continue;
        MIB_RESPONSE read;
        if (!readOne(link, result.address, s.mode, s.variable, read))
            result.differences.push_back(differenceOf(s, nullptr));
        else if (!entryTook(s, read))
            result.differences.push_back(differenceOf(s, &read));
    }
    if (!result.differences.empty())
        result.outcome = VerifyOutcome::Differences;
    return result;
}

std::string verifyMessage(const VerifyResult& result, const std::string& oldAddress,
                          const std::string& snapshotPath) {
    std::string text;
    switch (result.outcome) {
    case VerifyOutcome::AllTook:
        return {};
    case VerifyOutcome::NotFound:
        if (result.otherRouter) {
            const HardwareAddress& h = *result.otherRouter;
            char other[24];
            std::snprintf(other, sizeof other, "%02X-%02X-%02X-%02X-%02X-%02X", h[0], h[1], h[2],
                          h[3], h[4], h[5]);
            text = "After the restart another router (hardware address " + std::string(other) +
                   ") answered at " + oldAddress +
                   ", and discovery did not find this one elsewhere.\nIts settings could not be "
                   "checked.";
        } else {
            text = "After the restart the router did not answer at " + oldAddress +
                   ", and discovery did not find it elsewhere.\nIts settings could not be "
                   "checked.";
        }
        break;
    case VerifyOutcome::Differences:
        text = "After the restart the router does not hold every setting that was sent";
        if (result.moved)
            text += " (it now answers at " + result.address + ")";
        text += ":\n";
        for (const NamedDifference& d : result.differences)
            text += "\n" + d.name + ": the router has " + d.after + ", sent " + d.before;
        break;
    }
    if (!snapshotPath.empty())
        text += "\n\nThe configuration from before this change is kept in\n" + snapshotPath +
                "\nLoad it to go back.";
    return text;
}

} // namespace tolvaro::device
