#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device/config_store.h"

namespace tolvaro::device {
namespace {

struct LevelRow {
    const char* name;
    const char* version;
    int level;
};

class FirmwareLevel : public testing::TestWithParam<LevelRow> {};

TEST_P(FirmwareLevel, FromTheDigitsAroundTheFirstPoint) {
    EXPECT_EQ(firmwareLevelOf(GetParam().version), GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Texts, FirmwareLevel,
                         testing::Values(LevelRow{"ThreePointFive", "3.5", 35},
                                         LevelRow{"SixPointTwelve", "6.12", 61},
                                         LevelRow{"SixtyExactly", "6.0", 60},
                                         LevelRow{"WithBuildSuffix", "6.5 (240918-07)", 65},
                                         LevelRow{"SecondPointIgnored", "5.0.9", 50},
                                         LevelRow{"Empty", "", 0},
                                         LevelRow{"NoPoint", "firmware", 0}),
                         [](const auto& info) { return info.param.name; });

TEST(ConfigStore, SizesFollowTheFamily) {
    ConfigStore one(Family::One);
    ConfigStore two(Family::Two);
    EXPECT_EQ(one.slotCount() * sizeof(_snmp_packet), 118816u);
    EXPECT_EQ(two.slotCount() * sizeof(_snmp_packet), 127840u);
}

TEST(ConfigStore, BothIdleTimeoutVariablesShareSlotTen) {
    ConfigStore store(Family::Two);
    EXPECT_EQ(store.slotOf(0x4008), 10);
    EXPECT_EQ(store.slotOf(0x4024), 10);
    EXPECT_EQ(store.slotOf(0x4017), 67);
    store.firmwareLevel = 60;
    EXPECT_EQ(store.idleTimeoutVariable(), 0x4008);
    store.firmwareLevel = 61;
    EXPECT_EQ(store.idleTimeoutVariable(), 0x4024);
}

TEST(ConfigStore, LevelComesFromTheVersionSlot) {
    ConfigStore store(Family::One);
    _snmp_packet text{};
    setEntryText(text, "6.12");
    std::memcpy(ReadImageFill(store).read(11).value, text.value, 5);
    store.takeFirmwareLevel();
    EXPECT_EQ(store.firmwareLevel, 61);
}

TEST(ConfigStore, ClearingTheWriteImagesLeavesTheReadImages) {
    ConfigStore store(Family::One);
    ReadImageFill(store).read(3).value[0] = 'x';
    setEntryText(store.write(3), "abc");
    setEntryText(store.mode1Write(2), "9");
    store.clearWriteImage();
    store.clearMode1WriteImage();
    EXPECT_EQ(entryText(store.write(3)), "");
    EXPECT_EQ(entryLength(store.write(3)), 0u);
    EXPECT_EQ(entryText(store.mode1Write(2)), "");
    EXPECT_EQ(store.read(3).value[0], 'x');
}

// A page edits part of an entry (the idle time-out's four bytes): the rest
// must be the router's, the router's own entry must stay, and a copy of the
// store (one per headless run) must not share the edit.
TEST(ConfigStore, TheSheetIsTheReadImageUntilAPageEditsASlot) {
    ConfigStore store(Family::Two);
    ReadImageFill fill(store);
    const auto text = [](const MIB_RESPONSE& e) {
        return entryText(e);
    };
    std::memcpy(fill.read(5).value, "router", 7);
    std::memcpy(fill.read(6).value, "other", 6);
    const ConfigStore untouched = store;

    store.editSheet(5).value[0] = 'R';
    std::memcpy(fill.read(6).value, "later", 6); // an unedited slot read again shows

    EXPECT_EQ(text(store.sheet(5)), "Router");
    EXPECT_EQ(text(store.read(5)), "router");
    EXPECT_EQ(text(store.sheet(6)), "later");
    EXPECT_EQ(text(untouched.sheet(5)), "router");
    std::memcpy(fill.read(5).value, "again", 6); // an edit outlives a later read
    EXPECT_EQ(text(store.sheet(5)), "Router");
}

TEST(Entries, ABadLengthWordIsHeldToTheValueArea) {
    MIB_RESPONSE entry{};
    entry.length[0] = 0xff;
    entry.length[1] = 0xff;
    EXPECT_EQ(entryLength(entry), 1500u);
}

TEST(Entries, ATextWithoutTerminatorEndsWithTheValueArea) {
    MIB_RESPONSE entry{};
    std::memset(entry.value, 'a', sizeof entry.value);
    EXPECT_EQ(entryText(entry).size(), 1500u);
}

TEST(Entries, IntegersAreLowByteFirstAndSigned) {
    MIB_RESPONSE entry{};
    entry.value[0] = 0x34;
    entry.value[1] = 0x12;
    EXPECT_EQ(entryInteger(entry), 0x1234);
    std::memset(entry.value, 0xff, 4);
    EXPECT_EQ(entryInteger(entry), -1);
}

TEST(Entries, SetTextKeepsRoomForTheTerminator) {
    _snmp_packet entry{};
    entry.type = 4;
    setEntryText(entry, std::string(2000, 'z'));
    EXPECT_EQ(entryLength(entry), 1499u);
    EXPECT_EQ(entry.value[1499], 0);
    EXPECT_EQ(entry.type, 4); // the type byte is the caller's
    setEntryText(entry, "1");
    EXPECT_EQ(entryLength(entry), 1u);
    EXPECT_EQ(entryText(entry), "1");
}

} // namespace
} // namespace tolvaro::device
