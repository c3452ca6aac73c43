// Files written through a DeferredSync: until commit() every target is its
// old self, whatever becomes of the writer; after it, the new file whole.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "device/config_file.h"
#include "device/deferred_sync.h"

namespace {

namespace fs = std::filesystem;
using tolvaro::device::DeferredSync;

// A folder of its own, removed at the end.
class Folder {
public:
    Folder() {
        std::string pattern = (fs::path(testing::TempDir()) / "deferred-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp " + pattern);
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

bool writeDeferred(const fs::path& path, const std::string& text, DeferredSync& sync) {
    tolvaro::device::FileWriteOptions options;
    options.deferred = &sync;
    std::string error;
    const bool ok =
        tolvaro::device::writeFileReplacing(path.string(), bytes(text), &error, nullptr, options);
    EXPECT_TRUE(ok) << error;
    return ok;
}

// Hidden files the writer left in the directory.
std::vector<std::string> hidden(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(dir))
        if (item.path().filename().string().front() == '.')
            names.push_back(item.path().filename().string());
    return names;
}

TEST(DeferredSync, TargetsAreOldOrWholeNewWhateverBecomesOfTheWriter) {
    struct Row {
        const char* name;
        // Writes r1.cfg and r1.txt (and may end the writer); true when they
        // were committed.
        std::function<bool(const fs::path&)> write;
    };
    const auto writeBoth = [](const fs::path& dir, DeferredSync& sync) {
        ASSERT_TRUE(writeDeferred(dir / "r1.cfg", "new cfg", sync));
        ASSERT_TRUE(writeDeferred(dir / "r1.txt", "new txt", sync));
        // Not in place before the commit: no reader sees a file in between.
        EXPECT_EQ(contentOf(dir / "r1.cfg"), "old cfg");
        EXPECT_EQ(hidden(dir).size(), 2u);
    };
    const Row rows[] = {
        {"committed",
         [&](const fs::path& dir) {
             DeferredSync sync;
             writeBoth(dir, sync);
             EXPECT_TRUE(sync.commit().empty());
             return true;
         }},
        {"abandoned before the commit (a failure later in the run)",
         [&](const fs::path& dir) {
             DeferredSync sync;
             writeBoth(dir, sync);
             return false;
         }},
        {"the writer dies before the commit",
         [&](const fs::path& dir) {
             const pid_t child = ::fork();
             if (child == 0) {
                 DeferredSync sync;
                 writeBoth(dir, sync);
                 ::_exit(0); // no commit, no destructor: as a crash
             }
             int status = 0;
             ::waitpid(child, &status, 0);
             EXPECT_EQ(hidden(dir).size(), 2u) << "a crash leaves its temporaries ...";
             tolvaro::device::removeStaleTemporaries(
                 dir.string(), std::chrono::system_clock::now() + std::chrono::seconds(1));
             return false; // ... and the next run removes them
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Folder dir;
        put(dir.path() / "r1.cfg", "old cfg");
        put(dir.path() / "r1.txt", "old txt");
        const bool committed = row.write(dir.path());
        EXPECT_EQ(contentOf(dir.path() / "r1.cfg"), committed ? "new cfg" : "old cfg");
        EXPECT_EQ(contentOf(dir.path() / "r1.txt"), committed ? "new txt" : "old txt");
        EXPECT_TRUE(hidden(dir.path()).empty());
    }
}

TEST(DeferredSync, AFileThatCannotBeReplacedDoesNotHoldBackTheOthers) {
    Folder dir;
    DeferredSync sync;
    ASSERT_TRUE(writeDeferred(dir.path() / "a.cfg", "a", sync));
    fs::create_directory(dir.path() / "sub");
    ASSERT_TRUE(writeDeferred(dir.path() / "sub" / "b.cfg", "b", sync));
    // The folder goes away before the commit.
    fs::remove_all(dir.path() / "sub");
    const auto failures = sync.commit();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(fs::path(failures[0].target).filename(), "b.cfg");
    EXPECT_FALSE(failures[0].reason.empty());
    EXPECT_EQ(contentOf(dir.path() / "a.cfg"), "a");
}

TEST(DeferredSync, OnlyTheWritersOwnOldTemporariesAreSwept) {
    Folder dir;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    struct Row {
        const char* name;
        bool aged;
        bool removed;
    };
    const Row rows[] = {
        {".r1.cfg.4242.1a2b3c4d5e", true, true},
        {".r1.txt.7.ff", true, true},
        {".index.123.abcdef012345", true, true},
        {".r1.cfg.Ab12Cd", true, true},            // an earlier version's
        {".r2.cfg.4242.1a2b3c4d5e", false, false}, // this run's
        {".bashrc.backup", true, false},
        {".notes.txt.old.ff", true, false},
        {"r1.cfg", true, false},
        {".cfg.4242.ff", true, false},
    };
    for (const Row& row : rows) {
        put(dir.path() / row.name, "x");
        if (row.aged)
            fs::last_write_time(dir.path() / row.name, old);
    }
    tolvaro::device::removeStaleTemporaries(dir.path().string(), std::chrono::system_clock::now() -
                                                                     std::chrono::minutes(1));
    for (const Row& row : rows)
        EXPECT_EQ(fs::exists(dir.path() / row.name), !row.removed) << row.name;
}

} // namespace
