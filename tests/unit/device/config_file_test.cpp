#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ipslan/variables.h>

#include "device/config_file.h"
#include "support/read_entry.h"

namespace tolvaro::device {
namespace {

namespace fs = std::filesystem;

using test::setReadInteger;
using test::setReadText;

// A store as a fetch leaves it: integer slots hold their slot number, the
// others a distinct text; the version text; integers in the mode-1 block.
ConfigStore filledStore(Family family, std::string_view version) {
    ConfigStore store(family);
    ReadImageFill fill(store);
    for (int s = 0; s < store.slotCount(); ++s) {
        if (ipslan::variableKind(variableAt(family, s), 0) == ipslan::VarKind::Integer)
            setReadInteger(fill.read(s), s);
        else
            setReadText(fill.read(s), "slot " + std::to_string(s));
    }
    setReadText(fill.read(kVersionSlot), version);
    for (int i = 0; i < 5; ++i)
        setReadInteger(fill.mode1Read(i), 100 + i);
    store.takeFirmwareLevel();
    return store;
}

std::string entryTextAt(const std::vector<std::uint8_t>& file, std::size_t offset) {
    return entryText(fileEntryAt(file, offset));
}

struct SizeRow {
    const char* name;
    Family family;
    const char* version;
    std::size_t size;
};

class FileSizes : public testing::TestWithParam<SizeRow> {};

TEST_P(FileSizes, MatchTheLayout) {
    const SizeRow& row = GetParam();
    const ConfigStore store = filledStore(row.family, row.version);
    const auto file = buildConfigFile(store, 1234);
    EXPECT_EQ(file.size(), row.size);
    EXPECT_EQ(fileSize(row.family, store.firmwareLevel), row.size);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FileSizes,
    testing::Values(SizeRow{"Family1AtLevel50", Family::One, "5.0 (240312-01)", 124850},
                    SizeRow{"Family2AtLevel60", Family::Two, "6.0 (240918-07)", 135378},
                    SizeRow{"Family1AtLevel61", Family::One, "6.1 (240312-01)", 124850 + 1504},
                    SizeRow{"Family2AtLevel65", Family::Two, "6.5 (240918-07)", 135378 + 1504}),
    [](const auto& info) { return info.param.name; });

TEST(ConfigFile, HeaderVersionAndLevelLowByteFirst) {
    const ConfigStore store = filledStore(Family::Two, "6.5 (240918-07)");
    const auto file = buildConfigFile(store, 0x01020304);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 10), "ISDNROUTER");
    EXPECT_EQ(std::vector<int>(file.begin() + 10, file.begin() + 18),
              (std::vector<int>{4, 3, 2, 1, 65, 0, 0, 0}));
}

TEST(ConfigFile, EntriesInSlotOrderThenModeOneThenSlotTenAgain) {
    const ConfigStore store = filledStore(Family::One, "6.1 (240312-01)");
    const auto file = buildConfigFile(store, 1);
    EXPECT_EQ(entryTextAt(file, 18 + 0 * 1504), "slot 0");
    EXPECT_EQ(entryTextAt(file, 18 + 77 * 1504), "slot 77");
    // Family 1 does not save slot 78: the mode-1 block follows slot 77.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(entryTextAt(file, 18 + (78 + i) * 1504), std::to_string(100 + i));
    EXPECT_EQ(entryTextAt(file, 18 + 83 * 1504), "10");
}

struct EntryRow {
    const char* name;
    std::uint8_t type;
    std::int32_t value;
    const char* text;
};

class IntegerEntries : public testing::TestWithParam<EntryRow> {};

TEST_P(IntegerEntries, BecomeSignedDecimalText) {
    const EntryRow& row = GetParam();
    MIB_RESPONSE read{};
    setReadInteger(read, row.value, row.type);
    read.value[100] = 0x55; // must not survive: the value is the text alone
    const _snmp_packet entry = fileEntryOf(read);
    EXPECT_EQ(entry.type, row.type);
    EXPECT_EQ(entry.zero, 0);
    EXPECT_EQ(entryText(entry), row.text);
    EXPECT_EQ(entryLength(entry), std::strlen(row.text));
    EXPECT_EQ(entry.value[100], 0);
}

INSTANTIATE_TEST_SUITE_P(Types, IntegerEntries,
                         testing::Values(EntryRow{"Zero", kTypeInteger, 0, "0"},
                                         EntryRow{"Negative", kTypeInteger, -1, "-1"},
                                         EntryRow{"Large", kTypeInteger, 2147483647, "2147483647"},
                                         EntryRow{"Counter", kTypeCounter, 9876, "9876"}),
                         [](const auto& info) { return info.param.name; });

