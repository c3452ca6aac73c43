// The configuration file: the router's variables in the write-entry form, so
// that Load can send each entry unchanged.
//
// Layout (integers 32-bit, low byte first; N = 78 for family 1, whose last
// slot is not saved, and 85 for family 2):
//   0     10          "ISDNROUTER", no terminator
//   10    4           file version number
//   14    4           firmware level
//   18    N x 1504    catalogue slots 0 to N-1
//   ...   5 x 1504    the mode-1 block, in block order
//   ...   1504        above firmware level 60 only: slot 10 again (seconds)
// The family is not stored; it follows from the length.
//
// Everything here is pure except the two file functions at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <ipslan/ipslan.h>

#include "device/config_store.h"

namespace tolvaro::device {

inline constexpr std::string_view kFileHeader = "ISDNROUTER";
inline constexpr std::size_t kFileHeaderSize = 18;

// Catalogue slots a file of this family carries (78 or 85).
int savedSlotCount(Family family);
// Bytes of a file of this family and firmware level.
std::size_t fileSize(Family family, int firmwareLevel);
// The longest layout there is (family 2 above level 60).
std::size_t largestFileSize();

// 1000 d(t[p-1]) + 100 d(t[p+1]) + 10 d(t[p+11]) + d(t[p+12]), t the version
// text, p the position of its first ".", d(c) the character code less 48.
// Positions past the text read as zero bytes, as in the zero-filled entry;
// nothing when the text has no "." at a position of at least 1.
std::optional<std::int32_t> fileVersionNumber(std::string_view versionText);

// The file entry made from a read entry: integers (types 2 and 0x41) as
// signed decimal text, every other value copied whole.
_snmp_packet fileEntryOf(const MIB_RESPONSE& readEntry);

// The whole file for a store filled by a fetch.
std::vector<std::uint8_t> buildConfigFile(const ConfigStore& store, std::int32_t versionNumber);

// The file version number of the router a store was read from (slot 11).
std::optional<std::int32_t> fileVersionNumber(const ConfigStore& store);

// One write of a Load: the entry at `offset` of the file to `variable`.
struct FileWrite {
    int variable;
    int mode;
    std::size_t offset;
};

enum class FileCheck {
    Ok,
    FormatError,     // the header is not "ISDNROUTER"
    VersionMismatch, // made by a router of other firmware
    Incomplete,      // shorter than its layout
    NotThatLayout,   // the other family's length, but not its entries
};

struct CheckedFile {
    FileCheck check = FileCheck::FormatError;
    std::int32_t versionNumber = 0;
    std::int32_t firmwareLevel = 0;
    // The family whose layout the file has.
    Family layout = Family::Two;
    // In file order: the catalogue slots, the mode-1 block, the seconds.
    std::vector<FileWrite> writes;
};

// Checks a file image before anything is written: header, version number
// (against the target router's), then length. A file of exactly the other
// family's length is read with that family's catalogue so that every entry
// goes back to the variable it was saved from, but only when its entries
// carry that catalogue's types: a file of the target's family cut to that
// length would otherwise send its entries to shifted variables. A longer file
// is read with the target's layout and the rest ignored.
CheckedFile checkConfigFile(std::span<const std::uint8_t> file, Family routerFamily,
                            std::int32_t routerVersionNumber);

// Whether every catalogue entry of the file has the type of that family's
// variable in its slot: integers as decimal text, everything else as an
// octet string, texts without control characters.
bool entriesFitLayout(std::span<const std::uint8_t> file, Family layout);

// The file's 1504-byte entry at `offset` (checked by checkConfigFile).
_snmp_packet fileEntryAt(std::span<const std::uint8_t> file, std::size_t offset);

class DeviceLink;
class DeferredSync;

// Asks the router to restart (var::kReset, type 2, length 1, "1").
int sendResetRequest(DeviceLink& link, const char* ip);

struct FileWriteOptions {
    // False: the caller makes the folder durable later (syncFolderOf), so a
    // run that writes many files in one folder syncs it once.
    bool syncFolder = true;
    // Set: the file is neither flushed nor put in place here but by
    // deferred->commit(), together with every other file written through it.
    DeferredSync* deferred = nullptr;
};

// Writes `bytes` to `path` through a temporary file (0600) in the same
// folder that replaces the target only once it is complete, so a failed save
// never destroys an existing file. Every step works on the opened folder and
// never follows a link it did not check:
// - In a sticky folder every user may write to (such as /tmp), a symbolic
//   link or an existing file at `path` that belongs to another user is
//   refused, since its owner could read the passwords written there.
// - Elsewhere, and for the user's own, a symbolic link is followed (the same
//   rules apply again where it points) and its target replaced.
// - A replaced file keeps its mode and owner (where permitted); `warning`
//   then says so when the kept mode lets the group or others read it.
// - A file with several names (hard links) is refused, not replaced: the
//   other names would keep the old contents.
// - What cannot be replaced (a FIFO or device) and an existing writable file
//   in a folder the user cannot write are written in place.
// On failure returns false with a reason. Programs should ignore SIGXFSZ, so
// that a file size limit fails the write instead of ending the program.
bool writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes,
                        std::string* error, std::string* warning = nullptr,
                        const FileWriteOptions& options = {});

// Makes the folder of `path` durable (the names replaced in it).
bool syncFolderOf(const std::string& path);

// "user NAME", or "user id N" when the account has no name.
std::string userName(unsigned uid);

// Removes the temporary files of saves in progress, if any; safe to call
// from a signal handler of a program that ends on SIGINT or SIGTERM.
void removeUnfinishedTemporary() noexcept;

// Reads at most `limit` bytes of a file; nothing (with a reason) when it
// cannot be opened or read.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& path, std::size_t limit,
                                                       std::string* error);

} // namespace tolvaro::device
