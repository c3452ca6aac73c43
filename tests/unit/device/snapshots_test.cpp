#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "device/config_file.h"
#include "device/deferred_sync.h"
#include "device/snapshots.h"

namespace tolvaro::device {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

class Snapshots : public testing::Test {
protected:
    void SetUp() override {
        root = fs::path(testing::TempDir()) /
               ("snapshots-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
    }
    void TearDown() override { fs::remove_all(root); }

    static mode_t modeOf(const fs::path& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 0777;
    }

    fs::path root;
    const std::vector<std::uint8_t> file{'I', 'S', 'D', 'N'};
    const std::chrono::system_clock::time_point t0 =
        std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} + std::chrono::hours{3};
};

TEST_F(Snapshots, PrivateFilesNewestFirstWithTheirIndex) {
    SnapshotStore store(root.string());
    std::string error;
    const auto first = store.take("00-A0-C5-00-00-01", SnapshotReason::Setup,
                                  {"Office", "127.0.0.41", "6.5 (x)"}, file, &error, t0);
    ASSERT_TRUE(first) << error;
    // Two in the same second keep both, the later listed first.
    const auto second = store.take("00-A0-C5-00-00-01", SnapshotReason::Load,
                                   {"Office", "127.0.0.41", "6.5 (x)"}, file, &error, t0);
    ASSERT_TRUE(second) << error;
    EXPECT_EQ(fs::path(*first).filename(), "20261208T030000Z-setup.cfg");
    EXPECT_EQ(fs::path(*second).filename(), "20261208T030000Z-2-load.cfg");

    EXPECT_EQ(modeOf(root), 0700u);
    EXPECT_EQ(modeOf(root / "00-A0-C5-00-00-01"), 0700u);
    EXPECT_EQ(modeOf(*first), 0600u);
    EXPECT_EQ(modeOf(root / "00-A0-C5-00-00-01" / "index"), 0600u);

    const auto listed = store.list("00-A0-C5-00-00-01");
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].path, *second);
    EXPECT_EQ(listed[0].reason, "load");
    EXPECT_EQ(listed[1].routerName, "Office");
    EXPECT_EQ(listed[1].firmware, "6.5 (x)");
    EXPECT_EQ(store.routers(), std::vector<std::string>{"00-A0-C5-00-00-01"});

    ASSERT_TRUE(store.remove("00-A0-C5-00-00-01", listed[0].fileName, &error)) << error;
    EXPECT_EQ(store.list("00-A0-C5-00-00-01").size(), 1u);
    EXPECT_FALSE(fs::exists(*second));
}

// The listed time reads back as the moment taken, also for a second
// snapshot in the same second; anything else is no time at all.
TEST_F(Snapshots, ListedTimeIsTheMomentTaken) {
    SnapshotStore store(root.string());
    std::string error;
    const auto at = t0 + std::chrono::minutes(59) + seconds(7);
    ASSERT_TRUE(store.take("R", SnapshotReason::Backup, {}, file, &error, at)) << error;
    ASSERT_TRUE(store.take("R", SnapshotReason::Backup, {}, file, &error, at)) << error;
    for (const SnapshotInfo& listed : store.list("R"))
        EXPECT_EQ(snapshotTime(listed.time), at) << listed.fileName;
    for (const char* bad :
         {"", "20261208T031500", "20261208 031500Z", "20261308T031500Z", "20260230T031500Z",
          "20261208T241500Z", "2026120aT031500Z", "20261208T031560Z"})
        EXPECT_FALSE(snapshotTime(bad)) << bad;
}

TEST_F(Snapshots, KeepsOnlyTheNewestOfARouter) {
    SnapshotStore store(root.string(), 3);
    std::string error;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(store.take("R", SnapshotReason::Setup, {}, file, &error, t0 + seconds(i)))
            << error;
    const auto listed = store.list("R");
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed.front().time, "20261208T030004Z");
    EXPECT_EQ(listed.back().time, "20261208T030002Z");
}

// A deferred snapshot is safe only once committed: until then the oldest
// it would push out stays, so a writer that ends first loses nothing.
TEST_F(Snapshots, ADeferredSnapshotPushesTheOldestOutOnlyWhenCommitted) {
    struct Row {
        const char* name;
        bool commit;
    };
    for (const Row row : {Row{"Committed", true}, Row{"EndedBeforeTheCommit", false}}) {
        SCOPED_TRACE(row.name);
        fs::remove_all(root);
        SnapshotStore store(root.string(), 2);
        std::string error;
        const auto oldest = store.take("R", SnapshotReason::Backup, {}, file, &error, t0);
        ASSERT_TRUE(store.take("R", SnapshotReason::Backup, {}, file, &error, t0 + seconds(1)));
        std::optional<std::string> newest;
        {
            DeferredSync sync;
            newest =
                store.take("R", SnapshotReason::Backup, {}, file, &error, t0 + seconds(2), &sync);
            ASSERT_TRUE(newest) << error;
            EXPECT_TRUE(fs::exists(*oldest));
            EXPECT_FALSE(fs::exists(*newest));
            if (row.commit) {
                EXPECT_TRUE(sync.commit().empty());
            }
        }
        EXPECT_EQ(fs::exists(*oldest), !row.commit);
        EXPECT_EQ(fs::exists(*newest), row.commit);
        EXPECT_EQ(store.list("R").size(), 2u);
    }
}

