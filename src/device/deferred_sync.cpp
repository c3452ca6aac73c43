#include "device/deferred_sync.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvaro::device {
namespace {

namespace fs = std::filesystem;

// Enough for every file of a large batch; a path that finds no slot is only
// not removed on a signal.
constexpr int kSlots = 2048;
constexpr std::size_t kPathSize = 512;

constexpr std::size_t kRenamers = 8;

enum SlotState : int { kFree = 0, kFilling = 1, kSet = 2 };

char gPaths[kSlots][kPathSize];
std::atomic<int> gStates[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);

std::string reasonOf(std::string_view what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool allOf(std::string_view text, int (*kind)(int)) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [kind](unsigned char c) { return kind(c) != 0; });
}

// The writer's temporary names for "<stem>": ".<stem>.<pid>.<hex>" (and
// ".<stem>.XXXXXX" of earlier versions), where the stem is "index" or ends
// in ".cfg" or ".txt".
bool ourStem(std::string_view stem) {
    return stem == "index" ||
           (stem.size() > 4 && (stem.ends_with(".cfg") || stem.ends_with(".txt")));
}

bool ourTemporary(const std::string& name) {
    if (name.size() < 2 || name.front() != '.')
        return false;
    const std::string_view rest = std::string_view(name).substr(1);
    const auto last = rest.rfind('.');
    if (last == std::string_view::npos)
        return false;
    const std::string_view stem = rest.substr(0, last);
    const std::string_view tail = rest.substr(last + 1);
    if (tail.size() == 6 && allOf(tail, std::isalnum) && ourStem(stem))
        return true;
    const auto pid = stem.rfind('.');
    return tail.size() <= 16 && allOf(tail, std::isxdigit) && pid != std::string_view::npos &&
           allOf(stem.substr(pid + 1), std::isdigit) && ourStem(stem.substr(0, pid));
}

std::string directoryOf(const std::string& path) {
    const std::string directory = fs::path(path).parent_path().string();
    return directory.empty() ? "." : directory;
}

} // namespace

int registerTemporary(const std::string& path) noexcept {
    if (path.size() >= kPathSize)
        return -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        int expected = kFree;
        if (gStates[slot].compare_exchange_strong(expected, kFilling)) {
            std::memcpy(gPaths[slot], path.c_str(), path.size() + 1);
            gStates[slot].store(kSet);
            return slot;
        }
    }
    return -1;
}

void unregisterTemporary(int slot) noexcept {
    if (slot >= 0 && slot < kSlots)
        gStates[slot].store(kFree);
}

void removeRegisteredTemporaries() noexcept {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (gStates[slot].load() == kSet)
            ::unlink(gPaths[slot]);
    }
}

DeferredSync::~DeferredSync() {
    for (const Pending& p : pending_) {
        ::unlink(p.temporary.c_str());
        unregisterTemporary(p.slot);
    }
}

void DeferredSync::add(std::string temporary, std::string target, int slot) {
    std::lock_guard lock(mutex_);
    pending_.push_back({std::move(temporary), std::move(target), slot});
}

void DeferredSync::removeWhenCommitted(std::string target, std::string path) {
    std::lock_guard lock(mutex_);
    removals_.push_back({std::move(target), std::move(path)});
}

std::unique_ptr<DeferredSync> DeferredSync::detach() {
    auto batch = std::make_unique<DeferredSync>();
    std::lock_guard lock(mutex_);
    batch->pending_.swap(pending_);
    batch->removals_.swap(removals_);
    return batch;
}

