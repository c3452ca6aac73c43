#include "device/snapshots.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/evp.h>

#include <ipslan/variables.h>

#include "device/config_file.h"
#include "device/deferred_sync.h"
#include "device/device_link.h"
#include "device/fetch.h"
#include "device/write_session.h"

namespace tolvaro::device {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kIndexName = "index";
constexpr std::string_view kExtension = ".cfg";

std::string systemError(std::string_view what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Index fields never carry the separators of the index.
std::string cleanField(std::string_view text) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return out;
}

std::string utcStamp(std::chrono::system_clock::time_point now) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char out[32];
    std::strftime(out, sizeof out, "%Y%m%dT%H%M%SZ", &tm);
    return out;
}

// A private directory, made or tightened.
bool makePrivateDirectory(const std::string& path, std::string* error) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec) {
        if (error)
            *error = "Cannot create " + path + ": " + ec.message();
        return false;
    }
    if (::chmod(path.c_str(), 0700) != 0) {
        if (error)
            *error = systemError("Cannot protect", path);
        return false;
    }
    return true;
}

bool writePrivateFile(const std::string& path, std::span<const std::uint8_t> bytes,
                      std::string* error, DeferredSync* deferred = nullptr) {
    FileWriteOptions options;
    options.deferred = deferred;
    if (!writeFileReplacing(path, bytes, error, nullptr, options))
        return false;
    // A deferred file is not in place yet; its temporary file is 0600, or has
    // the mode of the private file it replaces.
    if (deferred != nullptr)
        return true;
    // The directory is already private, so the moment before this is closed
    // to others.
    if (::chmod(path.c_str(), 0600) != 0) {
        if (error)
            *error = systemError("Cannot protect", path);
        return false;
    }
    return true;
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator))
        out.push_back(field);
    return out;
}

// "<time>[-n]-<reason>.cfg": the time and the reason.
std::pair<std::string, std::string> partsOfName(const std::string& fileName) {
    const std::string stem = fileName.substr(0, fileName.size() - kExtension.size());
    const auto dash = stem.rfind('-');
    if (dash == std::string::npos)
        return {stem, ""};
    std::string time = stem.substr(0, dash);
    return {time.substr(0, time.find('-')), stem.substr(dash + 1)};
}

// 1 for "<time>-<reason>.cfg", n for "<time>-n-<reason>.cfg".
int sequenceOf(const std::string& fileName) {
    const auto first = fileName.find('-');
    const auto second = fileName.find('-', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return 1;
    const std::string middle = fileName.substr(first + 1, second - first - 1);
    if (middle.empty() || !std::all_of(middle.begin(), middle.end(), ::isdigit))
        return 1;
    return std::atoi(middle.c_str());
}

} // namespace

std::optional<std::chrono::system_clock::time_point> snapshotTime(std::string_view time) {
    // As utcStamp writes it: YYYYMMDD "T" hhmmss "Z".
    if (time.size() != 16 || time[8] != 'T' || time[15] != 'Z')
        return std::nullopt;
    const auto number = [time](std::size_t at, std::size_t width) {
        int value = 0;
        for (std::size_t i = at; i < at + width; ++i) {
            if (time[i] < '0' || time[i] > '9')
                return -1;
            value = value * 10 + (time[i] - '0');
        }
        return value;
    };
    using namespace std::chrono;
    const int y = number(0, 4), mo = number(4, 2), d = number(6, 2);
    const int h = number(9, 2), mi = number(11, 2), s = number(13, 2);
    const year_month_day day{year{y}, month{static_cast<unsigned>(mo)},
                             std::chrono::day{static_cast<unsigned>(d)}};
    if (y < 0 || mo < 0 || d < 0 || !day.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 ||
        s > 59)
        return std::nullopt;
    return sys_days{day} + hours{h} + minutes{mi} + seconds{s};
}

std::string_view reasonText(SnapshotReason reason) {
    switch (reason) {
    case SnapshotReason::Setup:
        return "setup";
    case SnapshotReason::Load:
        return "load";
    case SnapshotReason::Restore:
        return "restore";
    case SnapshotReason::Backup:
        return "backup";
    }
    return "setup";
}

std::string routerKey(const ConfigStore& store, std::string_view ipAddress) {
    return routerKey(hardwareAddressOf(store), ipAddress);
}

