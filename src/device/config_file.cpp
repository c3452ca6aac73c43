#include "device/config_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <pwd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ipslan/variables.h>

#include "device/deferred_sync.h"
#include "device/device_link.h"

namespace tolvaro::device {
namespace {

constexpr std::size_t kMode1Entries = kMode1Block.size();

void putInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(u >> shift));
}

std::int32_t getInt32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | bytes[offset + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(u);
}

void putEntry(std::vector<std::uint8_t>& out, const _snmp_packet& entry) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&entry);
    out.insert(out.end(), bytes, bytes + sizeof entry);
}

int digitAt(std::string_view text, std::size_t position) {
    const char c = position < text.size() ? text[position] : '\0';
    return static_cast<unsigned char>(c) - 48;
}

std::string systemError(std::string_view what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

} // namespace

int savedSlotCount(Family family) {
    return family == Family::One ? 78 : 85;
}

std::size_t fileSize(Family family, int firmwareLevel) {
    std::size_t entries = static_cast<std::size_t>(savedSlotCount(family)) + kMode1Entries;
    if (firmwareLevel > kSecondsFirmwareLevel)
        ++entries;
    return kFileHeaderSize + entries * kEntrySize;
}

std::size_t largestFileSize() {
    return fileSize(Family::Two, kSecondsFirmwareLevel + 1);
}

std::optional<std::int32_t> fileVersionNumber(std::string_view versionText) {
    const std::size_t p = versionText.find('.');
    if (p == std::string_view::npos || p == 0)
        return std::nullopt;
    return 1000 * digitAt(versionText, p - 1) + 100 * digitAt(versionText, p + 1) +
           10 * digitAt(versionText, p + 11) + digitAt(versionText, p + 12);
}

_snmp_packet fileEntryOf(const MIB_RESPONSE& readEntry) {
    _snmp_packet entry{};
    entry.type = readEntry.type;
    if (readEntry.type == kTypeInteger || readEntry.type == kTypeCounter) {
        setEntryText(entry, std::to_string(entryInteger(readEntry)));
    } else {
        std::memcpy(entry.value, readEntry.value, sizeof entry.value);
        entry.length[0] = readEntry.length[0];
        entry.length[1] = readEntry.length[1];
    }
    return entry;
}

std::vector<std::uint8_t> buildConfigFile(const ConfigStore& store, std::int32_t versionNumber) {
    std::vector<std::uint8_t> out;
    out.reserve(fileSize(store.family(), store.firmwareLevel));
    out.insert(out.end(), kFileHeader.begin(), kFileHeader.end());
    putInt32(out, versionNumber);
    putInt32(out, store.firmwareLevel);
    for (int slot = 0; slot < savedSlotCount(store.family()); ++slot)
        putEntry(out, fileEntryOf(store.read(slot)));
    for (int i = 0; i < static_cast<int>(kMode1Entries); ++i)
        putEntry(out, fileEntryOf(store.mode1Read(i)));
    if (store.firmwareLevel > kSecondsFirmwareLevel)
        putEntry(out, fileEntryOf(store.read(kIdleTimeoutSlot)));
    return out;
}

