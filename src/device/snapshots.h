// The snapshot store: the configuration a router held before a write, kept
// as a configuration file so that any snapshot can be loaded back.
//
// Layout under the root (by default $XDG_DATA_HOME/tolvaro/snapshots, or
// ~/.local/share/tolvaro/snapshots):
//   <hardware address>/                  0700, e.g. 00-A0-C5-12-34-56
//     <UTC time>-<reason>.cfg            0600, e.g. 20261208T031500Z-setup.cfg
//     index                              0600, one line per snapshot:
//                                        file, router name, address,
//                                        firmware text, reason, SHA-256 of
//                                        the file, hardware address, note
//                                        (tab-separated; older lines end
//                                        after the reason)
//     writer.lock                        0600, held (flock) by the one
//                                        operation writing to the router:
//                                        program, PID, since (UTC)
// Names sort by time; a second snapshot in the same second gets "-2", "-3"
// after its time. After each snapshot the oldest beyond the kept number are
// removed (after a deferred one, once it is committed). Nothing here
// prints; failures come back with a reason.
#pragma once

#include <chrono>
#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/config_store.h"

namespace tolvaro::device {

enum class SnapshotReason { Setup, Load, Restore, Backup };
std::string_view reasonText(SnapshotReason reason);

// The moment a snapshot's time text ("20261208T031500Z", SnapshotInfo::time)
// stands for; nothing when the text is not one.
std::optional<std::chrono::system_clock::time_point> snapshotTime(std::string_view time);

inline constexpr int kDefaultSnapshotsKept = 50;

struct SnapshotInfo {
    std::string path;     // full path of the .cfg file
    std::string fileName; // <UTC time>-<reason>.cfg
    std::string time;     // the UTC time of its name, as written there
    std::string reason;
    std::string routerName;
    std::string address;
    std::string firmware;
    std::string sha256;   // of the file when taken; empty for older entries
    std::string hardware; // "02-4B-56-00-09-02"; empty when not recorded
    std::string note;     // e.g. "password changed"; never a password
};

// What the index records of the router a snapshot came from.
struct SnapshotSource {
    std::string routerName;
    std::string address;
    std::string firmware;
    std::string hardware = {}; // "02-4B-56-00-09-02"; empty when the router reported none
};

inline constexpr std::string_view kPasswordChangedNote = "password changed";

// Lower-case hexadecimal SHA-256 of `bytes`.
std::string sha256Hex(std::span<const std::uint8_t> bytes);

// Who holds a router's writer lock.
struct WriterHolder {
    std::string program;
    long pid = 0;
    std::string since; // UTC, as written by the holder
};

// The one writer of a router: an advisory lock (flock) on the router's
// writer.lock, released when this goes. Never waits: a lock another process
// holds comes back not held, with who holds it.
class WriterLock {
public:
    WriterLock() = default;
    WriterLock(WriterLock&& other) noexcept;
    WriterLock& operator=(WriterLock&& other) noexcept;
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    ~WriterLock();

    // False only when another writer holds the lock. A lock that could not
    // be made at all (no store, a file error) does not stop the write; error()
    // then says why.
    bool held() const { return !holder_; }
    const std::optional<WriterHolder>& holder() const { return holder_; }
    const std::string& error() const { return error_; }

private:
    friend class SnapshotStore;
    int fd_ = -1;
    std::optional<WriterHolder> holder_;
    std::string error_;
};

// "Another program is writing to the router ...: PROGRAM (PID n) since TIME."
std::string writerLockMessage(const WriterHolder& holder, std::string_view router);

// The directory name of a router: its hardware address (read-image slot 12,
// var::kHardwareAddress) as upper-case hexadecimal pairs joined by "-"; a router
// that reports no hardware address is kept under "address-<IP address>".
std::string routerKey(const ConfigStore& store, std::string_view ipAddress);
// The same from the six bytes themselves (all zeros: none reported).
std::string routerKey(std::span<const std::uint8_t, 6> hardware, std::string_view ipAddress);

class DeferredSync;

class SnapshotStore {
public:
    explicit SnapshotStore(std::string root, int kept = kDefaultSnapshotsKept);

