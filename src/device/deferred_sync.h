// Durable files written by many workers at once, made durable together.
//
// A file written with a DeferredSync (see writeFileReplacing) goes to a
// temporary file beside its target and stays there, unflushed, until
// commit(): one flush of each file system involved, then every rename, then
// one more flush that commits the renames. A target is thus either its old self or the
// complete new file, never a part of it, and the flush costs one pass over
// the disk instead of one per file.
//
// Temporary files are registered so that a program ending on a signal can
// remove them (removeUnfinishedTemporary in config_file.h); one that a crash
// left behind is removed by removeStaleTemporaries on the next run.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvaro::device {

class DeferredSync {
public:
    DeferredSync() = default;
    // Removes the temporary files never committed.
    ~DeferredSync();
    DeferredSync(const DeferredSync&) = delete;
    DeferredSync& operator=(const DeferredSync&) = delete;

    // A complete temporary file that is to replace `target` at commit();
    // `slot` is its registration (registerTemporary). Safe from any thread.
    void add(std::string temporary, std::string target, int slot);

    // Removes `path` once commit() has put `target` (added before or after)
    // durably in place; never when the target failed or commit() never ran,
    // so that a file is not lost before what supersedes it is safe. Safe
    // from any thread.
    void removeWhenCommitted(std::string target, std::string path);

    struct Failure {
        std::string target;
        std::string reason;
    };
    // Puts every added file in place durably, then makes the removals whose
    // targets made it. Returns the targets that were not replaced, with
    // reasons (their temporary files are removed).
    std::vector<Failure> commit();

    // The files added so far, to be committed apart (on another thread, say)
    // while more are added here.
    std::unique_ptr<DeferredSync> detach();

private:
    struct Pending {
        std::string temporary;
        std::string target;
        int slot;
    };
    struct Removal {
        std::string target;
        std::string path;
    };
    std::mutex mutex_;
    std::vector<Pending> pending_;
    std::vector<Removal> removals_;
};

// Registers a temporary file for removal on a signal; the slot, or -1 when
// the path is too long or every slot is taken. Safe from any thread.
int registerTemporary(const std::string& path) noexcept;
void unregisterTemporary(int slot) noexcept;
// Removes every registered temporary file; async-signal-safe.
void removeRegisteredTemporaries() noexcept;

// Removes from `directory` the temporary files of this program's writer
// (".<name>.cfg.<pid>.<hex>", the same for ".txt" and "index") last changed
// before `before`: the leftovers of a run that ended without cleaning up.
void removeStaleTemporaries(const std::string& directory,
                            std::chrono::system_clock::time_point before);

} // namespace tolvaro::device