CheckedFile checkConfigFile(std::span<const std::uint8_t> file, Family routerFamily,
                            std::int32_t routerVersionNumber) {
    CheckedFile result;
    if (file.size() < kFileHeader.size() ||
        std::memcmp(file.data(), kFileHeader.data(), kFileHeader.size()) != 0) {
        result.check = FileCheck::FormatError;
        return result;
    }
    if (file.size() < kFileHeaderSize) {
        result.check = FileCheck::Incomplete;
        return result;
    }
    result.versionNumber = getInt32(file, 10);
    if (result.versionNumber != routerVersionNumber) {
        result.check = FileCheck::VersionMismatch;
        return result;
    }
    result.firmwareLevel = getInt32(file, 14);

    const Family other = otherFamily(routerFamily);
    if (file.size() == fileSize(other, result.firmwareLevel)) {
        if (!entriesFitLayout(file, other)) {
            result.check = FileCheck::NotThatLayout;
            return result;
        }
        result.layout = other;
    } else if (file.size() >= fileSize(routerFamily, result.firmwareLevel))
        result.layout = routerFamily;
    else {
        result.check = FileCheck::Incomplete;
        return result;
    }

    std::size_t offset = kFileHeaderSize;
    const bool seconds = result.firmwareLevel > kSecondsFirmwareLevel;
    for (int slot = 0; slot < savedSlotCount(result.layout); ++slot, offset += kEntrySize) {
        // Above level 60 slot 10 holds the time-out in seconds (written below);
        // sending it to the minutes variable would set them to that number.
        if (seconds && slot == kIdleTimeoutSlot)
            continue;
        result.writes.push_back({variableAt(result.layout, slot), 0, offset});
    }
    for (const int variable : kMode1Block) {
        result.writes.push_back({variable, 1, offset});
        offset += kEntrySize;
    }
    if (seconds)
        result.writes.push_back(
            {kIdleSecondsVariable, 0, kFileHeaderSize + kIdleTimeoutSlot * kEntrySize});
    result.check = FileCheck::Ok;
    return result;
}

bool entriesFitLayout(std::span<const std::uint8_t> file, Family layout) {
    for (int slot = 0; slot < savedSlotCount(layout); ++slot) {
        const std::size_t offset = kFileHeaderSize + static_cast<std::size_t>(slot) * kEntrySize;
        if (offset + kEntrySize > file.size())
            return false;
        const _snmp_packet entry = fileEntryAt(file, offset);
        const int variable = variableAt(layout, slot);
        const ipslan::VariableInfo* info = ipslan::findVariable(variable, 0);
        if (info == nullptr)
            continue;
        const std::size_t length = entryLength(entry);
        if (info->kind == ipslan::VarKind::Integer) {
            if (entry.type != kTypeInteger && entry.type != kTypeCounter)
                return false;
            const std::string text = entryText(entry);
            const std::size_t digits = text.find_first_not_of("-0123456789");
            if (text.empty() || digits != std::string::npos)
                return false;
        } else if (entry.type == kTypeInteger || entry.type == kTypeCounter ||
                   length > kEntryValueSize) {
            return false;
        } else if (info->kind == ipslan::VarKind::Text &&
                   std::any_of(entry.value, entry.value + std::min(length, kEntryValueSize),
                               [](std::uint8_t b) { return b != 0 && b < 0x20; })) {
            return false;
        }
    }
    return true;
}

std::optional<std::int32_t> fileVersionNumber(const ConfigStore& store) {
    return fileVersionNumber(entryText(store.read(kVersionSlot)));
}

int sendResetRequest(DeviceLink& link, const char* ip) {
    _snmp_packet entry{};
    entry.type = kTypeInteger;
    setEntryText(entry, "1");
    const int variable = ipslan::var::kReset;
    return link.setInfo(ip, 0, 1, &variable, &entry);
}

_snmp_packet fileEntryAt(std::span<const std::uint8_t> file, std::size_t offset) {
    _snmp_packet entry{};
    if (offset <= file.size() && file.size() - offset >= sizeof entry)
        std::memcpy(&entry, file.data() + offset, sizeof entry);
    return entry;
}

