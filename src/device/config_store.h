// The configuration store: the in-memory image of one router's configuration
// that all pages of one operation share. It lives for one Setup, Save or Load
// and is discarded afterwards.
//
// The read image holds the entries as the router returned them; the write
// image holds, at the same slot, what the pages compose to send. The mode-1
// images do the same for the five variables of the mode-1 block. The sheet
// state holds the values the pages show and share between them.
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

class ReadImageFill;

class ConfigStore {
public:
    explicit ConfigStore(Family family);

    Family family() const { return family_; }
    int slotCount() const { return static_cast<int>(read_.size()); }

    // The read image is const for all but the code that fills it (see
    // ReadImageFill), so that a snapshot or a comparison made from it is what
    // the router sent, whatever the pages did since.
    const MIB_RESPONSE& read(int slot) const { return read_.at(static_cast<std::size_t>(slot)); }
    const MIB_RESPONSE* readImage() const { return read_.data(); }
    // Index into the mode-1 block (0 to 4). No page edits it, so it has no
    // sheet state.
    const MIB_RESPONSE& mode1Read(int index) const {
        return mode1Read_.at(static_cast<std::size_t>(index));
    }

    // The sheet state: what the pages show, and where they keep what one page
    // shares with another between visits (a DNS typed on Quick Setup shown on
    // the LAN page, the idle time-out, Group Setup's records and ports). A slot
    // no page has edited is the read image's entry, so a read that lands after
    // the pages started shows through; editSheet() gives the slot its own copy
    // first. A reference from sheet() is therefore good only until the next
    // editSheet() of the same slot.
    const MIB_RESPONSE& sheet(int slot) const;
    MIB_RESPONSE& editSheet(int slot);

    _snmp_packet& write(int slot) { return write_.at(static_cast<std::size_t>(slot)); }
    const _snmp_packet& write(int slot) const { return write_.at(static_cast<std::size_t>(slot)); }
    _snmp_packet* writeImage() { return write_.data(); }

    _snmp_packet& mode1Write(int index) { return mode1Write_.at(static_cast<std::size_t>(index)); }
    const _snmp_packet& mode1Write(int index) const {
        return mode1Write_.at(static_cast<std::size_t>(index));
    }

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
    friend class ReadImageFill;

    Family family_;
    std::vector<MIB_RESPONSE> read_;
    // Only the slots a page edited; the others show through from read_.
    std::vector<std::optional<MIB_RESPONSE>> sheet_;
    std::vector<_snmp_packet> write_;
    std::vector<MIB_RESPONSE> mode1Read_;
    std::vector<_snmp_packet> mode1Write_;
};

// Write access to a store's read image, for the code that fills it from a
// router (the fetch, the snapshot's extra reads) and for tests that stand in
// for a router. Pages never name it (the layer check refuses it outside
// device): they get the store alone, where the read image is const. A type
// rather than a seal after the fetch: a page writing the read image does not
// compile, and the snapshot's read of family 2's last slot, which comes at the
// first apply while the pages are open, needs no unsealing.
class ReadImageFill {
public:
    explicit ReadImageFill(ConfigStore& store) : store_(store) {}

    MIB_RESPONSE& read(int slot) { return store_.read_.at(static_cast<std::size_t>(slot)); }
    MIB_RESPONSE* readImage() { return store_.read_.data(); }
    MIB_RESPONSE& mode1Read(int index) {
        return store_.mode1Read_.at(static_cast<std::size_t>(index));
    }
    MIB_RESPONSE* mode1ReadImage() { return store_.mode1Read_.data(); }

private:
    ConfigStore& store_;
};

} // namespace tolvaro::device