std::vector<DeferredSync::Failure> DeferredSync::commit() {
    std::vector<Pending> pending;
    std::vector<Removal> removals;
    {
        std::lock_guard lock(mutex_);
        pending.swap(pending_);
        removals.swap(removals_);
    }
    std::vector<Failure> failures;
    const auto fail = [&failures](const Pending& p, std::string reason) {
        failures.push_back({p.target, std::move(reason)});
        ::unlink(p.temporary.c_str());
        unregisterTemporary(p.slot);
    };
    // One descriptor per directory, one flush per file system.
    std::map<std::string, int> directories;
    std::set<dev_t> flushed;
    std::map<std::string, std::string> unflushable;
    for (const Pending& p : pending) {
        const std::string directory = directoryOf(p.temporary);
        if (directories.contains(directory) || unflushable.contains(directory))
            continue;
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            unflushable[directory] = reasonOf("Cannot open", directory);
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        if (!flushed.contains(info.st_dev)) {
            if (::syncfs(fd) != 0) {
                unflushable[directory] = reasonOf("Cannot write", directory);
                ::close(fd);
                continue;
            }
            flushed.insert(info.st_dev);
        }
        directories[directory] = fd;
    }
    // A rename that frees the replaced file waits for the file system's
    // journal; several threads wait for it together instead of in turn.
    std::vector<std::string> renameErrors(pending.size());
    std::atomic<std::size_t> next{0};
    const auto renameSome = [&] {
        for (std::size_t i = next++; i < pending.size(); i = next++) {
            const Pending& p = pending[i];
            if (!unflushable.contains(directoryOf(p.temporary)) &&
                ::rename(p.temporary.c_str(), p.target.c_str()) != 0)
                renameErrors[i] = reasonOf("Cannot replace", p.target);
        }
    };
    {
        std::vector<std::jthread> renamers;
        const std::size_t threads = std::min<std::size_t>(kRenamers, pending.size() / 8);
        for (std::size_t t = 0; t < threads; ++t)
            renamers.emplace_back(renameSome);
        renameSome();
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const Pending& p = pending[i];
        if (const auto bad = unflushable.find(directoryOf(p.temporary)); bad != unflushable.end())
            fail(p, bad->second);
        else if (!renameErrors[i].empty())
            fail(p, renameErrors[i]);
        else
            unregisterTemporary(p.slot);
    }
    // The renames are made durable the same way: one flush of each file
    // system commits every directory change at once, where a sync of each
    // directory would wait for the journal once per directory.
    std::map<dev_t, std::string> unsynced;
    std::set<dev_t> committed;
    std::map<std::string, dev_t> deviceOf;
    for (const auto& [directory, fd] : directories) {
        struct stat info {};
        if (::fstat(fd, &info) != 0) {
            unsynced[0] = reasonOf("Cannot write", directory);
        } else {
            deviceOf[directory] = info.st_dev;
            if (committed.insert(info.st_dev).second && ::syncfs(fd) != 0)
                unsynced[info.st_dev] = reasonOf("Cannot write", directory);
        }
        ::close(fd);
    }
    for (const Pending& p : pending) {
        const auto device = deviceOf.find(directoryOf(p.temporary));
        const auto bad = unsynced.find(device == deviceOf.end() ? 0 : device->second);
        if (device != deviceOf.end() && bad != unsynced.end())
            failures.push_back({p.target, bad->second});
    }
    // Only now is what supersedes a removed file safe on disk. A removal
    // undone by a crash leaves one file too many, never one too few.
    std::set<std::string> done;
    for (const Pending& p : pending)
        done.insert(p.target);
    for (const Failure& f : failures)
        done.erase(f.target);
    for (const Removal& r : removals)
        if (done.contains(r.target))
            ::unlink(r.path.c_str());
    return failures;
}

void removeStaleTemporaries(const std::string& directory,
                            std::chrono::system_clock::time_point before) {
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(directory, ec)) {
        const std::string name = item.path().filename().string();
        struct stat info {};
        if (!ourTemporary(name) || ::lstat(item.path().c_str(), &info) != 0 ||
            !S_ISREG(info.st_mode))
            continue;
        const auto changed = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
        if (changed < before)
            ::unlink(item.path().c_str());
    }
}

} // namespace tolvaro::device
