// The configuration store: the in-memory image of one router's configuration
// that all pages of one operation share. It lives for one Setup, Save or Load
// and is discarded afterwards.
//
// The read image holds the entries as the router returned them; the write
// image holds, at the same slot, what the pages compose to send. The mode-1
// images do the same for the five variables of the mode-1 block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <ipslan/ipslan.h>

#include "device/catalogue.h"

namespace tolvaro::device {

// Reading entries. Lengths are clamped to the value area so that a bad length
// word from a router can never make a reader run past the entry.
std::size_t entryLength(const MIB_RESPONSE& entry);
std::size_t entryLength(const _snmp_packet& entry);
// The 32-bit integer of a type 2 or 0x41 entry (any entry: bytes 4-7).
std::int32_t entryInteger(const MIB_RESPONSE& entry);
// The value read as a NUL-terminated text, cut at the end of the value area.
std::string entryText(const MIB_RESPONSE& entry);
std::string entryText(const _snmp_packet& entry);

// Writing entries. The length word is 16 bits, low byte first, held to
// the value area.
void setEntryLength(_snmp_packet& entry, std::size_t length);
void setEntryLength(MIB_RESPONSE& entry, std::size_t length);
// Sets the value to `text` with a terminating zero (cut to fit) and the
// length word to the text's length; the type byte is left as it is.
void setEntryText(_snmp_packet& entry, std::string_view text);

// 10 times the digit before the first "." of a version text plus the digit
// after it, each taken as its character code less that of "0". A text
// without "." gives 0.
int firmwareLevelOf(std::string_view versionText);

class ConfigStore {
public:
    explicit ConfigStore(Family family);

    Family family() const { return family_; }
    int slotCount() const { return static_cast<int>(read_.size()); }

    MIB_RESPONSE& read(int slot) { return read_.at(static_cast<std::size_t>(slot)); }
    const MIB_RESPONSE& read(int slot) const { return read_.at(static_cast<std::size_t>(slot)); }
    _snmp_packet& write(int slot) { return write_.at(static_cast<std::size_t>(slot)); }
    const _snmp_packet& write(int slot) const { return write_.at(static_cast<std::size_t>(slot)); }
    MIB_RESPONSE* readImage() { return read_.data(); }
    _snmp_packet* writeImage() { return write_.data(); }

    // Index into the mode-1 block (0 to 4).
    MIB_RESPONSE& mode1Read(int index) { return mode1Read_.at(static_cast<std::size_t>(index)); }
    const MIB_RESPONSE& mode1Read(int index) const {
        return mode1Read_.at(static_cast<std::size_t>(index));
    }
    _snmp_packet& mode1Write(int index) { return mode1Write_.at(static_cast<std::size_t>(index)); }
    const _snmp_packet& mode1Write(int index) const {
        return mode1Write_.at(static_cast<std::size_t>(index));
    }
    MIB_RESPONSE* mode1ReadImage() { return mode1Read_.data(); }

    // The slot of a variable in this store's catalogue. Both idle time-out
    // variables (var::kIdleMinutes and var::kIdleSeconds) map to slot 10.
    std::optional<int> slotOf(int variable) const;
    // The idle time-out variable that slot 10 stands for at this store's
    // firmware level.
    int idleTimeoutVariable() const;

    void clearWriteImage();
    void clearMode1WriteImage();

    // Computes the firmware level from the version text in slot 11.
    void takeFirmwareLevel();

    int firmwareLevel = 0;
    // Page applies write only while this holds.
    bool saveConfirmed = false;
    // The page number of the page that sends the reset.
    int resetOwner = 0;
    // The user typed a primary DNS on the Quick Setup page: the LAN page's
    // first display shows it instead of the router's DNS 1.
    bool primaryDnsEdited = false;

private:
    Family family_;
    std::vector<MIB_RESPONSE> read_;
    std::vector<_snmp_packet> write_;
    std::vector<MIB_RESPONSE> mode1Read_;
    std::vector<_snmp_packet> mode1Write_;
};

} // namespace tolvaro::device
