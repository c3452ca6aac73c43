#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "operation/commit.h"
#include "page_fixture.h"
#include "pages/idle_timeout.h"
#include "pages/line/lan_to_lan_page.h"
#include "res/ids/lan_to_lan_ids.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::lan_to_lan;
using Texts = std::vector<std::string>;
using test::textsOf;

const std::string kConflict =
    "LAN-toLAN cannot be used with Internet Access\nClick \"OK\" to disable Internet Access, or "
    "\"Cancel\" to leave the current settings unchanged.";
const std::string kRange =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
const std::string kInitiatorPassword = "Password verified wrong. \nPlease check it in \"Initiate "
                                       "Connection to Remote Site\" group";

// The router of the tests: Internet access on (so the initiator role),
// "Enable" authentication, and a remote site filled in.
class LanToLanTest : public testing::Test {
protected:
    explicit LanToLanTest(int firmwareLevel = 65, const char* feature = "130")
        : f(device::Family::Two, firmwareLevel) {
        const std::vector<std::pair<int, const char*>> site{
            {0x401a, "branch"},       {0x401b, "br4nch"},     {0x401c, "office"},
            {0x401d, "0ff1ce"},       {0x401e, "0307654321"}, {0x401f, "192.168.20.0"},
            {0x4020, "255.255.255.0"}};
        for (const auto& [variable, text] : site)
            f.readText(variable, text);
        f.readInteger(0x4024, 300);
        stored(0x4017, feature);
        stored(0x400d, "1");
        device::setEntryText(f.mode1(0x4017), "2");
        device::setEntryText(f.mode1(0x4023), "16");
    }

    ui::ScriptedSheetDriver open() {
        f.sheet.addPage(page);
        return f.host.open(f.sheet);
    }
    void stored(int variable, const char* text) { device::setEntryText(f.write(variable), text); }
    std::string written(int variable) { return device::entryText(f.write(variable)); }

    test::PageFixture f;
    MLan2Lan page{f.context, f.store};
};

class LanToLanOffTest : public LanToLanTest {
protected:
    LanToLanOffTest() : LanToLanTest(65, "0") {}
};

struct ClampRow {
    const char* name;
    int level;
    const char* typed; // empty: the field only gets and loses the focus
    const char* after;
};

class LanToLanTimeout : public LanToLanTest, public testing::WithParamInterface<ClampRow> {
protected:
    LanToLanTimeout() : LanToLanTest(GetParam().level) {}
};

TEST_P(LanToLanTimeout, IsClampedToTheBoundOfTheFirmwareLevel) {
    auto p = open().page();
    if (*GetParam().typed)
        p.type(ids::kTimeout, GetParam().typed);
    else
        p.focus(ids::kTimeout);
    p.leave();
    const std::string bound = GetParam().after;
    EXPECT_EQ(f.host.messageTexts(),
              Texts{"Idle Time Limit should be 0-" + bound + ", it will be changed to" + bound});
    EXPECT_EQ(p.text(ids::kTimeout), bound);
}

INSTANTIATE_TEST_SUITE_P(Levels, LanToLanTimeout,
                         testing::Values(
                             // The router's 300 does not fit the two characters the field takes.
                             ClampRow{"MinutesAbove99", 60, "", "99"},
                             ClampRow{"SecondsNegative", 61, "-5", "9999"},
                             // Would be sent as a text the router refuses without a word.
                             ClampRow{"SecondsNotANumber", 61, "1x", "9999"}),
                         [](const auto& info) { return info.param.name; });

// LAN-to-LAN off, the field disabled and untouched, the router's 300 above
// the bound of 99: a tab switch keeps the shared time-out as it is.
class LanToLanOffAt60 : public LanToLanTest {
protected:
    LanToLanOffAt60() : LanToLanTest(60, "0") {}
};

TEST_F(LanToLanOffAt60, UntouchedTimeoutIsNotClampedWhenThePageIsLeft) {
    ui::PropertyPage other{160};
    f.sheet.addPage(page);
    f.sheet.addPage(other);
    auto s = f.host.open(f.sheet);
    ASSERT_FALSE(s.page().isEnabled(ids::kTimeout));
    ASSERT_TRUE(s.selectPage(1));
    EXPECT_TRUE(f.host.messageTexts().empty());
    EXPECT_EQ(storedIdleTimeout(f.store), 300u);
}