std::string routerKey(std::span<const std::uint8_t, 6> hardware, std::string_view ipAddress) {
    if (std::any_of(hardware.begin(), hardware.end(), [](auto b) { return b != 0; })) {
        char out[24];
        std::snprintf(out, sizeof out, "%02X-%02X-%02X-%02X-%02X-%02X", hardware[0], hardware[1],
                      hardware[2], hardware[3], hardware[4], hardware[5]);
        return out;
    }
    std::string key = "address-";
    for (const char c : ipAddress)
        key += (std::isalnum(static_cast<unsigned char>(c)) || c == '.') ? c : '_';
    return key;
}

bool completeForSnapshot(DeviceLink& link, const char* ip, ConfigStore& store, bool catalogueOnly) {
    if (catalogueOnly) {
        if (fetchMode1Block(link, ip, store) != FetchResult::Ok ||
            fetchIdleTimeout(link, ip, store) != FetchResult::Ok)
            return false;
    }
    // The catalogue requests leave family 2's last slot (var::kLanToLanSwitch, mode 0)
    // empty; a snapshot with zeros there would switch LAN-to-LAN off when
    // it is loaded back.
    if (store.family() != Family::Two)
        return true;
    const int last = store.slotCount() - 1;
    const int variable = variableAt(store.family(), last);
    return link.getInfo(ip, 0, 1, &variable, &ReadImageFill(store).read(last)) == 1;
}

std::optional<std::vector<std::uint8_t>> snapshotFile(const ConfigStore& store) {
    const auto version = fileVersionNumber(store);
    if (!version)
        return std::nullopt;
    return buildConfigFile(store, *version);
}

SnapshotStore::SnapshotStore(std::string root, int kept) : root_(std::move(root)), kept_(kept) {}

std::string SnapshotStore::defaultRoot() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return (fs::path(data) / "tolvaro" / "snapshots").string();
    const char* home = std::getenv("HOME");
    if (home && *home)
        return (fs::path(home) / ".local" / "share" / "tolvaro" / "snapshots").string();
    return {};
}

std::string SnapshotStore::directoryOf(std::string_view router) const {
    return (fs::path(root_) / std::string(router)).string();
}

std::optional<std::string>
SnapshotStore::take(std::string_view router, SnapshotReason reason, const SnapshotSource& source,
                    std::span<const std::uint8_t> file, std::string* error,
                    std::chrono::system_clock::time_point now, DeferredSync* deferred) {
    if (root_.empty()) {
        if (error)
            *error = "No place for snapshots: neither XDG_DATA_HOME nor HOME is set.";
        return std::nullopt;
    }
    if (router.empty() || router.find('/') != std::string_view::npos || router == "." ||
        router == "..") {
        if (error)
            *error = "The router has no usable name for its snapshot folder.";
        return std::nullopt;
    }
    if (!makePrivateDirectory(root_, error) || !makePrivateDirectory(directoryOf(router), error))
        return std::nullopt;

    const std::string stamp = utcStamp(now);
    const std::string suffix = "-" + std::string(reasonText(reason)) + std::string(kExtension);
    // A second snapshot in the same second, whatever its reason, is numbered
    // so that names keep the order they were taken in.
    const auto taken = [&](const std::string& time) {
        for (const auto r : {SnapshotReason::Setup, SnapshotReason::Load, SnapshotReason::Restore,
                             SnapshotReason::Backup})
            if (fs::exists(fs::path(directoryOf(router)) /
                           (time + "-" + std::string(reasonText(r)) + std::string(kExtension))))
                return true;
        return false;
    };
    std::string time = stamp;
    for (int n = 2; taken(time); ++n)
        time = stamp + "-" + std::to_string(n);
    const std::string name = time + suffix;
    const std::string path = (fs::path(directoryOf(router)) / name).string();
    if (!writePrivateFile(path, file, error, deferred))
        return std::nullopt;

    std::vector<SnapshotInfo> all = list(router);
    // A deferred snapshot is not in the directory yet, but goes in the index.
    if (std::none_of(all.begin(), all.end(),
                     [&name](const SnapshotInfo& info) { return info.fileName == name; })) {
        SnapshotInfo info;
        info.path = path;
        info.fileName = name;
        std::tie(info.time, info.reason) = partsOfName(name);
        all.insert(all.begin(), info);
    }
    for (SnapshotInfo& info : all) {
        if (info.fileName == name) {
            info.reason = reasonText(reason);
            info.routerName = cleanField(source.routerName);
            info.address = cleanField(source.address);
            info.firmware = cleanField(source.firmware);
            info.sha256 = sha256Hex(file);
            info.hardware = cleanField(source.hardware);
        }
    }
    // A deferred snapshot is not durable yet: the oldest go only when it
    // is, or a crash in between would lose them and it.
    while (kept_ > 0 && static_cast<int>(all.size()) > kept_) {
        if (deferred != nullptr) {
            deferred->removeWhenCommitted(path, all.back().path);
        } else {
            std::error_code ec;
            fs::remove(all.back().path, ec);
        }
        all.pop_back();
    }
    // The snapshot itself is safe; an index that cannot be written is
    // rebuilt from the file names next time.
    writeIndex(router, all, nullptr, deferred);
    return path;
}

