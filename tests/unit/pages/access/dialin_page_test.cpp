#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "device/config_store.h"
#include "operation/app_context.h"
#include "pages/access/dialin_page.h"
#include "res/ids/dialin_ids.h"
#include "res/ids/user_ids.h"
#include "support/list_choice.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"
#include "users.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::dialin;
namespace user = res::user;
using test::makeUser;
using ui::ScriptedDialogDriver;
using Rows = std::vector<std::vector<std::string>>;

class DialinTest : public testing::Test {
protected:
    DialinTest() {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1");
        store.saveConfirmed = true;
        // The mode-1 values as the Quick Setup page's start leaves them.
        device::setEntryText(store.mode1Write(0), "2");
        device::setEntryText(store.mode1Write(1), "1");
        device::setEntryLength(store.mode1Write(1), 0);
        device::setEntryText(store.mode1Write(2), "16");
        device::ReadImageFill(store).mode1Read(4).value[0] = 10;
    }

    void setTable(int index, const std::vector<UserInfo>& users, std::size_t length = 235) {
        MIB_RESPONSE& entry = device::ReadImageFill(store).read(*store.slotOf(0x3201 + index));
        const auto bytes = test::userBytes(users);
        std::copy(bytes.begin(), bytes.end(), entry.value);
        device::setEntryLength(entry, length);
    }
    ScriptedDialogDriver open() {
        sheet.addPage(page);
        sheet.addPage(other);
        sheetDriver.emplace(host.open(sheet));
        return sheetDriver->page();
    }
    static Rows rows(const ScriptedDialogDriver& p, std::vector<int> columns = {1}) {
        Rows out;
        for (int row = 0; row < p.listCount(ids::kUserList); ++row) {
            out.emplace_back();
            for (int column : columns)
                out.back().push_back(p.listText(ids::kUserList, row, column));
        }
        return out;
    }
    std::vector<test::DeviceCall> applied() {
        EXPECT_TRUE(sheetDriver->pressOK());
        return device.callsOf(test::DeviceOp::SetInfo);
    }
    static std::string textOf(const _snmp_packet& entry) {
        return device::entryText(entry) + "/" + std::to_string(device::entryLength(entry));
    }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    device::ConfigStore store{device::Family::Two};
    dialin page{context, store};
    ui::PropertyPage other{160};
    ui::PropertySheet sheet{"Office"};
    std::optional<ui::ScriptedSheetDriver> sheetDriver;
};

TEST_F(DialinTest, RowsShowDialInNameCallBackAndTimeLimit) {
    setTable(0, {makeUser("anna", 0x02, 0), makeUser("bernd", 0x0a, 30, "0301234567"),
                 makeUser("carla", 0x10, 60), makeUser("dora", 0x1a, 5, "12")});
    const Rows expected = {{"Enable", "anna", "No", "Unlimit"},
                           {"Enable", "bernd", "0301234567", "30"},
                           {"Disable", "carla", "Roaming", "60"},
                           {"Enable", "dora", "", "5"}}; // mode 3 is never given a text
    EXPECT_EQ(rows(open(), {0, 1, 2, 3}), expected);
}

struct TableRow {
    const char* name;
    std::vector<UserInfo> first; // the first table variable's records
    std::size_t length;          // and its length word
    Rows names;
};

class DialinReads : public DialinTest, public testing::WithParamInterface<TableRow> {};

TEST_P(DialinReads, FivePerVariableUpToTheFirstEmptyName) {
    setTable(0, GetParam().first, GetParam().length);
    setTable(1, {makeUser("f")});
    EXPECT_EQ(rows(open()), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, DialinReads,
    testing::Values(TableRow{"EmptyFirstName", {makeUser(""), makeUser("anna")}, 235, {}},
                    TableRow{"SixthUserStartsTheSecondVariable",
                             {makeUser("a"), makeUser("b"), makeUser("c"), makeUser("d"),
                              makeUser("e"), makeUser("ignored")},
                             282,
                             {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}, {"f"}}},
                    TableRow{
                        "ValueShorterThanItsRecords", {makeUser("a"), makeUser("b")}, 60, {{"a"}}}),
    [](const auto& info) { return info.param.name; });

TEST_F(DialinTest, AddRefusesATwentySixthUser) {
    for (int v = 0; v < 5; ++v)
        setTable(v, std::vector<UserInfo>(5, makeUser("u" + std::to_string(v))));
    auto p = open();
    EXPECT_EQ(p.listCount(ids::kUserList), 25);
    p.click(ids::kAddUser); // no User dialog is scripted: opening one would throw
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"User Limit is 25"});
}