struct RoleRow {
    const char* name;
    const char* dialOut;
    const char* authentication;
    std::vector<int> enabled;
    std::vector<int> disabled;
};

class LanToLanRoles : public LanToLanTest, public testing::WithParamInterface<RoleRow> {};

TEST_P(LanToLanRoles, OnlyTheCurrentRolesFieldsAreEnabled) {
    stored(0x400d, GetParam().dialOut);
    device::setEntryText(f.mode1(0x4023), GetParam().authentication);
    auto p = open().page();
    for (int id : GetParam().enabled)
        EXPECT_TRUE(p.isEnabled(id)) << id;
    for (int id : GetParam().disabled)
        EXPECT_FALSE(p.isEnabled(id)) << id;
    EXPECT_EQ(written(0x400d), GetParam().dialOut);
}

INSTANTIATE_TEST_SUITE_P(
    Roles, LanToLanRoles,
    testing::Values(
        RoleRow{"Initiator", "1", "16", {1204, 1074, 1023}, {1071, 1090}},
        RoleRow{"Receiver", "0", "16", {1071, 1073, 1090, 1029}, {1204, 1074}},
        RoleRow{"ReceiverWithoutAuthentication", "0", "0", {1028, 1090}, {1071, 1072, 1073}}),
    [](const auto& info) { return info.param.name; });

struct TickRow {
    const char* name;
    const char* dialOut;
    std::optional<ui::Answer> answer; // to message 7; none when it must not be asked
    bool ticked;
    const char* feature;
    const char* dialOutAfter;
};

class LanToLanTicking : public LanToLanOffTest, public testing::WithParamInterface<TickRow> {};

