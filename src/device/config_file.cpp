#include "device/config_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (file.size() == fileSize(other, result.firmwareLevel))
        result.layout = other;
    else if (file.size() >= fileSize(routerFamily, result.firmwareLevel))
        result.layout = routerFamily;
    else {
        result.check = FileCheck::Incomplete;
        return result;
    }

    std::size_t offset = kFileHeaderSize;
    const bool seconds = result.firmwareLevel > kSecondsFirmwareLevel;
    for (int slot = 0; slot < savedSlotCount(result.layout); ++slot, offset += kEntrySize) {
        // Above level 60 slot 10 holds the time-out in seconds (0x4024, written
        // below); sending it to 0x4008 would set the minutes to that number.
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

std::optional<std::int32_t> fileVersionNumber(const ConfigStore& store) {
    return fileVersionNumber(entryText(store.read(kVersionSlot)));
}

std::vector<FileWrite> writeConfigFile(DeviceLink& link, const char* ip,
                                       std::span<const std::uint8_t> file,
                                       const CheckedFile& checked) {
    std::vector<FileWrite> refused;
    for (const FileWrite& w : checked.writes) {
        const _snmp_packet entry = fileEntryAt(file, w.offset);
        if (link.setInfo(ip, w.mode, 1, &w.variable, &entry) == 0)
            refused.push_back(w);
    }
    return refused;
}

int sendResetRequest(DeviceLink& link, const char* ip) {
    _snmp_packet entry{};
    entry.type = kTypeInteger;
    setEntryText(entry, "1");
    const int variable = 0x0001;
    return link.setInfo(ip, 0, 1, &variable, &entry);
}

_snmp_packet fileEntryAt(std::span<const std::uint8_t> file, std::size_t offset) {
    _snmp_packet entry{};
    if (offset <= file.size() && file.size() - offset >= sizeof entry)
        std::memcpy(&entry, file.data() + offset, sizeof entry);
    return entry;
}

bool writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes,
                        std::string* error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path directory = target.parent_path();
    if (directory.empty())
        directory = ".";
    // Appended piece by piece: GCC 12 at -O3 warns falsely on operator+ here.
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    std::string temporary = (directory / name).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        if (error)
            *error = systemError("Cannot create a file in", directory.string());
        return false;
    }
    // mkstemp makes the file private; give it the mode a new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (!ok && error)
        *error = systemError("Cannot write", temporary);
    if (::close(fd) != 0 && ok) {
        ok = false;
        if (error)
            *error = systemError("Cannot write", temporary);
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        if (error)
            *error = systemError("Cannot replace", path);
    }
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
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