struct StartRow {
    const char* name;
    const char* feature;
    const char* authentication;
    std::uint8_t idle;
    int checkedRadio; // 0: none of the visible ones
    bool dialIn;
    bool listEnabled;
};

class DialinStart : public DialinTest, public testing::WithParamInterface<StartRow> {};

TEST_P(DialinStart, ControlsFollowTheStoredValues) {
    const StartRow& row = GetParam();
    device::setEntryText(store.mode1Write(0), row.feature);
    device::setEntryText(store.mode1Write(2), row.authentication);
    device::ReadImageFill(store).mode1Read(4).value[0] = row.idle;
    auto p = open();
    EXPECT_EQ(p.isChecked(ids::kEnableDialIn), row.dialIn);
    EXPECT_EQ(p.isChecked(ids::kAuthDisable), row.checkedRadio == ids::kAuthDisable);
    EXPECT_EQ(p.isChecked(ids::kAuthEnable), row.checkedRadio == ids::kAuthEnable);
    EXPECT_EQ(p.isEnabled(ids::kAddUser), row.dialIn);
    EXPECT_EQ(p.isEnabled(ids::kUserList), row.listEnabled);
    EXPECT_EQ(p.text(ids::kIdleTimeout), std::to_string(row.idle));
}

INSTANTIATE_TEST_SUITE_P(
    Values, DialinStart,
    testing::Values(StartRow{"DialInWithPap", "2", "16", 10, ids::kAuthEnable, true, true},
                    StartRow{"ChapShowsNoRadio", "130", "32", 0, 0, true, true},
                    StartRow{"TwoFieldBitsAreDisable", "2", "112", 5, ids::kAuthDisable, true,
                             false},
                    StartRow{"DialInOff", "253", "16", 99, ids::kAuthEnable, false, false},
                    StartRow{"TimeoutByteAbove127", "2", "0", 200, ids::kAuthDisable, true, false}),
    [](const auto& info) { return info.param.name; });

TEST_F(DialinTest, RadiosRewriteOnlyTheAuthenticationFieldAtOnce) {
    device::setEntryText(store.mode1Write(2), "181"); // 0xb5
    auto p = open();
    p.click(ids::kAuthEnable);
    EXPECT_EQ(device::entryText(store.mode1Write(2)), "149"); // 0x95
    EXPECT_TRUE(p.isEnabled(ids::kUserList));
    p.click(ids::kAuthDisable);
    EXPECT_EQ(device::entryText(store.mode1Write(2)), "133"); // 0x85
    EXPECT_FALSE(p.isEnabled(ids::kUserList));
}

TEST_F(DialinTest, ShowingThePageAgainTakesTheAuthenticationChangedElsewhere) {
    auto p = open();
    ASSERT_TRUE(sheetDriver->selectPage(1));
    device::setEntryText(store.mode1Write(2), "0");
    ASSERT_TRUE(sheetDriver->selectPage(0));
    EXPECT_TRUE(p.isChecked(ids::kAuthDisable));
    EXPECT_FALSE(p.isEnabled(ids::kUserList));
}

TEST_F(DialinTest, AddAppendsAnAcceptedUserAndNothingOnCancel) {
    setTable(0, {makeUser("anna")});
    auto p = open();
    host.expectDialog(user::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(user::kName, "Bob");
        d.click(ui::kIdOk);
    });
    p.click(ids::kAddUser);
    EXPECT_EQ(test::listChoice(p, ids::kUserList), "mark 1, highlighted 1");
    host.expectDialog(user::kTemplate, [](ScriptedDialogDriver& d) { d.click(ui::kIdCancel); });
    p.click(ids::kAddUser);
    EXPECT_EQ(rows(p, {0, 1}), (Rows{{"Enable", "anna"}, {"Enable", "bob"}}));
}

TEST_F(DialinTest, EditAndDeleteNeedASelectedRow) {
    setTable(0, {makeUser("anna")});
    auto p = open();
    p.click(ids::kEditUser);
    p.click(ids::kDeleteUser);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>(2, "You have to select an User"));
    EXPECT_EQ(p.listCount(ids::kUserList), 1);
}

