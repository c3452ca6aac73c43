// The verify after a restart: reads back what an operation wrote and
// compares it with what was sent; integers by value, texts and tables by
// their bytes. When the router does not answer at its address (the LAN page
// moved it, or it is slow), discovery finds it again by hardware address.
// It never writes anything.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

#include "device/setting_names.h"

namespace tolvaro::device {

class DeviceLink;

struct SentEntry {
    int variable;
    int mode;
    _snmp_packet entry;
};

// What an operation sent, the last write of each variable and mode kept.
class SentLog {
public:
    void add(int mode, std::span<const int> variables, std::span<const _snmp_packet> entries);
    void add(int mode, int variable, const _snmp_packet& entry);
    const std::vector<SentEntry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); }

private:
    std::vector<SentEntry> entries_;
};

using HardwareAddress = std::array<std::uint8_t, 6>;

enum class VerifyOutcome {
    AllTook,
    Differences, // some settings do not hold what was sent
    NotFound,    // no answer at the address, and discovery did not find it
};

struct VerifyResult {
    VerifyOutcome outcome = VerifyOutcome::AllTook;
    // Where the router answered; differs from the old address when it moved.
    std::string address;
    bool moved = false;
    // NotFound: the hardware address of another router that answered at the
    // address instead.
    std::optional<HardwareAddress> otherRouter;
    // before: the value sent; after: the router's value ("(not readable)"
    // when the read of that variable failed).
    std::vector<NamedDifference> differences;
};

// Whether the router's entry holds what was sent.
bool entryTook(const SentEntry& sent, const MIB_RESPONSE& read);

// Reads back every sent entry from the router at `ip`; when the router does
// not answer there (or another router does), browses and looks for
// `hardware` among the routers found. `hardware` of all zeros disables the
// search. Entries of the reset variable are not compared.
VerifyResult verifyWrites(DeviceLink& link, const std::string& ip, const HardwareAddress& hardware,
                          std::span<const SentEntry> sent);

// The router's hardware address (var::kHardwareAddress) at `ip`, if it answers.
std::optional<HardwareAddress> readHardwareAddress(DeviceLink& link, const char* ip);

// The warning for a result (empty for AllTook). `snapshotPath`, when given,
// is named as the way back.
std::string verifyMessage(const VerifyResult& result, const std::string& oldAddress,
                          const std::string& snapshotPath);

} // namespace tolvaro::device