TEST_F(Snapshots, RefusesWhatItCannotWriteAndLeavesNoFile) {
    std::string error;
    EXPECT_FALSE(SnapshotStore("").take("R", SnapshotReason::Setup, {}, file, &error, t0));
    EXPECT_FALSE(error.empty());
    // A root that is a file, and a router key that would leave the root.
    fs::create_directories(root);
    std::ofstream(root / "blocked") << "x";
    SnapshotStore blocked((root / "blocked").string());
    EXPECT_FALSE(blocked.take("R", SnapshotReason::Setup, {}, file, &error, t0));
    SnapshotStore store(root.string());
    EXPECT_FALSE(store.take("../R", SnapshotReason::Setup, {}, file, &error, t0));
    EXPECT_FALSE(fs::exists(root.parent_path() / "R"));
}

TEST_F(Snapshots, TheIndexRecordsDigestHardwareAndNotesBesideOlderLines) {
    SnapshotStore store(root.string());
    std::string error;
    const auto taken =
        store.take("02-4B-56-00-09-02", SnapshotReason::Load,
                   {"HQ", "127.0.0.21", "6.5 (x)", "02-4B-56-00-09-02"}, file, &error, t0);
    ASSERT_TRUE(taken) << error;
    ASSERT_TRUE(
        store.addNote("02-4B-56-00-09-02", "20261208T030000Z-load.cfg", kPasswordChangedNote));
    // A line written before digests were recorded still reads.
    {
        std::ofstream index(root / "02-4B-56-00-09-02" / "index", std::ios::app);
        index << "20261208T020000Z-setup.cfg\tHQ\t127.0.0.21\t6.5 (x)\tsetup\n";
    }
    std::ofstream(root / "02-4B-56-00-09-02" / "20261208T020000Z-setup.cfg") << "old";
    std::ifstream in(root / "02-4B-56-00-09-02" / "index");
    std::string first;
    std::getline(in, first);
    // SHA-256 of "ISDN", as sha256sum gives it.
    EXPECT_EQ(first, "20261208T030000Z-load.cfg\tHQ\t127.0.0.21\t6.5 (x)\tload\t"
                     "896ac26e894df33f914dece7bd83a5ada380cd19a0e9179f6e89c6ead4f2388c\t"
                     "02-4B-56-00-09-02\tpassword changed");
    const auto listed = store.list("02-4B-56-00-09-02");
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].sha256, sha256Hex(file));
    EXPECT_EQ(listed[0].hardware, "02-4B-56-00-09-02");
    EXPECT_EQ(listed[0].note, "password changed");
    EXPECT_EQ(listed[1].reason, "setup");
    EXPECT_EQ(listed[1].sha256, "");
    const auto found = store.findFile(*taken);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->first, "02-4B-56-00-09-02");
    EXPECT_FALSE(store.findFile((root / "elsewhere.cfg").string()));
}

TEST_F(Snapshots, OneWriterPerRouterTheSecondIsToldWho) {
    SnapshotStore store(root.string());
    {
        WriterLock first = store.lockWriter("02-4B-56-00-09-02", "tolvaro-cli");
        ASSERT_TRUE(first.held()) << first.error();
        // Another open of the lock file conflicts even within one process,
        // as a second program's would.
        const WriterLock second = store.lockWriter("02-4B-56-00-09-02", "tolvaro");
        ASSERT_FALSE(second.held());
        EXPECT_EQ(second.holder()->program, "tolvaro-cli");
        EXPECT_EQ(second.holder()->pid, static_cast<long>(::getpid()));
        EXPECT_EQ(second.holder()->since.size(), 16u) << second.holder()->since;
        const std::string message = writerLockMessage(*second.holder(), "127.0.0.21");
        EXPECT_NE(message.find("tolvaro-cli (PID " + std::to_string(::getpid()) + ") since 20"),
                  std::string::npos)
            << message;
        EXPECT_TRUE(store.lockWriter("02-4B-56-00-09-03", "tolvaro").held())
            << "another router has its own lock";
    }
    EXPECT_TRUE(store.lockWriter("02-4B-56-00-09-02", "tolvaro").held()) << "released";
    EXPECT_TRUE(store.list("02-4B-56-00-09-02").empty()) << "the lock is not a snapshot";
}

TEST(SnapshotRouterKey, HardwareAddressOrTheIpAddress) {
    ConfigStore store(Family::Two);
    EXPECT_EQ(routerKey(store, "127.0.0.5"), "address-127.0.0.5");
    MIB_RESPONSE& hw = ReadImageFill(store).read(*store.slotOf(0x0100));
    const std::uint8_t bytes[6] = {0x00, 0xa0, 0xc5, 0x01, 0x02, 0xff};
    std::copy(bytes, bytes + 6, hw.value);
    hw.length[0] = 6;
    EXPECT_EQ(routerKey(store, "127.0.0.5"), "00-A0-C5-01-02-FF");
}

} // namespace
} // namespace tolvaro::device