std::vector<SnapshotInfo> SnapshotStore::list(std::string_view router) const {
    const std::string directory = directoryOf(router);
    std::vector<SnapshotInfo> out;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(directory, ec)) {
        const std::string name = item.path().filename().string();
        if (!item.is_regular_file() || !name.ends_with(kExtension) || name.starts_with("."))
            continue;
        SnapshotInfo info;
        info.path = item.path().string();
        info.fileName = name;
        std::tie(info.time, info.reason) = partsOfName(name);
        out.push_back(std::move(info));
    }
    std::ifstream index(fs::path(directory) / std::string(kIndexName));
    readSnapshotIndex(index, out);
    std::sort(out.begin(), out.end(), [](const SnapshotInfo& a, const SnapshotInfo& b) {
        return std::pair(a.time, sequenceOf(a.fileName)) >
               std::pair(b.time, sequenceOf(b.fileName));
    });
    return out;
}

void readSnapshotIndex(std::istream& index, std::vector<SnapshotInfo>& listed) {
    std::string line;
    while (std::getline(index, line)) {
        const auto fields = split(line, '\t');
        if (fields.size() < 5)
            continue;
        for (SnapshotInfo& info : listed) {
            if (info.fileName != fields[0])
                continue;
            info.routerName = fields[1];
            info.address = fields[2];
            info.firmware = fields[3];
            info.reason = fields[4];
            // The split drops an empty last field (no note).
            if (fields.size() >= 7) {
                info.sha256 = fields[5];
                info.hardware = fields[6];
            }
            if (fields.size() >= 8)
                info.note = fields[7];
        }
    }
}

std::vector<std::string> SnapshotStore::routers() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(root_, ec))
        if (item.is_directory())
            out.push_back(item.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

bool SnapshotStore::remove(std::string_view router, std::string_view fileName, std::string* error) {
    std::vector<SnapshotInfo> all = list(router);
    const auto it = std::find_if(all.begin(), all.end(),
                                 [&](const SnapshotInfo& s) { return s.fileName == fileName; });
    if (it == all.end()) {
        if (error)
            *error = "No snapshot " + std::string(fileName);
        return false;
    }
    std::error_code ec;
    if (!fs::remove(it->path, ec)) {
        if (error)
            *error = "Cannot delete " + it->path + ": " + ec.message();
        return false;
    }
    all.erase(it);
    return writeIndex(router, all, error);
}

bool SnapshotStore::writeIndex(std::string_view router,
                               const std::vector<SnapshotInfo>& newestFirst, std::string* error,
                               DeferredSync* deferred) const {
    std::string text;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it)
        text += it->fileName + "\t" + it->routerName + "\t" + it->address + "\t" + it->firmware +
                "\t" + it->reason + "\t" + it->sha256 + "\t" + it->hardware + "\t" + it->note +
                "\n";
    const std::string path = (fs::path(directoryOf(router)) / std::string(kIndexName)).string();
    return writePrivateFile(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error,
        deferred);
}

bool SnapshotStore::addNote(std::string_view router, std::string_view fileName,
                            std::string_view note) {
    std::vector<SnapshotInfo> all = list(router);
    for (SnapshotInfo& info : all)
        if (info.fileName == fileName)
            info.note = cleanField(info.note.empty() ? std::string(note)
                                                     : info.note + "; " + std::string(note));
    return writeIndex(router, all, nullptr);
}

std::optional<std::pair<std::string, SnapshotInfo>>
SnapshotStore::findFile(const std::string& path) const {
    std::error_code ec;
    const fs::path file = fs::weakly_canonical(fs::absolute(path), ec);
    const fs::path root = fs::weakly_canonical(fs::absolute(root_), ec);
    if (root_.empty() || file.parent_path().parent_path() != root)
        return std::nullopt;
    const std::string router = file.parent_path().filename().string();
    for (SnapshotInfo& info : list(router))
        if (info.fileName == file.filename().string())
            return std::pair(router, std::move(info));
    return std::nullopt;
}