TEST_P(LanToLanTicking, AsksOnlyForTheInitiatorRole) {
    const TickRow& row = GetParam();
    stored(0x400d, row.dialOut);
    if (row.answer)
        f.host.answerMessage(*row.answer);
    auto p = open().page();
    EXPECT_FALSE(p.isEnabled(ids::kRemoteIp[0]));
    EXPECT_EQ(written(0x400d), row.dialOut); // showing the page off changes nothing
    ASSERT_TRUE(p.click(ids::kEnableLanToLan));
    EXPECT_EQ(f.host.messageTexts(), row.answer ? Texts{kConflict} : Texts{});
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

struct LeaveRow {
    const char* name;
    bool receiver;
    std::vector<std::pair<int, std::string>> typed;
    std::string message; // empty: the page may be left
};

class LanToLanLeaving : public LanToLanTest, public testing::WithParamInterface<LeaveRow> {};

TEST_P(LanToLanLeaving, ChecksInOrderAndARefusalKeepsThePageAndWritesNothing) {
    const LeaveRow& row = GetParam();
    stored(0x400d, row.receiver ? "0" : "1");
    auto s = open();
    for (const auto& [id, text] : row.typed)
        ASSERT_TRUE(s.page().type(id, text)) << id;
    const bool left = s.pressOK();
    EXPECT_EQ(left, row.message.empty());
    EXPECT_EQ(f.host.messageTexts().front(), left ? "Device reset finished" : row.message);
    EXPECT_EQ(f.writes().empty(), !left);
}

const std::string k61(61, 'p');

INSTANTIATE_TEST_SUITE_P(
    Checks, LanToLanLeaving,
    testing::Values(
        LeaveRow{"Valid", false, {}, ""},
        LeaveRow{"ReceiverVerifyDiffers",
                 true,
                 {{1073, "other"}},
                 "Password verified wrong. \nPlease check it in \"Act as a receiver\" group"},
        LeaveRow{"InitiatorVerifyDiffersInCharacter61",
                 false,
                 {{1075, k61}, {1076, k61.substr(0, 60) + "q"}},
                 kInitiatorPassword},
        LeaveRow{"NoPhoneNumber", false, {{1074, ""}}, "You should fill in phone number to dial"},
        LeaveRow{"EmptyMaskBeforeAddressAbove255",
                 false,
                 {{1187, "300"}, {1192, ""}},
                 "Each network mask field should not be empty"},
        LeaveRow{"AddressAbove255", false, {{1187, "300"}}, kRange},
        LeaveRow{"MaskNotANumber", false, {{1193, "2x5"}}, kRange}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanToLanTest, ApplySendsTheFourRequestsThenTheReset) {
    auto s = open();
    s.page().type(ids::kPhoneNumber, "0301234");
    s.page().type(ids::kTimeout, "42");
    ASSERT_TRUE(s.pressOK());
    EXPECT_EQ(storedIdleTimeout(f.store), 42u); // what Quick Setup shows
    EXPECT_EQ(f.store.resetOwner, 8);

    const auto w = f.writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w[0].variables, std::vector<int>{0x4024});
    EXPECT_EQ(textsOf(w[0]), Texts{"42"});
    EXPECT_EQ(w[1].variables, (std::vector<int>{0x401c, 0x401d, 0x401e, 0x401f, 0x4020}));
    EXPECT_EQ(textsOf(w[1]),
              (Texts{"office", "0ff1ce", "0301234", "192.168.20.0", "255.255.255.0"}));
    EXPECT_EQ(w[2].number, 0);
    EXPECT_EQ(w[2].variables, (std::vector<int>{0x4017, 0x4023, 0x371a, 0x401a, 0x401b, 0x400d}));
    EXPECT_EQ(textsOf(w[2]), (Texts{"130", "16", "1", "branch", "br4nch", "1"}));
    EXPECT_EQ(device::entryLength(w[2].values[0]), 3u);
    EXPECT_EQ(w[3].number, 1);
    EXPECT_EQ(w[3].variables, (std::vector<int>{0x4017, 0x4023, 0x401a, 0x401b, 0x401c, 0x401d,
                                                0x401e, 0x401f, 0x4020}));
    EXPECT_EQ(textsOf(w[3])[0], "130");
    EXPECT_EQ(w[4].variables, std::vector<int>{0x0001});
    EXPECT_EQ(f.host.elapsedMs(), operation::kResetWaitMs);
}

TEST_F(LanToLanOffTest, LeavesWithoutChecksAndSendsEmptyFieldsEmpty) {
    for (int variable : {0x401a, 0x401b, 0x401c, 0x401d, 0x401e, 0x401f, 0x4020})
        f.readText(variable, "");
    auto s = open();
    ASSERT_TRUE(s.pressOK());
    const auto w = f.writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(textsOf(w[1]), (Texts{"", "", "", "0.0.0.0", "0.0.0.0"}));
    EXPECT_EQ(textsOf(w[2]), (Texts{"0", "16", "0", "", "", "1"}));
    EXPECT_EQ(textsOf(w[3])[0], "2"); // the mode-1 byte keeps the Dial-in bit
}

// Leaves the shared values as Quick Setup and Dial-in do when left with
// Internet access on, a new idle time-out and no authentication.
class InternetAccessPage : public pages::SettingsPage {
public:
    using SettingsPage::SettingsPage;

protected:
    bool onKillActive() override {
        context().state.lanToLanOn = 0;
        context().state.receiveOnly = 0;
        storeIdleTimeout(store(), 600);
        device::setEntryText(store().mode1Write(2), "0"); // "Disable" on the Dial-in page
        return true;
    }
};

TEST_F(LanToLanTest, ApplyFollowsTheSharedValuesAsLastLeftNotItsControls) {
    stored(0x400d, "0");
    InternetAccessPage quickSetup(149, operation::kQuickSetupPage, f.context, f.store);
    f.sheet.addPage(quickSetup);
    auto s = open();
    ASSERT_TRUE(s.selectPage(1));
    ASSERT_TRUE(s.selectPage(0));
    ASSERT_TRUE(s.pressOK());
    const auto w = f.writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(textsOf(w[0]), Texts{"600"});
    EXPECT_EQ(textsOf(w[2]), (Texts{"0", "0", "0", "branch", "br4nch", "1"}));
    EXPECT_EQ(textsOf(w[3])[0], "130"); // bits once set in the mode-1 byte stay
}

} // namespace
} // namespace tolvaro::pages
