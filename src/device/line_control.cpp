#include "device/line_control.h"

#include <algorithm>
#include <cstdio>

#include <ipslan/ipslan.h>
#include <ipslan/variables.h>

#include "device/config_store.h"
#include "device/device_link.h"

namespace tolvaro::device {
namespace {

constexpr const char* kDialCommand = "2";
constexpr const char* kHangUpCommand = "1";
constexpr int kLinkUp = 1;

// The nine log parts in the order they are joined, then the status text.
constexpr std::array<int, 10> kLogRequest = [] {
    std::array<int, 10> out{};
    std::copy(ipslan::var::kLogTable.begin(), ipslan::var::kLogTable.end(), out.begin());
    out.back() = ipslan::var::kStatusText;
    return out;
}();
constexpr std::size_t kLogParts = 9;
constexpr std::size_t kLogCapacity = 2549;
constexpr int kLeasesPerPart = 17;
constexpr std::int32_t kNoLease = -1;

void sendLineCommand(DeviceLink& link, const char* address, const char* command) {
    _snmp_packet entry{};
    entry.type = kTypeInteger;
    setEntryText(entry, command);
    const int variable = ipslan::var::kLineCommand;
    link.setInfo(address, 0, 1, &variable, &entry);
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

int linkStatus(DeviceLink& link, const char* address) {
    MIB_RESPONSE entry{};
    const int variable = ipslan::var::kLinkStatus;
    if (link.getInfo(address, 0, 1, &variable, &entry) == 0)
        return 0;
    return entryInteger(entry);
}

DialOutcome dialUp(DeviceLink& link, const char* address, const PollWait& wait) {
    sendLineCommand(link, address, kDialCommand);
    int status = 0;
    for (int poll = 0; poll < kDialPolls; ++poll) {
        wait(poll, kDialPolls);
        status = linkStatus(link, address);
        if (status != 0)
            break;
    }
    return status == kLinkUp ? DialOutcome::Connected : DialOutcome::NotConnected;
}

HangUpOutcome hangUp(DeviceLink& link, const char* address, const PollWait& wait) {
    if (linkStatus(link, address) == 0)
        return HangUpOutcome::NotConnected;
    sendLineCommand(link, address, kHangUpCommand);
    int status = kLinkUp;
    for (int poll = 0; poll < kHangUpPolls; ++poll) {
        wait(poll, kHangUpPolls);
        status = linkStatus(link, address);
        if (status != kLinkUp)
            break;
    }
    return status == 0 ? HangUpOutcome::HungUp : HangUpOutcome::StillConnected;
}

const char* outcomeText(DialOutcome outcome) {
    return outcome == DialOutcome::Connected ? line_text::kConnected : line_text::kNotConnected;
}

const char* outcomeText(HangUpOutcome outcome) {
    switch (outcome) {
    case HangUpOutcome::NotConnected:
        return line_text::kNoConnection;
    case HangUpOutcome::HungUp:
        return line_text::kHungUp;
    case HangUpOutcome::StillConnected:
        break;
    }
    return line_text::kStillConnected;
}

std::optional<StatusLog> readStatusLog(DeviceLink& link, const char* address) {
    std::array<MIB_RESPONSE, kLogRequest.size()> results{};
    if (link.getInfo(address, 0, static_cast<int>(kLogRequest.size()), kLogRequest.data(),
                     results.data()) == 0)
        return std::nullopt;
    StatusLog out;
    for (std::size_t i = 0; i < kLogParts && out.log.size() < kLogCapacity; ++i)
        out.log += entryText(results[i]);
    if (out.log.size() > kLogCapacity)
        out.log.resize(kLogCapacity);
    out.status = entryText(results[kLogParts]);
    replaceAll(out.status, "Accont", "Account");
    return out;
}

std::optional<std::vector<Lease>> readLeases(DeviceLink& link, const char* address) {
    constexpr auto variables = ipslan::var::kLeaseTable;
    std::array<MIB_RESPONSE, variables.size()> parts{};
    if (link.getInfo(address, 0, static_cast<int>(variables.size()), variables.data(),
                     parts.data()) == 0)
        return std::nullopt;
    std::vector<Lease> out;
    for (const MIB_RESPONSE& part : parts) {
        // Each part is read only as far as the router said it reaches.
        const std::size_t length = entryLength(part);
        std::size_t offset = 0;
        for (int n = 0; n < kLeasesPerPart; ++n) {
            dhcp_tmp_s record{};
            const int used = IPSConvByteToDHCPTable(&record, part.value + offset,
                                                    offset < length ? length - offset : 0);
            if (record.address[0] == 0)
                return out;
            Lease lease;
            std::copy(std::begin(record.address), std::end(record.address), lease.address.begin());
            std::copy(std::begin(record.hardware), std::end(record.hardware),
                      lease.hardware.begin());
            lease.leased = record.dynamic != 0 && record.lease != kNoLease;
            out.push_back(lease);
            offset += static_cast<std::size_t>(used);
        }
    }
    return out;
}

std::string hyphenatedHardware(const std::uint8_t* bytes) {
    char buffer[18];
    std::snprintf(buffer, sizeof buffer, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1],
                  bytes[2], bytes[3], bytes[4], bytes[5]);
    return buffer;
}

} // namespace tolvaro::device