SnapshotOriginCheck checkSnapshotOrigin(const SnapshotStore& store, const std::string& path,
                                        std::span<const std::uint8_t> file,
                                        std::string_view routerKey) {
    SnapshotOriginCheck check;
    const auto found = store.findFile(path);
    if (!found)
        return check;
    const auto& [folder, info] = *found;
    if (!info.sha256.empty() && info.sha256 != sha256Hex(file)) {
        check.outcome = SnapshotOrigin::Changed;
        return check;
    }
    // The index's word first: a file moved into another router's folder
    // still names the router it was kept of.
    const std::string& owner = info.hardware.empty() ? folder : info.hardware;
    if (owner != routerKey) {
        check.outcome = SnapshotOrigin::OtherRouter;
        check.owner = owner;
    }
    return check;
}

std::string snapshotOriginMessage(const SnapshotOriginCheck& check, std::string_view path,
                                  std::string_view routerKey) {
    switch (check.outcome) {
    case SnapshotOrigin::Ok:
        return {};
    case SnapshotOrigin::Changed:
        return std::string(path) +
               " is not the file that was kept: its SHA-256 differs from the one the snapshot "
               "index recorded, so it was changed since. Nothing was written.";
    case SnapshotOrigin::OtherRouter:
        return std::string(path) + " is a snapshot of the router " + check.owner +
               ", not of this one (" + std::string(routerKey) + "). Nothing was written.";
    }
    return {};
}

std::string sha256Hex(std::span<const std::uint8_t> bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return {};
    std::string out;
    static const char* digits = "0123456789abcdef";
    for (unsigned int i = 0; i < length; ++i) {
        out += digits[digest[i] >> 4];
        out += digits[digest[i] & 15];
    }
    return out;
}

WriterLock::WriterLock(WriterLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), holder_(std::move(other.holder_)),
      error_(std::move(other.error_)) {}

WriterLock& WriterLock::operator=(WriterLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        holder_ = std::move(other.holder_);
        error_ = std::move(other.error_);
    }
    return *this;
}

WriterLock::~WriterLock() {
    // Closing the last descriptor releases the flock.
    if (fd_ >= 0)
        ::close(fd_);
}

WriterLock SnapshotStore::lockWriter(std::string_view router, std::string_view program) const {
    WriterLock lock;
    if (root_.empty()) {
        lock.error_ = "No place for the writer lock: neither XDG_DATA_HOME nor HOME is set.";
        return lock;
    }
    if (router.empty() || router.find('/') != std::string_view::npos || router == "." ||
        router == "..")
        return lock;
    if (!makePrivateDirectory(root_, &lock.error_) ||
        !makePrivateDirectory(directoryOf(router), &lock.error_))
        return lock;
    const std::string path = (fs::path(directoryOf(router)) / "writer.lock").string();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        lock.error_ = systemError("Cannot open", path);
        return lock;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        if (!busy) {
            lock.error_ = systemError("Cannot lock", path);
            ::close(fd);
            return lock;
        }
        char buffer[512] = {};
        const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
        ::close(fd);
        const auto fields =
            split(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), '\t');
        WriterHolder holder;
        holder.program = fields.size() > 0 ? fields[0] : "another program";
        holder.pid = fields.size() > 1 ? std::atol(fields[1].c_str()) : 0;
        if (fields.size() > 2)
            holder.since = fields[2].substr(0, fields[2].find('\n'));
        lock.holder_ = holder;
        return lock;
    }
    const std::string who = cleanField(program) + "\t" + std::to_string(::getpid()) + "\t" +
                            utcStamp(std::chrono::system_clock::now()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, who.data(), who.size(), 0) < 0)
        lock.error_ = systemError("Cannot write", path);
    lock.fd_ = fd;
    return lock;
}

std::string writerLockMessage(const WriterHolder& holder, std::string_view router) {
    std::string text =
        "Another program is writing to the router " + std::string(router) + ": " + holder.program;
    if (holder.pid > 0)
        text += " (PID " + std::to_string(holder.pid) + ")";
    if (!holder.since.empty())
        text += " since " + holder.since;
    return text + ". Nothing was written; try again when it has finished.";
}

} // namespace tolvaro::device
