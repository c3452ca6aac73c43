#include "device/config_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

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

// The file a path finally names: a symbolic link is followed, so that saving
// to a link updates the file it points to instead of replacing the link.
std::filesystem::path resolveLinks(std::filesystem::path path) {
    namespace fs = std::filesystem;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)))
            return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Writes over an existing file or device where it is. Used for what cannot
// be replaced (a FIFO, a terminal, /dev/stdout) and for a writable file in a
// directory the user cannot write.
bool writeInPlace(const std::string& path, bool truncate, std::span<const std::uint8_t> bytes,
                  std::string* error) {
    // Non-blocking open: a FIFO without a reader fails at once instead of
    // hanging the save.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | (truncate ? O_TRUNC : 0));
    if (fd < 0) {
        if (error)
            *error = systemError("Cannot open", path);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    bool ok = writeAll(fd, bytes);
    if (!ok && error)
        *error = systemError("Cannot write", path);
    if (::close(fd) != 0 && ok) {
        ok = false;
        if (error)
            *error = systemError("Cannot write", path);
    }
    return ok;
}

} // namespace

// Syncs the directory that holds a replaced file, so that the rename
// survives a crash too.
void syncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

bool writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes,
                        std::string* error, DeferredSync* deferred) {
    namespace fs = std::filesystem;
    const fs::path target = resolveLinks(fs::path(path));
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        if (error)
            *error = target.string() + " is a directory";
        return false;
    }
    if (exists && !S_ISREG(old.st_mode))
        return writeInPlace(target.string(), false, bytes, error);

    fs::path directory = target.parent_path();
    if (directory.empty())
        directory = ".";
    // Appended piece by piece: GCC 12 at -O3 warns falsely on operator+ here.
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    std::string temporary = (directory / name).string();
    // mkstemp creates the file 0600: right for a new file, which holds the
    // router's passwords.
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        // The directory is not writable but the file may be: keeping the
        // user able to save beats keeping the old contents on a failed write.
        if (exists && (errno == EACCES || errno == EPERM || errno == EROFS) &&
            ::access(target.c_str(), W_OK) == 0)
            return writeInPlace(target.string(), true, bytes, error);
        if (error)
            *error = systemError("Cannot create a file in", directory.string());
        return false;
    }
    const int slot = registerTemporary(temporary);
    if (exists) {
        // A replaced file keeps its owner (where permitted) and mode, so a
        // private backup does not become readable by others.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);
    }

    bool ok = writeAll(fd, bytes);
    // Deferred, the flush comes once for many files at commit().
    if (ok && deferred == nullptr && ::fsync(fd) != 0)
        ok = false;
    if (!ok && error)
        *error = systemError("Cannot write", temporary);
    if (::close(fd) != 0 && ok) {
        ok = false;
        if (error)
            *error = systemError("Cannot write", temporary);
    }
    if (ok && deferred != nullptr) {
        deferred->add(temporary, target.string(), slot);
        return true;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        if (error)
            *error = systemError("Cannot replace", target.string());
    }
    if (ok)
        syncDirectory(directory);
    else
        ::unlink(temporary.c_str());
    unregisterTemporary(slot);
    return ok;
}

void removeUnfinishedTemporary() noexcept {
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
