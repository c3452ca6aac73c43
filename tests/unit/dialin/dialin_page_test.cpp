#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "device/config_store.h"
#include "pages/access/dialin_page.h"
#include "res/ids/dialin_ids.h"
#include "res/ids/user_ids.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"
#include "users.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::dialin;
namespace user = res::user;
using test::makeUser;
using ui::ScriptedDialogDriver;

constexpr int kOtherPageTemplate = 160;
const std::vector<int> kUserTable = {0x3201, 0x3202, 0x3203, 0x3204, 0x3205};

class DialinTest : public testing::Test {
protected:
    DialinTest() {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1");
        store.saveConfirmed = 1;
        // What the Quick Setup page's start leaves in the mode-1 write image.
        device::setEntryText(store.mode1Write(0), "2");
        device::setEntryText(store.mode1Write(1), "1");
        device::setEntryLength(store.mode1Write(1), 0);
        device::setEntryText(store.mode1Write(2), "16");
        store.mode1Read(4).value[0] = 10;
    }

    // Five users per variable, each variable 235 bytes long.
    void setUsers(const std::vector<UserInfo>& users) {
        for (std::size_t v = 0; v * 5 < users.size(); ++v) {
            const auto first = users.begin() + static_cast<long>(v * 5);
            const auto last = users.begin() + static_cast<long>(std::min(users.size(), v * 5 + 5));
            setTable(static_cast<int>(v), test::userBytes({first, last}), 235);
        }
    }
    void setTable(int index, const std::vector<std::uint8_t>& bytes, std::size_t length) {
        MIB_RESPONSE& entry = store.read(*store.slotOf(0x3201 + index));
        std::copy(bytes.begin(), bytes.end(), entry.value);
        entry.type = 4;
        entry.length[0] = static_cast<std::uint8_t>(length);
        entry.length[1] = static_cast<std::uint8_t>(length >> 8);
    }

    ScriptedDialogDriver open() {
        sheet.addPage(page);
        sheet.addPage(other);
        driver.emplace(host.open(sheet));
        return driver->page();
    }
    std::vector<std::string> names(const ScriptedDialogDriver& p) const {
        std::vector<std::string> out;
        for (int row = 0; row < p.listCount(ids::kUserList); ++row)
            out.push_back(p.listText(ids::kUserList, row, 1));
        return out;
    }
    std::vector<test::DeviceCall> writes() const { return device.callsOf(test::DeviceOp::SetInfo); }
    static std::string textOf(const _snmp_packet& entry) {
        return device::entryText(entry) + "/" + std::to_string(device::entryLength(entry));
    }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    device::ConfigStore store{device::Family::Two};
    dialin page{context, store};
    ui::PropertyPage other{kOtherPageTemplate};
    ui::PropertySheet sheet{"Office"};
    std::optional<ui::ScriptedSheetDriver> driver;
};

std::vector<UserInfo> numbered(int count) {
    std::vector<UserInfo> users;
    for (int i = 0; i < count; ++i)
        users.push_back(makeUser("user" + std::to_string(i)));
    return users;
}