TEST(ConfigFile, OtherValuesAreCopiedWholeWithTheirLength) {
    MIB_RESPONSE read{};
    read.reserved = 0x77;
    read.type = kTypeOctetString;
    read.length[0] = 0xd2; // 210 bytes of table
    read.value[0] = 0;     // a byte image may begin with zero
    read.value[5] = 9;
    read.value[1499] = 0xee;
    const _snmp_packet entry = fileEntryOf(read);
    EXPECT_EQ(entry.type, kTypeOctetString);
    EXPECT_EQ(entry.zero, 0);
    EXPECT_EQ(entryLength(entry), 210u);
    EXPECT_EQ(entry.value[5], 9);
    EXPECT_EQ(entry.value[1499], 0xee);
}

struct VersionRow {
    const char* name;
    const char* text;
    std::optional<std::int32_t> number;
};

class VersionNumbers : public testing::TestWithParam<VersionRow> {};

TEST_P(VersionNumbers, FromFourCharactersAroundThePoint) {
    EXPECT_EQ(fileVersionNumber(std::string_view(GetParam().text)), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(Texts, VersionNumbers,
                         testing::Values(VersionRow{"Family2Default", "6.5 (240918-07)", 6507},
                                         VersionRow{"Family1Default", "5.0 (240312-01)", 5001},
                                         // Past the text the zero bytes count: d(0) is -48.
                                         VersionRow{"ShortText", "3.5", 3000 + 500 - 480 - 48},
                                         VersionRow{"NoPoint", "abc", std::nullopt},
                                         VersionRow{"PointFirst", ".5 (240918-07)", std::nullopt}),
                         [](const auto& info) { return info.param.name; });

struct CheckRow {
    const char* name;
    Family saved;
    const char* savedVersion;
    Family router;
    std::int32_t routerVersion;
    long trim; // bytes cut from the end (negative: appended)
    FileCheck expected;
    Family layout;
};

class FileChecks : public testing::TestWithParam<CheckRow> {};

TEST_P(FileChecks, BeforeAnyWrite) {
    const CheckRow& row = GetParam();
    const ConfigStore store = filledStore(row.saved, row.savedVersion);
    auto file = buildConfigFile(store, *fileVersionNumber(store));
    if (row.trim >= 0)
        file.resize(file.size() - static_cast<std::size_t>(row.trim));
    else
        file.resize(file.size() + static_cast<std::size_t>(-row.trim), 0xaa);
    const CheckedFile checked = checkConfigFile(file, row.router, row.routerVersion);
    EXPECT_EQ(checked.check, row.expected);
    if (row.expected == FileCheck::Ok)
        EXPECT_EQ(checked.layout, row.layout);
    else
        EXPECT_TRUE(checked.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileChecks,
    testing::Values(CheckRow{"SameFamilySameVersion", Family::Two, "6.5 (240918-07)", Family::Two,
                             6507, 0, FileCheck::Ok, Family::Two},
                    CheckRow{"OtherDigitInTheVersion", Family::Two, "6.5 (240918-07)", Family::Two,
                             6508, 0, FileCheck::VersionMismatch, Family::Two},
                    CheckRow{"OneByteShort", Family::Two, "6.5 (240918-07)", Family::Two, 6507, 1,
                             FileCheck::Incomplete, Family::Two},
                    CheckRow{"ShortByTheLastEntry", Family::One, "5.0 (240312-01)", Family::One,
                             5001, 1504, FileCheck::Incomplete, Family::One},
                    CheckRow{"TrailingBytesIgnored", Family::One, "5.0 (240312-01)", Family::One,
                             5001, -7, FileCheck::Ok, Family::One},
                    CheckRow{"Family1FileIntoFamily2", Family::One, "6.5 (240312-07)", Family::Two,
                             6507, 0, FileCheck::Ok, Family::One},
                    CheckRow{"Family2FileIntoFamily1", Family::Two, "5.0 (240918-01)", Family::One,
                             5001, 0, FileCheck::Ok, Family::Two},
                    // A family-2 file cut to the family-1 length must not be read
                    // with the family-1 catalogue: its entries would go to shifted
                    // variables.
                    CheckRow{"Family2CutToFamily1Length", Family::Two, "6.5 (240918-07)",
                             Family::Two, 6507, 135378 - 124850, FileCheck::NotThatLayout,
                             Family::Two},
                    CheckRow{"Family2CutToFamily1LengthAtLevel50", Family::Two, "5.0 (240918-01)",
                             Family::Two, 5001, 135378 - 124850, FileCheck::NotThatLayout,
                             Family::Two},
                    CheckRow{"HeaderOnly", Family::Two, "6.5 (240918-07)", Family::Two, 6507,
                             135378 + 1504 - 12, FileCheck::Incomplete, Family::Two},
                    CheckRow{"TruncatedHeader", Family::Two, "6.5 (240918-07)", Family::Two, 6507,
                             135378 + 1504 - 9, FileCheck::FormatError, Family::Two}),
    [](const auto& info) { return info.param.name; });

TEST(ConfigFile, WrongHeaderIsAFormatError) {
    auto file = buildConfigFile(filledStore(Family::Two, "6.5 (240918-07)"), 6507);
    file[0] = 'i';
    EXPECT_EQ(checkConfigFile(file, Family::Two, 6507).check, FileCheck::FormatError);
}

TEST(ConfigFile, WritesGoBackToTheVariablesTheyCameFrom) {
    const ConfigStore store = filledStore(Family::One, "6.5 (240312-07)");
    const auto file = buildConfigFile(store, 6507);
    // A family-1 file read by a family-2 router: slot 15 of the file is 0x3004.
    const CheckedFile checked = checkConfigFile(file, Family::Two, 6507);
    ASSERT_EQ(checked.check, FileCheck::Ok);
    int found = 0;
    for (const FileWrite& w : checked.writes) {
        if (w.mode == 0 && w.variable == 0x3004) {
            EXPECT_EQ(entryText(fileEntryAt(file, w.offset)), "15");
            ++found;
        }
    }
    EXPECT_EQ(found, 1);
}

TEST(ConfigFile, AboveLevel60SlotTenGoesToTheSecondsVariableOnly) {
    const ConfigStore store = filledStore(Family::Two, "6.5 (240918-07)");
    const auto file = buildConfigFile(store, 6507);
    const CheckedFile checked = checkConfigFile(file, Family::Two, 6507);
    ASSERT_EQ(checked.check, FileCheck::Ok);
    // 85 slots less slot 10, five mode-1 entries, then 0x4024.
    ASSERT_EQ(checked.writes.size(), 84u + 5u + 1u);
    for (const FileWrite& w : checked.writes)
        EXPECT_NE(w.variable, 0x4008);
    EXPECT_EQ(checked.writes[84].variable, 0x4017);
    EXPECT_EQ(checked.writes[84].mode, 1);
    EXPECT_EQ(checked.writes[84].offset, 18u + 85u * 1504u);
    const FileWrite& last = checked.writes.back();
    EXPECT_EQ(last.variable, 0x4024);
    EXPECT_EQ(last.mode, 0);
    EXPECT_EQ(last.offset, 18u + 10u * 1504u);
}

TEST(ConfigFile, AtLevel60SlotTenIsTheMinutesVariable) {
    const ConfigStore store = filledStore(Family::One, "5.0 (240312-01)");
    const CheckedFile checked = checkConfigFile(buildConfigFile(store, 5001), Family::One, 5001);
    ASSERT_EQ(checked.writes.size(), 78u + 5u);
    EXPECT_EQ(checked.writes[10].variable, 0x4008);
    EXPECT_EQ(checked.writes[10].offset, 18u + 10u * 1504u);
}

class FileWriting : public testing::Test {
protected:
    void SetUp() override {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        dir_ = fs::temp_directory_path() /
               ("tolvaro-config-file-" + std::to_string(::getpid()) + "-" + name);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

public:
    static std::string contents(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

protected:
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_))
            out.push_back(e.path().filename().string());
        return out;
    }
    fs::path dir_;
};

TEST_F(FileWriting, ReplacesAnExistingFileWhole) {
    const fs::path target = dir_ / "router.cfg";
    std::ofstream(target) << "an older and much longer configuration than the new one";
    const std::vector<std::uint8_t> bytes = {'n', 'e', 'w'};
    std::string error;
    ASSERT_TRUE(writeFileReplacing(target.string(), bytes, &error)) << error;
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(names(), std::vector<std::string>{"router.cfg"});
}

TEST_F(FileWriting, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const fs::path target = dir_ / "router.cfg";
    std::ofstream(target) << "old";
    // A file size limit makes the write fail part-way, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    const bool ok =
        writeFileReplacing(target.string(), std::vector<std::uint8_t>(100000, 1), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(ok);
    EXPECT_NE(error, "");
    EXPECT_EQ(contents(target), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"router.cfg"});
}

TEST_F(FileWriting, AMissingDirectoryIsReported) {
    std::string error;
    EXPECT_FALSE(writeFileReplacing((dir_ / "no" / "such.cfg").string(), {}, &error));
    EXPECT_NE(error.find("no"), std::string::npos);
}

TEST_F(FileWriting, ReadingHonoursTheLimitAndReportsAMissingFile) {
    const fs::path target = dir_ / "long.cfg";
    std::ofstream(target) << std::string(100, 'x');
    std::string error;
    const auto bytes = readFileBytes(target.string(), 10, &error);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 10u);
    EXPECT_FALSE(readFileBytes((dir_ / "absent.cfg").string(), 10, &error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(readFileBytes(dir_.string(), 10, &error)); // a directory
}

// Where a save lands and what it leaves behind: the configuration holds
// passwords, so modes matter as much as contents.
struct TargetRow {
    const char* name;
    // Prepares the directory and returns the path to save to.
    std::function<fs::path(const fs::path& dir)> prepare;
    bool saved;
    // Checks what the directory holds afterwards.
    std::function<void(const fs::path& dir)> check;
    // Words the error or the warning must hold.
    const char* says = "";
    // The row plants files of another user: it needs root to chown them.
    bool plantsAsOtherUser = false;
};

// Another user's id, for planted files (the tests that use it run as root).
constexpr uid_t kOtherUser = 4242;

// A folder like /tmp: everybody may write, only owners may remove.
fs::path sharedFolder(const fs::path& d) {
    fs::create_directory(d / "shared");
    ::chmod((d / "shared").c_str(), 01777);
    return d / "shared";
}

void plant(const fs::path& p) {
    ASSERT_EQ(::lchown(p.c_str(), kOtherUser, kOtherUser), 0) << p;
}

class SaveTargets : public FileWriting, public testing::WithParamInterface<TargetRow> {};

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode;
}

void writeText(const fs::path& p, const char* text, mode_t mode) {
    std::ofstream(p) << text;
    fs::permissions(p, static_cast<fs::perms>(mode));
}

TEST_P(SaveTargets, KeepModesLinksAndDevices) {
    const TargetRow& row = GetParam();
    if (row.plantsAsOtherUser && ::geteuid() != 0)
        GTEST_SKIP() << "planting another user's file needs root";
    const fs::path target = row.prepare(dir_);
    std::string error;
    std::string warning;
    EXPECT_EQ(writeFileReplacing(target.string(), std::vector<std::uint8_t>{'n', 'e', 'w'}, &error,
                                 &warning),
              row.saved)
        << error;
    EXPECT_EQ(error.empty(), row.saved) << error;
    EXPECT_NE((error + warning).find(row.says), std::string::npos) << error << warning;
    if (*row.says == 0) {
        EXPECT_EQ(warning, "");
    }
    row.check(dir_);
    for (const std::string& name : names())
        EXPECT_NE(name[0], '.') << "temporary left behind: " << name;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SaveTargets,
    testing::Values(
        TargetRow{"NewFileIsPrivate", [](const fs::path& d) { return d / "a.cfg"; }, true,
                  [](const fs::path& d) {
                      EXPECT_EQ(modeOf(d / "a.cfg") & 07777, 0600u);
                  }},
        TargetRow{"ReplacedFileKeepsItsMode",
                  [](const fs::path& d) {
                      writeText(d / "a.cfg", "old", 0640);
                      return d / "a.cfg";
                  },
                  true,
                  [](const fs::path& d) {
                      EXPECT_EQ(modeOf(d / "a.cfg") & 07777, 0640u);
                      EXPECT_EQ(FileWriting::contents(d / "a.cfg"), "new");
                  },
                  "its group may read"},
        TargetRow{"PlantedLinkInSharedFolderIsNotFollowed",
                  [](const fs::path& d) {
                      writeText(d / "theirs.cfg", "old", 0666);
                      plant(d / "theirs.cfg");
                      fs::create_symlink(d / "theirs.cfg", sharedFolder(d) / "x.cfg");
                      plant(d / "shared" / "x.cfg");
                      return d / "shared" / "x.cfg";
                  },
                  false,
                  [](const fs::path& d) {
                      EXPECT_EQ(FileWriting::contents(d / "theirs.cfg"), "old");
                      EXPECT_TRUE(fs::is_symlink(d / "shared" / "x.cfg"));
                  },
                  "belongs to user id 4242", true},
        TargetRow{"PlantedFileInSharedFolderIsNotReplaced",
                  [](const fs::path& d) {
                      writeText(sharedFolder(d) / "x.cfg", "old", 0666);
                      plant(d / "shared" / "x.cfg");
                      return d / "shared" / "x.cfg";
                  },
                  false,
                  [](const fs::path& d) {
                      EXPECT_EQ(FileWriting::contents(d / "shared" / "x.cfg"), "old");
                      EXPECT_EQ(std::distance(fs::directory_iterator(d / "shared"), {}), 1);
                  },
                  "not to you", true},
        TargetRow{"OwnLinkInSharedFolderIsFollowed",
                  [](const fs::path& d) {
                      writeText(d / "mine.cfg", "old", 0600);
                      fs::create_symlink(d / "mine.cfg", sharedFolder(d) / "x.cfg");
                      return d / "shared" / "x.cfg";
                  },
                  true,
                  [](const fs::path& d) {
                      EXPECT_EQ(FileWriting::contents(d / "mine.cfg"), "new");
                      EXPECT_EQ(modeOf(d / "mine.cfg") & 07777, 0600u);
                  }},
        TargetRow{"OthersLinkOutsideSharedFolderLeadsIntoOne",
                  [](const fs::path& d) {
                      writeText(sharedFolder(d) / "theirs.cfg", "old", 0666);
                      plant(d / "shared" / "theirs.cfg");
                      fs::create_symlink(d / "shared" / "theirs.cfg", d / "a.cfg");
                      return d / "a.cfg";
                  },
                  false,
                  [](const fs::path& d) {
                      EXPECT_EQ(FileWriting::contents(d / "shared" / "theirs.cfg"), "old");
                  },
                  "not to you", true},
        TargetRow{"HardLinkedFileIsRefused",
                  [](const fs::path& d) {
                      writeText(d / "a.cfg", "old", 0600);
                      fs::create_hard_link(d / "a.cfg", d / "b.cfg");
                      return d / "a.cfg";
                  },
                  false,
                  [](const fs::path& d) {
                      EXPECT_EQ(FileWriting::contents(d / "a.cfg"), "old");
                      EXPECT_EQ(FileWriting::contents(d / "b.cfg"), "old");
                  },
                  "2 names (hard links)"},
        TargetRow{"SymbolicLinkIsWrittenThrough",
                  [](const fs::path& d) {
                      fs::create_directory(d / "real");
                      writeText(d / "real" / "a.cfg", "old", 0600);
                      fs::create_symlink("real/a.cfg", d / "link.cfg");
                      return d / "link.cfg";
                  },
                  true,
                  [](const fs::path& d) {
                      EXPECT_TRUE(fs::is_symlink(fs::symlink_status(d / "link.cfg")));
                      EXPECT_EQ(FileWriting::contents(d / "real" / "a.cfg"), "new");
                      EXPECT_EQ(modeOf(d / "real" / "a.cfg") & 07777, 0600u);
                      for (const auto& e : fs::directory_iterator(d / "real"))
                          EXPECT_EQ(e.path().filename(), "a.cfg");
                  }},
        TargetRow{"FifoWithoutReaderIsRefusedNotReplaced",
                  [](const fs::path& d) {
                      ::mkfifo((d / "pipe").c_str(), 0600);
                      return d / "pipe";
                  },
                  false,
                  [](const fs::path& d) {
                      EXPECT_TRUE(S_ISFIFO(modeOf(d / "pipe")));
                  }},
        TargetRow{"DirectoryIsRefused", [](const fs::path& d) { return d; }, false,
                  [](const fs::path&) {
                  }},
        TargetRow{"WritableFileInReadOnlyDirectoryIsWrittenInPlace",
                  [](const fs::path& d) {
                      fs::create_directory(d / "ro");
                      writeText(d / "ro" / "a.cfg", "old", 0600);
                      fs::permissions(d / "ro", fs::perms::owner_read | fs::perms::owner_exec);
                      return d / "ro" / "a.cfg";
                  },
                  true,
                  [](const fs::path& d) {
                      fs::permissions(d / "ro", fs::perms::owner_all);
                      EXPECT_EQ(FileWriting::contents(d / "ro" / "a.cfg"), "new");
                      EXPECT_EQ(std::distance(fs::directory_iterator(d / "ro"), {}), 1);
                  }}),
    [](const auto& info) { return info.param.name; });

TEST_F(FileWriting, AFifoWithAReaderIsWrittenInPlace) {
    const fs::path pipe = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string error;
    EXPECT_TRUE(writeFileReplacing(pipe.string(), std::vector<std::uint8_t>{'n', 'e', 'w'}, &error))
        << error;
    char buffer[8] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 3);
    ::close(reader);
    EXPECT_TRUE(S_ISFIFO(modeOf(pipe)));
}

} // namespace
} // namespace tolvaro::device