TEST_F(DialinTest, EditRefreshesTheRowDeleteRemovesItDoubleClickToggles) {
    setTable(0, {makeUser("anna"), makeUser("bernd"), makeUser("carla", 0x00)});
    auto p = open();
    p.clickRow(ids::kUserList, 1);
    host.expectDialog(user::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(user::kTimeLimit, "45");
        d.click(user::kCallBackRoaming);
        d.click(ui::kIdOk);
    });
    p.click(ids::kEditUser);
    EXPECT_EQ(test::listChoice(p, ids::kUserList), "mark 1, highlighted 1");
    p.clickRow(ids::kUserList, 0);
    p.click(ids::kDeleteUser);
    EXPECT_EQ(test::listChoice(p, ids::kUserList), "mark -1, highlighted -");
    p.doubleClickRow(ids::kUserList, 1);
    EXPECT_EQ(rows(p, {0, 1, 2, 3}),
              (Rows{{"Enable", "bernd", "Roaming", "45"}, {"Enable", "carla", "No", "Unlimit"}}));

    const auto sent = test::usersIn(applied().at(0).values[0].value, 235);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].timeLimit, 45);
    EXPECT_EQ(sent[1].flags, 0x02);
}

TEST_F(DialinTest, DeleteRemovesTheSelectedUserFromWhatIsSent) {
    setTable(0, {makeUser("anna"), makeUser("bernd"), makeUser("carla")});
    auto p = open();
    p.clickRow(ids::kUserList, 1);
    p.click(ids::kDeleteUser);
    const auto sent = test::usersIn(applied().at(0).values[0].value, 235);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_STREQ(sent[0].name, "anna");
    EXPECT_STREQ(sent[1].name, "carla");
}

TEST_F(DialinTest, IdleTimeoutAbove99IsClampedWhenLeft) {
    device::ReadImageFill(store).mode1Read(4).value[0] = 150;
    auto p = open();
    p.focus(ids::kIdleTimeout);
    p.leave();
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{
                  "Idle Time Limit should be 0-99, it will be changed to 99 automatically."});
    EXPECT_EQ(p.text(ids::kIdleTimeout), "99");
}

// An empty field is no number: it is clamped like one above 99 when the page
// is left, rather than sent empty (which the router would ignore).
TEST_F(DialinTest, EmptyIdleTimeoutIsClampedWhenThePageIsLeft) {
    auto p = open();
    p.type(ids::kIdleTimeout, "");
    ASSERT_TRUE(sheetDriver->selectPage(1));
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{
                  "Idle Time Limit should be 0-99, it will be changed to 99 automatically."});
    EXPECT_EQ(textOf(applied().at(2).values.at(0)), "99/2");
}

// LAN-to-LAN changes the shared authentication after this page was shown:
// the last choice wins, not this page's stale radios.
TEST_F(DialinTest, ApplyWritesTheSharedAuthenticationNotItsRadios) {
    open();
    ASSERT_TRUE(sheetDriver->selectPage(1));
    device::setEntryText(store.mode1Write(2), "0"); // Disable, chosen on LAN-to-LAN
    EXPECT_EQ(textOf(applied().at(1).values.at(2)), "0/1");
}

TEST_F(DialinTest, ApplyWritesTheTableThenTheModeOneValuesThenResets) {
    setTable(0, std::vector<UserInfo>(5, makeUser("a")));
    setTable(1, {makeUser("f")});
    device::setEntryText(store.mode1Write(0), "128");
    device::setEntryText(store.mode1Write(2), "32");
    auto p = open();
    p.click(ids::kEnableDialIn);
    p.type(ids::kIdleTimeout, "25");
    const auto w = applied();
    ASSERT_EQ(w.size(), 4u);

    EXPECT_EQ(w[0].number, 0);
    EXPECT_EQ(w[0].variables, (std::vector<int>{0x3201, 0x3202, 0x3203, 0x3204, 0x3205}));
    std::vector<std::size_t> counts;
    for (const auto& entry : w[0].values) {
        EXPECT_EQ(entry.type, 4);
        EXPECT_EQ(device::entryLength(entry), 235u);
        counts.push_back(test::usersIn(entry.value, 235).size());
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{5, 1, 0, 0, 0}));

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

TEST_F(DialinTest, OnlyAFailedTableWriteIsReportedAndTheApplyGoesOn) {
    device.failSetOf(0x3201);
    device.failSetOf(0x4018);
    open();
    EXPECT_EQ(applied().size(), 4u);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"IPSSetInfo fail", "Device reset finished"}));
}

TEST_F(DialinTest, NothingIsSentWhenSavingWasNotConfirmed) {
    store.saveConfirmed = false;
    open();
    EXPECT_TRUE(applied().empty());
    EXPECT_TRUE(host.messageTexts().empty());
}

} // namespace
} // namespace tolvaro::pages
