#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/commit.h"
#include "page_fixture.h"
#include "pages/idle_timeout.h"
#include "pages/line/lan_to_lan_page.h"
#include "res/ids/lan_to_lan_ids.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::lan_to_lan;
using test::textOf;
using test::textsOf;

const std::string kConflict =
    "LAN-toLAN cannot be used with Internet Access\nClick \"OK\" to disable Internet Access, or "
    "\"Cancel\" to leave the current settings unchanged.";
const std::vector<int> kReceiverGroup{1071, 1072, 1073, 1028, 1090};
const std::vector<int> kInitiatorGroup{1204, 1013, 1075, 1076, 1074};

// The router of the tests: LAN-to-LAN off, Internet access on (so the
// initiator role), "Enable" authentication, and a remote site filled in.
class LanToLanTest : public testing::Test {
protected:
    explicit LanToLanTest(int firmwareLevel = 65) : f(device::Family::Two, firmwareLevel) {
        f.readText(0x401a, "branch");
        f.readText(0x401b, "br4nch");
        f.readText(0x401c, "office");
        f.readText(0x401d, "0ff1ce");
        f.readText(0x401e, "0307654321");
        f.readText(0x401f, "192.168.20.0");
        f.readText(0x4020, "255.255.255.0");
        f.readInteger(0x4024, 300);
        stored(0x4017, "0");
        stored(0x400d, "1");
        stored(0x4023, "16");
        device::setEntryText(f.mode1(0x4017), "2");
        device::setEntryText(f.mode1(0x4023), "16");
    }

    ui::ScriptedSheetDriver open() {
        f.sheet.addPage(page);
        return f.open();
    }

    void stored(int variable, const char* text) { device::setEntryText(f.write(variable), text); }
    std::string written(int variable) { return textOf(f.write(variable)); }

    test::PageFixture f;
    MLan2Lan page{f.context, f.store};
};

TEST_F(LanToLanTest, StartShowsTheStoredSettingsWithLanToLanOff) {
    auto s = open();
    auto p = s.page();
    EXPECT_FALSE(p.isChecked(ids::kEnableLanToLan));
    EXPECT_TRUE(p.isChecked(ids::kInitiatorEnable));
    EXPECT_FALSE(p.isChecked(ids::kReceiverEnable));
    EXPECT_TRUE(p.isChecked(ids::kAuthEnable));
    EXPECT_EQ(p.text(ids::kLoginName), "branch");
    EXPECT_EQ(p.text(ids::kVerifyPassword), "br4nch");
    EXPECT_EQ(p.text(ids::kRemoteVerifyPassword), "0ff1ce");
    EXPECT_EQ(p.text(ids::kRemoteIp[2]), "20");
    EXPECT_EQ(p.text(ids::kRemoteMask[0]), "255");
    EXPECT_EQ(p.text(ids::kTimeout), "300");
    EXPECT_EQ(p.textLimit(ids::kPhoneNumber), 30);
    EXPECT_EQ(p.textLimit(ids::kRemoteLoginName), 61);
    EXPECT_FALSE(p.isEnabled(ids::kRemoteIp[0]));
    EXPECT_FALSE(p.isEnabled(ids::kReceiverEnable));
    EXPECT_EQ(f.store.resetOwner, 8);
    EXPECT_EQ(f.state.lanToLanOn, 0);
    // Showing the page with LAN-to-LAN off leaves Internet access alone.
    EXPECT_EQ(written(0x400d), "1");
    EXPECT_EQ(written(0x4017), "0");
}

struct LevelRow {
    const char* name;
    int level;
    int limit;
    const char* unit;
    const char* typed;   // empty: the field only gets and loses the focus
    const char* message; // empty: no clamp
    const char* after;
};

class LanToLanTimeout : public LanToLanTest, public testing::WithParamInterface<LevelRow> {
protected:
    LanToLanTimeout() : LanToLanTest(GetParam().level) {}
};