TEST_F(DialinTest, RowsShowEachUsersTextsUnderTheFourColumns) {
    setUsers({makeUser("anna", 0x02, 0), makeUser("bernd", 0x0a, 30, "0301234567"),
              makeUser("carla", 0x10, 60), makeUser("dora", 0x1a, 5, "12")});
    auto p = open();
    EXPECT_EQ(p.listColumns(ids::kUserList),
              (std::vector<std::string>{"Dial-In", "Name", "Callback", "Time Limit"}));
    const int q = page.list(ids::kUserList).pixelWidth() / 4;
    EXPECT_EQ(p.listColumnWidths(ids::kUserList), (std::vector<int>{q / 2, q, 3 * q / 2, q - 3}));
    const std::vector<std::vector<std::string>> expected = {
        {"Enable", "anna", "No", "Unlimit"},
        {"Enable", "bernd", "0301234567", "30"},
        {"Disable", "carla", "Roaming", "60"},
        {"Enable", "dora", "", "5"}, // mode 3 keeps the text it started with
    };
    ASSERT_EQ(p.listCount(ids::kUserList), 4);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(p.listText(ids::kUserList, row, column),
                      expected[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
                << row << "," << column;
}

struct TableRow {
    const char* name;
    std::vector<std::vector<UserInfo>> variables; // records per table variable
    std::vector<std::size_t> lengths;             // their length words
    std::vector<std::string> names;
};

class DialinReads : public DialinTest, public testing::WithParamInterface<TableRow> {};

TEST_P(DialinReads, FivePerVariableUpToTheFirstEmptyName) {
    for (std::size_t v = 0; v < GetParam().variables.size(); ++v)
        setTable(static_cast<int>(v), test::userBytes(GetParam().variables[v]),
                 GetParam().lengths[v]);
    EXPECT_EQ(names(open()), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, DialinReads,
    testing::Values(TableRow{"EmptyFirstName", {{makeUser(""), makeUser("anna")}}, {235}, {}},
                    TableRow{"SixthUserStartsTheSecondVariable",
                             {{makeUser("a"), makeUser("b"), makeUser("c"), makeUser("d"),
                               makeUser("e"), makeUser("ignored")},
                              {makeUser("f")}},
                             {282, 235},
                             {"a", "b", "c", "d", "e", "f"}},
                    // A value shorter than its records ends the table at its end.
                    TableRow{
                        "ShortValueEndsTheTable", {{makeUser("a"), makeUser("b")}}, {60}, {"a"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(DialinTest, TwentyFiveUsersFillTheListAndAddRefuses) {
    setUsers(numbered(25));
    auto p = open();
    EXPECT_EQ(p.listCount(ids::kUserList), 25);
    EXPECT_EQ(p.listText(ids::kUserList, 24, 1), "user24");
    p.click(ids::kAddUser); // no User dialog is scripted: opening one would throw
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"User Limit is 25"});
}

struct StartRow {
    const char* name;
    const char* feature;
    const char* authentication;
    std::uint8_t idle;
    int checkedRadio; // 0: none visible
    bool dialIn;
    bool listEnabled;
    const char* idleText;
};

class DialinStart : public DialinTest, public testing::WithParamInterface<StartRow> {};

TEST_P(DialinStart, ControlsFollowTheStoredValues) {
    const StartRow& row = GetParam();
    device::setEntryText(store.mode1Write(0), row.feature);
    device::setEntryText(store.mode1Write(2), row.authentication);
    store.mode1Read(4).value[0] = row.idle;
    auto p = open();
    EXPECT_EQ(p.isChecked(ids::kEnableDialIn), row.dialIn);
    for (int id : {ids::kAuthDisable, ids::kAuthEnable})
        EXPECT_EQ(p.isChecked(id), id == row.checkedRadio) << id;
    EXPECT_FALSE(p.isVisible(ids::kAuthChap));
    EXPECT_EQ(p.isEnabled(ids::kAuthEnable), row.dialIn);
    EXPECT_EQ(p.isEnabled(ids::kAddUser), row.dialIn);
    EXPECT_EQ(p.isEnabled(ids::kUserList), row.listEnabled);
    EXPECT_EQ(p.text(ids::kIdleTimeout), row.idleText);
    EXPECT_EQ(p.textLimit(ids::kIdleTimeout), 2);
    EXPECT_EQ(store.resetOwner, 5);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DialinStart,
    testing::Values(StartRow{"DialInWithPap", "2", "16", 10, ids::kAuthEnable, true, true, "10"},
                    StartRow{"ChapShowsNoRadio", "130", "32", 0, 0, true, true, "0"},
                    StartRow{"FieldWithTwoBitsIsDisable", "2", "112", 5, ids::kAuthDisable, true,
                             false, "5"},
                    StartRow{"DialInOff", "253", "16", 99, ids::kAuthEnable, false, false, "99"},
                    StartRow{"TimeoutByteAbove127IsUnsigned", "2", "0", 200, ids::kAuthDisable,
                             true, false, "200"}),
    [](const auto& info) { return info.param.name; });

struct RadioRow {
    const char* name;
    const char* stored;
    int radio;
    const char* written;
    bool listEnabled;
};

class DialinRadios : public DialinTest, public testing::WithParamInterface<RadioRow> {};

TEST_P(DialinRadios, RewriteTheAuthenticationFieldAtOnce) {
    device::setEntryText(store.mode1Write(2), GetParam().stored);
    auto p = open();
    ASSERT_TRUE(p.click(GetParam().radio));
    EXPECT_EQ(device::entryText(store.mode1Write(2)), GetParam().written);
    EXPECT_EQ(p.isEnabled(ids::kUserList), GetParam().listEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, DialinRadios,
    testing::Values(RadioRow{"EnableOn0x60", "96", ids::kAuthEnable, "16", true},
                    RadioRow{"DisableOn0x35", "53", ids::kAuthDisable, "5", false},
                    RadioRow{"EnableKeepsOtherBits", "133", ids::kAuthEnable, "149", true}),
    [](const auto& info) { return info.param.name; });

TEST_F(DialinTest, ShowingThePageAgainTakesTheAuthenticationChangedElsewhere) {
    auto p = open();
    ASSERT_TRUE(driver->selectPage(1));
    device::setEntryText(store.mode1Write(2), "0");
    ASSERT_TRUE(driver->selectPage(0));
    EXPECT_TRUE(p.isChecked(ids::kAuthDisable));
    EXPECT_FALSE(p.isEnabled(ids::kUserList));
    EXPECT_TRUE(p.isEnabled(ids::kAddUser));
    p.click(ids::kAuthEnable);
    EXPECT_TRUE(p.isEnabled(ids::kUserList));
}

TEST_F(DialinTest, DialInOffDisablesTheGroupButItsValuesAreStillWritten) {
    setUsers({makeUser("anna")});
    auto p = open();
    p.click(ids::kEnableDialIn);
    for (int id : {ids::kAuthDisable, ids::kAuthEnable, ids::kIdleTimeout, ids::kUserList,
                   ids::kAddUser, ids::kEditUser, ids::kDeleteUser})
        EXPECT_FALSE(p.isEnabled(id)) << id;
    ASSERT_TRUE(driver->pressOK());
    const auto w = writes();
    ASSERT_GE(w.size(), 3u);
    EXPECT_EQ(test::userNames(w[0].values[0].value, 235), std::vector<std::string>{"anna"});
    EXPECT_EQ(textOf(w[1].values[0]), "0/1");
    EXPECT_EQ(textOf(w[1].values[2]), "16/2");
}

TEST_F(DialinTest, AddAppendsAnAcceptedUserAndNothingOnCancel) {
    setUsers({makeUser("anna")});
    auto p = open();
    host.expectDialog(user::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(user::kName, "Bob");
        d.click(ui::kIdOk);
    });
    p.click(ids::kAddUser);
    host.expectDialog(user::kTemplate, [](ScriptedDialogDriver& d) { d.click(ui::kIdCancel); });
    p.click(ids::kAddUser);
    EXPECT_EQ(names(p), (std::vector<std::string>{"anna", "bob"}));
    EXPECT_EQ(p.listText(ids::kUserList, 1, 0), "Enable");
    EXPECT_TRUE(page.isModified());
}

struct SelectionRow {
    const char* name;
    int button;
};

class DialinNeedsSelection : public DialinTest, public testing::WithParamInterface<SelectionRow> {};

TEST_P(DialinNeedsSelection, WithoutASelectedRow) {
    setUsers({makeUser("anna")});
    auto p = open();
    p.clickRow(ids::kUserList, -1);
    p.click(GetParam().button);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"You have to select an User"});
    EXPECT_EQ(p.listCount(ids::kUserList), 1);
}

INSTANTIATE_TEST_SUITE_P(Buttons, DialinNeedsSelection,
                         testing::Values(SelectionRow{"Edit", ids::kEditUser},
                                         SelectionRow{"Delete", ids::kDeleteUser}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DialinTest, EditRefreshesTheRowAndDeleteRemovesIt) {
    setUsers({makeUser("anna"), makeUser("bernd"), makeUser("carla")});
    auto p = open();
    p.clickRow(ids::kUserList, 1);
    host.expectDialog(user::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(user::kTimeLimit, "45");
        d.click(user::kCallBackRoaming);
        d.click(ui::kIdOk);
    });
    p.click(ids::kEditUser);
    EXPECT_EQ(p.listText(ids::kUserList, 1, 2), "Roaming");
    EXPECT_EQ(p.listText(ids::kUserList, 1, 3), "45");

    p.clickRow(ids::kUserList, 0);
    p.click(ids::kDeleteUser);
    EXPECT_EQ(names(p), (std::vector<std::string>{"bernd", "carla"}));
    ASSERT_TRUE(driver->pressOK());
    UserInfo first{};
    IPSConvByteToUser(&first, writes().at(0).values[0].value, 235);
    EXPECT_STREQ(first.name, "bernd");
    EXPECT_EQ(first.timeLimit, 45);
}

TEST_F(DialinTest, DoubleClickTogglesTheUsersDialIn) {
    setUsers({makeUser("anna", 0x00)});
    auto p = open();
    p.doubleClickRow(ids::kUserList, 0);
    EXPECT_EQ(p.listText(ids::kUserList, 0, 0), "Enable");
    p.doubleClickRow(ids::kUserList, 0);
    p.doubleClickRow(ids::kUserList, 0);
    ASSERT_TRUE(driver->pressOK());
    UserInfo first{};
    IPSConvByteToUser(&first, writes().at(0).values[0].value, 235);
    EXPECT_EQ(first.flags, 0x02);
}

TEST_F(DialinTest, IdleTimeoutAbove99IsClampedWhenLeft) {
    store.mode1Read(4).value[0] = 150;
    auto p = open();
    p.focus(ids::kIdleTimeout);
    p.leave();
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{
                  "Idle Time Limit should be 0-99, it will be changed to 99 automatically."});
    EXPECT_EQ(p.text(ids::kIdleTimeout), "99");
}

TEST_F(DialinTest, ApplyWritesTheTableThenTheModeOneValuesThenResets) {
    setUsers(numbered(6));
    device::setEntryText(store.mode1Write(0), "128");
    device::setEntryText(store.mode1Write(2), "32");
    auto p = open();
    p.click(ids::kEnableDialIn);
    p.type(ids::kIdleTimeout, "25");
    ASSERT_TRUE(driver->pressOK());

    const auto w = writes();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0].number, 0);
    EXPECT_EQ(w[0].variables, kUserTable);
    for (const auto& entry : w[0].values) {
        EXPECT_EQ(entry.type, 4);
        EXPECT_EQ(device::entryLength(entry), 235u);
    }
    EXPECT_EQ(test::userNames(w[0].values[0].value, 235).size(), 5u);
    EXPECT_EQ(test::userNames(w[0].values[1].value, 235), std::vector<std::string>{"user5"});
    EXPECT_TRUE(test::userNames(w[0].values[2].value, 235).empty());

    EXPECT_EQ(w[1].number, 1);
    EXPECT_EQ(w[1].variables, (std::vector<int>{0x4017, 0x400d, 0x4023}));
    EXPECT_EQ(textOf(w[1].values[0]), "130/3");
    EXPECT_EQ(textOf(w[1].values[1]), "1/0");
    EXPECT_EQ(textOf(w[1].values[2]), "32/2"); // CHAP is kept
    EXPECT_EQ(w[2].number, 1);
    EXPECT_EQ(w[2].variables, std::vector<int>{0x4018});
    EXPECT_EQ(textOf(w[2].values[0]), "25/2");
    EXPECT_EQ(w[3].variables, std::vector<int>{0x0001});
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
}

TEST_F(DialinTest, FailedTableWriteIsReportedAndTheApplyGoesOn) {
    device.failSetOf(0x3201);
    device.failSetOf(0x4018);
    open();
    ASSERT_TRUE(driver->pressOK());
    EXPECT_EQ(writes().size(), 4u);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"IPSSetInfo fail", "Device reset finished"}));
}

TEST_F(DialinTest, NothingIsSentWhenSavingWasNotConfirmed) {
    store.saveConfirmed = 0;
    open();
    ASSERT_TRUE(driver->pressOK());
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(host.messageTexts().empty());
}

} // namespace
} // namespace tolvaro::pages