    // $XDG_DATA_HOME/tolvaro/snapshots, falling back to
    // $HOME/.local/share/tolvaro/snapshots; empty when neither is set.
    static std::string defaultRoot();

    const std::string& root() const { return root_; }
    int kept() const { return kept_; }

    // Writes `file` (a whole configuration file) as the newest snapshot of
    // `router`. Returns its path, or nothing with a reason in `error`; a
    // failed snapshot leaves no partial file behind. With `deferred` the
    // snapshot and the index are in place, and the oldest snapshots beyond
    // the kept number removed, only after deferred->commit(); one
    // store may then take snapshots of different routers from several
    // threads, each router from one thread at a time.
    std::optional<std::string>
    take(std::string_view router, SnapshotReason reason, const SnapshotSource& source,
         std::span<const std::uint8_t> file, std::string* error,
         std::chrono::system_clock::time_point now = std::chrono::system_clock::now(),
         DeferredSync* deferred = nullptr);

    // The snapshots of a router, newest first. Files without an index line
    // are listed with what their names tell.
    std::vector<SnapshotInfo> list(std::string_view router) const;
    // Every router that has a snapshot directory.
    std::vector<std::string> routers() const;

    // Removes one snapshot (by file name) and its index line.
    bool remove(std::string_view router, std::string_view fileName, std::string* error);

    // Adds `note` to a snapshot's index line.
    bool addNote(std::string_view router, std::string_view fileName, std::string_view note);

    // Takes the writer lock of `router` for `program` (see WriterLock).
    WriterLock lockWriter(std::string_view router, std::string_view program) const;

    // The router folder and index entry of a file inside this store; nothing
    // for a file elsewhere.
    std::optional<std::pair<std::string, SnapshotInfo>> findFile(const std::string& path) const;

private:
    std::string directoryOf(std::string_view router) const;
    bool writeIndex(std::string_view router, const std::vector<SnapshotInfo>& newestFirst,
                    std::string* error, DeferredSync* deferred = nullptr) const;

    std::string root_;
    int kept_;
};

// Fills in what an index (see above) records about the snapshots listed from
// their file names; lines of another shape, and lines naming a file not
// listed, change nothing. The index is a file on disk: anything may be in it.
void readSnapshotIndex(std::istream& index, std::vector<SnapshotInfo>& listed);

// Whether a snapshot may be loaded back into the router whose folder is
// `routerKey`: the file is still the one the index recorded (by its SHA-256)
// and the index says it was kept of that router. A file outside the store,
// or one an older index recorded without a digest, passes what cannot be
// checked.
enum class SnapshotOrigin { Ok, Changed, OtherRouter };
struct SnapshotOriginCheck {
    SnapshotOrigin outcome = SnapshotOrigin::Ok;
    std::string owner; // OtherRouter: the folder of the router it was kept of
};
SnapshotOriginCheck checkSnapshotOrigin(const SnapshotStore& store, const std::string& path,
                                        std::span<const std::uint8_t> file,
                                        std::string_view routerKey);
// The refusal both front ends give for a check that is not Ok ("... Nothing
// was written."); empty for Ok.
std::string snapshotOriginMessage(const SnapshotOriginCheck& check, std::string_view path,
                                  std::string_view routerKey);

class DeviceLink;

// Reads what a snapshot needs beyond what the operation read: after the
// catalogue alone (Load) the mode-1 block and the idle time-out in seconds;
// in every case family 2's last slot (var::kLanToLanSwitch, mode 0), which the catalogue
// requests leave empty. False when a read failed.
bool completeForSnapshot(DeviceLink& link, const char* ip, ConfigStore& store, bool catalogueOnly);

// Builds the configuration file of a fetched store (catalogue, mode-1 block,
// var::kIdleSeconds above level 60), exactly as Save writes it; nothing when the store
// has no readable firmware version.
std::optional<std::vector<std::uint8_t>> snapshotFile(const ConfigStore& store);

} // namespace tolvaro::device