namespace {

// The temporary file of a save in progress, for removeUnfinishedTemporary:
// its folder and name, so the handler needs no path resolution.
char gTemporaryName[256];
volatile std::sig_atomic_t gTemporaryFolder = -1;

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool fail(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
    return false;
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, for the error a close reports.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Where another user can plant names: a sticky folder everybody may write
// to, such as /tmp.
bool sharedFolder(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

// Writes over an open file or device where it is: what cannot be replaced
// (a FIFO, a terminal, /dev/stdout) and a writable file in a folder the user
// cannot write.
bool writeOpened(int fd, const std::string& path, std::span<const std::uint8_t> bytes,
                 std::string* error) {
    Descriptor file(fd);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!writeAll(fd, bytes))
        return fail(error, systemError("Cannot write", path));
    if (!file.close())
        return fail(error, systemError("Cannot write", path));
    return true;
}

// Opens an existing non-directory in place, never through a link, and only
// when it is still the object `seen` describes.
int openExisting(int folder, const std::string& name, const struct stat& seen, bool truncate) {
    // Non-blocking: a FIFO without a reader fails at once instead of hanging.
    const int fd = ::openat(folder, name.c_str(),
                            O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW |
                                (truncate ? O_TRUNC : 0));
    if (fd < 0)
        return -1;
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_dev != seen.st_dev || now.st_ino != seen.st_ino) {
        ::close(fd);
        errno = EAGAIN;
        return -1;
    }
    return fd;
}

// A new file in `folder`, 0600 whatever the umask leaves.
int createTemporary(int folder, const std::string& target, std::string& name) {
    static thread_local std::uint64_t counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto stamp = static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count());
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".%d.%llx", static_cast<int>(::getpid()),
                      (stamp ^ (++counter << 40)) & 0xffffffffffffull);
        name = "." + target.substr(0, 200) + suffix;
        const int fd = ::openat(folder, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeInFolder(const std::string& path, std::span<const std::uint8_t> bytes,
                   const FileWriteOptions& options, std::string* error, std::string* warning,
                   int hops);

// The file a link names, with the link's own folder as the base of a
// relative target.
bool followLink(int folder, const std::string& folderPath, const std::string& name,
                const std::string& path, std::span<const std::uint8_t> bytes,
                const FileWriteOptions& options, std::string* error, std::string* warning,
                int hops) {
    if (hops >= 40)
        return fail(error, path + ": too many symbolic links");
    std::string target(4096, '\0');
    const ssize_t n = ::readlinkat(folder, name.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<std::size_t>(n) >= target.size())
        return fail(error, systemError("Cannot read the link", path));
    target.resize(static_cast<std::size_t>(n));
    if (target.front() != '/')
        target = folderPath + "/" + target;
    return writeInFolder(target, bytes, options, error, warning, hops + 1);
}

bool writeInFolder(const std::string& path, std::span<const std::uint8_t> bytes,
                   const FileWriteOptions& options, std::string* error, std::string* warning,
                   int hops) {
    namespace fs = std::filesystem;
    const fs::path whole(path);
    const std::string name = whole.filename().string();
    std::string folderPath = whole.parent_path().string();
    if (folderPath.empty())
        folderPath = ".";
    if (name.empty() || name == "." || name == "..")
        return fail(error, path + " is a directory");
    // Every later step works on this folder and names in it, so nothing
    // checked below can be swapped between the check and the write.
    Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat folderInfo {};
    if (folder.get() < 0 || ::fstat(folder.get(), &folderInfo) != 0)
        return fail(error, systemError("Cannot open the folder", folderPath));
    const bool shared = sharedFolder(folderInfo);

    struct stat old {};
    const bool exists = ::fstatat(folder.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return fail(error, systemError("Cannot examine", path));
    // Another user's link or file in a folder everybody writes to is theirs
    // to read: writing the router's passwords there would hand them over.
    if (exists && shared && old.st_uid != ::geteuid())
        return fail(error, path + " belongs to " + userName(old.st_uid) + ", not to you, in " +
                               folderPath +
                               ", a folder every user may write to: it could be a trap to "
                               "read the router's passwords. Nothing was written; choose "
                               "another file name or remove it first.");
    if (exists && S_ISLNK(old.st_mode))
        return followLink(folder.get(), folderPath, name, path, bytes, options, error, warning,
                          hops);
    if (exists && S_ISDIR(old.st_mode))
        return fail(error, path + " is a directory");
    if (exists && !S_ISREG(old.st_mode)) {
        const int fd = openExisting(folder.get(), name, old, false);
        if (fd < 0)
            return fail(error, systemError("Cannot open", path));
        return writeOpened(fd, path, bytes, error);
    }
    // Replacing one name of several would leave the others with the old
    // settings; writing through all of them in place would lose the
    // all-or-nothing replacement. Neither is what was asked.
    if (exists && old.st_nlink > 1)
        return fail(error, path + " has " + std::to_string(old.st_nlink) +
                               " names (hard links): replacing it would leave the others with "
                               "the old contents. Nothing was written; remove the other names "
                               "or choose another file.");

    std::string temporaryName;
    Descriptor file(createTemporary(folder.get(), name, temporaryName));
    if (file.get() < 0) {
        // The folder is not writable but the file may be: keeping the user
        // able to save beats keeping the old contents on a failed write.
        if (exists && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            const int fd = openExisting(folder.get(), name, old, true);
            if (fd >= 0)
                return writeOpened(fd, path, bytes, error);
        }
        return fail(error, systemError("Cannot create a file in", folderPath));
    }
    if (temporaryName.size() < sizeof gTemporaryName) {
        std::memcpy(gTemporaryName, temporaryName.c_str(), temporaryName.size() + 1);
        gTemporaryFolder = folder.get();
    }
    if (exists) {
        // A replaced file keeps its owner (where permitted) and mode, so a
        // private backup does not become readable by others.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(file.get(), old.st_uid, old.st_gid) != 0 &&
            ::fchown(file.get(), static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Neither kept (not permitted): the mode below still is.
        }
        ::fchmod(file.get(), old.st_mode & 07777);
        if (warning && (old.st_mode & (S_IRGRP | S_IROTH)) != 0) {
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(old.st_mode & 07777));
            *warning = path + " keeps its mode " + mode + ": " +
                       ((old.st_mode & S_IROTH) != 0 ? "every user" : "its group") +
                       " may read the router's passwords in it";
        }
    }

    // Deferred, the flush comes once for many files at commit().
    bool ok =
        writeAll(file.get(), bytes) && (options.deferred != nullptr || ::fsync(file.get()) == 0);
    std::string failure;
    if (!ok)
        failure = systemError("Cannot write", folderPath + "/" + temporaryName);
    if (!file.close() && ok) {
        ok = false;
        failure = systemError("Cannot write", folderPath + "/" + temporaryName);
    }
    if (ok && options.deferred != nullptr) {
        const std::string temporary = folderPath + "/" + temporaryName;
        options.deferred->add(temporary, folderPath + "/" + name, registerTemporary(temporary));
        gTemporaryFolder = -1;
        return true;
    }
    if (ok && ::renameat(folder.get(), temporaryName.c_str(), folder.get(), name.c_str()) != 0) {
        ok = false;
        failure = systemError("Cannot replace", path);
    }
    if (!ok)
        ::unlinkat(folder.get(), temporaryName.c_str(), 0);
    gTemporaryFolder = -1;
    if (!ok)
        return fail(error, failure);
    // The new name is durable only once the folder is.
    if (options.syncFolder)
        ::fsync(folder.get());
    return true;
}

} // namespace

std::string userName(unsigned uid) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[1024];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return "user " + std::string(found->pw_name);
    return "user id " + std::to_string(uid);
}

bool writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes,
                        std::string* error, std::string* warning, const FileWriteOptions& options) {
    if (path.empty())
        return fail(error, "No file name");
    return writeInFolder(path, bytes, options, error, warning, 0);
}

bool syncFolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    Descriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

void removeUnfinishedTemporary() noexcept {
    if (gTemporaryFolder >= 0)
        ::unlinkat(gTemporaryFolder, gTemporaryName, 0);
    removeRegisteredTemporaries();
}

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& path, std::size_t limit,
                                                       std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (error)
            *error = systemError("Cannot open", path);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(limit);
    const std::size_t n = std::fread(bytes.data(), 1, limit, f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        if (error)
            *error = "Cannot read " + path;
        return std::nullopt;
    }
    bytes.resize(n);
    return bytes;
}

} // namespace tolvaro::device