TEST_P(LanToLanTimeout, FollowsTheFirmwareLevelAndIsClampedOnLeavingTheField) {
    const LevelRow& row = GetParam();
    stored(0x4017, "130");
    auto p = open().page();
    EXPECT_EQ(p.textLimit(ids::kTimeout), row.limit);
    EXPECT_EQ(p.text(ids::kTimeoutUnit), row.unit);
    if (*row.typed)
        p.type(ids::kTimeout, row.typed);
    else
        p.focus(ids::kTimeout);
    p.leave();
    const std::vector<std::string> expected =
        *row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{};
    EXPECT_EQ(f.host.messageTexts(), expected);
    EXPECT_EQ(p.text(ids::kTimeout), row.after);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, LanToLanTimeout,
    testing::Values(LevelRow{"MinutesInRange", 60, 2, "Seconds( 0 =Unlimited)", "42", "", "42"},
                    // The router's 300 does not fit the two characters the field takes.
                    LevelRow{"MinutesAbove99", 60, 2, "Seconds( 0 =Unlimited)", "",
                             "Idle Time Limit should be 0-99, it will be changed to99", "99"},
                    LevelRow{"SecondsNegative", 61, 4, "second  (0 = Unlimited)", "-5",
                             "Idle Time Limit should be 0-9999, it will be changed to9999", "9999"},
                    // Would be sent as a text the router refuses without a word.
                    LevelRow{"SecondsNotANumber", 61, 4, "second  (0 = Unlimited)", "1x",
                             "Idle Time Limit should be 0-9999, it will be changed to9999",
                             "9999"}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanToLanTest, TheTimeoutKeptOnLeavingIsWhatQuickSetupShows) {
    stored(0x4017, "130");
    auto s = open();
    s.page().type(ids::kTimeout, "42");
    ASSERT_TRUE(s.pressOK());
    EXPECT_EQ(storedIdleTimeout(f.store), 42u);
}

struct EnablingRow {
    const char* name;
    const char* dialOut;
    const char* authentication;
    std::vector<int> enabled;
    std::vector<int> disabled;
};

class LanToLanEnabling : public LanToLanTest, public testing::WithParamInterface<EnablingRow> {};

TEST_P(LanToLanEnabling, OnlyTheCurrentRolesFieldsAreEnabled) {
    stored(0x4017, "130");
    stored(0x400d, GetParam().dialOut);
    device::setEntryText(f.mode1(0x4023), GetParam().authentication);
    auto p = open().page();
    for (int id : GetParam().enabled)
        EXPECT_TRUE(p.isEnabled(id)) << id;
    for (int id : GetParam().disabled)
        EXPECT_FALSE(p.isEnabled(id)) << id;
    EXPECT_TRUE(p.isEnabled(ids::kReceiverEnable));
    EXPECT_TRUE(p.isEnabled(ids::kInitiatorEnable));
    EXPECT_EQ(written(0x400d), GetParam().dialOut);
}

INSTANTIATE_TEST_SUITE_P(Roles, LanToLanEnabling,
                         testing::Values(EnablingRow{"Initiator", "1", "16", kInitiatorGroup,
                                                     kReceiverGroup},
                                         EnablingRow{"ReceiverWithAuthentication", "0", "16",
                                                     kReceiverGroup, kInitiatorGroup},
                                         EnablingRow{"ReceiverWithoutAuthentication",
                                                     "0",
                                                     "0",
                                                     {1028, 1090},
                                                     {1071, 1072, 1073, 1204, 1074}}),
                         [](const auto& info) { return info.param.name; });

struct AuthRow {
    const char* name;
    const char* stored;
    int radio;
    const char* after;
};

class LanToLanAuthentication : public LanToLanTest, public testing::WithParamInterface<AuthRow> {};

TEST_P(LanToLanAuthentication, ARadioRewritesOnlyTheFieldOfTheModeOneByte) {
    stored(0x4017, "130");
    stored(0x400d, "0");
    device::setEntryText(f.mode1(0x4023), GetParam().stored);
    auto p = open().page();
    ASSERT_TRUE(p.click(GetParam().radio));
    EXPECT_EQ(textOf(f.mode1(0x4023)), GetParam().after);
    EXPECT_EQ(p.isEnabled(ids::kLoginName), GetParam().radio == ids::kAuthEnable);
}

INSTANTIATE_TEST_SUITE_P(Radios, LanToLanAuthentication,
                         testing::Values(AuthRow{"EnableOn0x60", "96", ids::kAuthEnable, "16"},
                                         AuthRow{"DisableOn0x35", "53", ids::kAuthDisable, "5"},
                                         AuthRow{"EnableKeepsBit0x80", "160", ids::kAuthEnable,
                                                 "144"}),
                         [](const auto& info) { return info.param.name; });

struct TickRow {
    const char* name;
    const char* dialOut;
    std::optional<ui::Answer> answer; // to message 7; none when it must not be asked
    bool ticked;
    const char* feature;
    const char* dialOutAfter;
};

class LanToLanTicking : public LanToLanTest, public testing::WithParamInterface<TickRow> {};

TEST_P(LanToLanTicking, AsksOnlyForTheInitiatorRole) {
    const TickRow& row = GetParam();
    stored(0x400d, row.dialOut);
    if (row.answer)
        f.host.answerMessage(*row.answer);
    auto p = open().page();
    ASSERT_TRUE(p.click(ids::kEnableLanToLan));
    EXPECT_EQ(f.host.messageTexts(),
              row.answer ? std::vector<std::string>{kConflict} : std::vector<std::string>{});
    EXPECT_EQ(p.isChecked(ids::kEnableLanToLan), row.ticked);
    EXPECT_EQ(p.isEnabled(ids::kRemoteIp[0]), row.ticked);
    EXPECT_EQ(written(0x4017), row.feature);
    EXPECT_EQ(written(0x400d), row.dialOutAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LanToLanTicking,
    testing::Values(TickRow{"InitiatorOk", "1", ui::Answer::Ok, true, "130", "0"},
                    TickRow{"InitiatorCancel", "1", ui::Answer::Cancel, false, "0", "1"},
                    TickRow{"ReceiverAsksNothing", "0", std::nullopt, true, "130", "0"}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanToLanTest, UntickingClearsBothBitsAndDisablesTheFields) {
    stored(0x4017, "131");
    auto p = open().page();
    ASSERT_TRUE(p.click(ids::kEnableLanToLan));
    EXPECT_EQ(written(0x4017), "1");
    EXPECT_FALSE(p.isEnabled(ids::kPhoneNumber));
}

struct LeaveRow {
    const char* name;
    bool receiver;
    std::vector<std::pair<int, std::string>> typed;
    const char* message; // empty: the page may be left
};

class LanToLanLeaving : public LanToLanTest, public testing::WithParamInterface<LeaveRow> {};

TEST_P(LanToLanLeaving, ChecksInOrderAndRefusalKeepsThePageAndWritesNothing) {
    const LeaveRow& row = GetParam();
    stored(0x4017, "130");
    stored(0x400d, row.receiver ? "0" : "1");
    auto s = open();
    auto p = s.page();
    for (const auto& [id, text] : row.typed)
        ASSERT_TRUE(p.type(id, text)) << id;
    const bool left = s.pressOK();
    EXPECT_EQ(left, *row.message == '\0');
    EXPECT_EQ(f.host.messageTexts().front(), left ? "Device reset finished" : row.message);
    if (!left) {
        EXPECT_TRUE(f.writes().empty());
        EXPECT_TRUE(s.isOpen());
    }
}

const std::string k61(61, 'p');
const std::string kRange =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";

INSTANTIATE_TEST_SUITE_P(
    Checks, LanToLanLeaving,
    testing::Values(
        LeaveRow{"Valid", false, {}, ""},
        LeaveRow{"ReceiverVerifyDiffers",
                 true,
                 {{1073, "other"}},
                 "Password verified wrong. \nPlease check it in \"Act as a receiver\" group"},
        LeaveRow{"InitiatorVerifyDiffers",
                 false,
                 {{1076, "x"}},
                 "Password verified wrong. \nPlease check it in \"Initiate Connection to "
                 "Remote Site\" group"},
        LeaveRow{"InitiatorVerifyDiffersInCharacter61",
                 false,
                 {{1075, k61}, {1076, k61.substr(0, 60) + "q"}},
                 "Password verified wrong. \nPlease check it in \"Initiate Connection to "
                 "Remote Site\" group"},
        LeaveRow{"NoPhoneNumber", false, {{1074, ""}}, "You should fill in phone number to dial"},
        LeaveRow{"EmptyMaskBeforeAddressAbove255",
                 false,
                 {{1187, "300"}, {1192, ""}},
                 "Each network mask field should not be empty"},
        LeaveRow{
            "EmptyAddressField", false, {{1190, ""}}, "Each IP address field should not be empty"},
        LeaveRow{"AddressAbove255", false, {{1187, "300"}}, kRange.c_str()},
        LeaveRow{"MaskNotANumber", false, {{1193, "2x5"}}, kRange.c_str()}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanToLanTest, ApplySendsTheFourRequestsThenTheReset) {
    stored(0x4017, "130");
    auto s = open();
    s.page().type(ids::kPhoneNumber, "0301234");
    ASSERT_TRUE(s.pressOK());

    const auto w = f.writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w[0].variables, std::vector<int>{0x4024});
    EXPECT_EQ(textsOf(w[0]), std::vector<std::string>{"300"});
    EXPECT_EQ(w[1].variables, (std::vector<int>{0x401c, 0x401d, 0x401e, 0x401f, 0x4020}));
    EXPECT_EQ(textsOf(w[1]), (std::vector<std::string>{"office", "0ff1ce", "0301234",
                                                       "192.168.20.0", "255.255.255.0"}));
    EXPECT_EQ(w[2].number, 0);
    EXPECT_EQ(w[2].variables, (std::vector<int>{0x4017, 0x4023, 0x371a, 0x401a, 0x401b, 0x400d}));
    EXPECT_EQ(textsOf(w[2]), (std::vector<std::string>{"130", "16", "1", "branch", "br4nch", "1"}));
    EXPECT_EQ(device::entryLength(w[2].values[0]), 3u);
    EXPECT_EQ(w[3].number, 1);
    EXPECT_EQ(w[3].variables, (std::vector<int>{0x4017, 0x4023, 0x401a, 0x401b, 0x401c, 0x401d,
                                                0x401e, 0x401f, 0x4020}));
    EXPECT_EQ(textsOf(w[3])[0], "130");
    EXPECT_EQ(textsOf(w[3])[6], "0301234");
    EXPECT_EQ(w[4].variables, std::vector<int>{0x0001});
    EXPECT_EQ(f.host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    EXPECT_EQ(f.host.elapsedMs(), 6000);
}

TEST_F(LanToLanTest, WithLanToLanOffEmptyFieldsAreSentEmptyAndTheAddressAsZeros) {
    for (int variable : {0x401a, 0x401b, 0x401c, 0x401d, 0x401e, 0x401f, 0x4020})
        f.readText(variable, "");
    auto s = open();
    ASSERT_TRUE(s.pressOK());
    const auto w = f.writes();
    ASSERT_GE(w.size(), 3u);
    EXPECT_EQ(textsOf(w[1]), (std::vector<std::string>{"", "", "", "0.0.0.0", "0.0.0.0"}));
    EXPECT_EQ(textsOf(w[2]), (std::vector<std::string>{"0", "16", "0", "", "", "1"}));
    EXPECT_EQ(textOf(w[3].values[0]), "2"); // the mode-1 byte keeps the Dial-in bit
}

// Leaves the shared flags as Quick Setup does when left with Internet access on.
class InternetAccessPage : public app::SettingsPage {
public:
    using SettingsPage::SettingsPage;

protected:
    bool onKillActive() override {
        context().state.lanToLanOn = 0;
        context().state.receiveOnly = 0;
        return true;
    }
};

TEST_F(LanToLanTest, ApplyFollowsTheSharedFlagsAsLastLeftNotTheCheckBox) {
    stored(0x4017, "130");
    stored(0x400d, "0");
    InternetAccessPage quickSetup(149, device::kQuickSetupPage, f.context, f.store);
    f.sheet.addPage(quickSetup);
    auto s = open();
    ASSERT_TRUE(s.selectPage(1));
    ASSERT_TRUE(s.selectPage(0));
    ASSERT_TRUE(s.pressOK());
    const auto w = f.writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(textsOf(w[2])[0], "0");
    EXPECT_EQ(textsOf(w[2])[2], "0");
    EXPECT_EQ(textsOf(w[2])[5], "1");
    EXPECT_EQ(textsOf(w[3])[0], "130"); // bits once set in the mode-1 byte stay
}

TEST_F(LanToLanTest, AFailedFiveVariableWriteIsReportedAndTheRestGoesOn) {
    f.device.failSetOf(0x401f);
    auto s = open();
    ASSERT_TRUE(s.pressOK());
    EXPECT_EQ(f.host.messageTexts(),
              (std::vector<std::string>{"IPSSetInfo fail", "Device reset finished"}));
    EXPECT_EQ(f.writes().size(), 5u);
}

TEST_F(LanToLanTest, NothingIsWrittenWhenSavingWasNotConfirmed) {
    f.store.saveConfirmed = 0;
    auto s = open();
    ASSERT_TRUE(s.pressOK());
    EXPECT_TRUE(f.writes().empty());
    EXPECT_TRUE(f.host.messageTexts().empty());
}

} // namespace
} // namespace tolvaro::pages
