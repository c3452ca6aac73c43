#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pages/access/user_dlg.h"
#include "res/ids/user_ids.h"
#include "ui/scripted/scripted_host.h"
#include "users.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::user;
using test::makeUser;
using ui::ScriptedDialogDriver;

class UserDlgTest : public testing::Test {
protected:
    UserDlgTest() {
        users.emplace_back(makeUser("Anna"));
        users.emplace_back(makeUser("bernd"));
    }
    UserList users;
    ui::ScriptedHost host;
};

struct CheckRow {
    const char* name;
    CUserDlg::Mode mode;
    int row;
    std::function<void(ScriptedDialogDriver&)> fill;
    const char* message; // nullptr: accepted
};

class UserDlgChecks : public UserDlgTest, public testing::WithParamInterface<CheckRow> {};

TEST_P(UserDlgChecks, RunInOrderAndKeepTheDialogOpen) {
    const CheckRow& row = GetParam();
    UserInfo record = makeUser(row.mode == CUserDlg::kEdit ? "bernd" : "");
    CUserDlg dlg(users, record, row.mode, row.row);
    auto d = host.open(dlg);
    row.fill(d);
    d.click(ui::kIdOk);
    EXPECT_EQ(host.messageTexts(),
              row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
    EXPECT_EQ(d.isOpen(), row.message != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UserDlgChecks,
    testing::Values(CheckRow{"FixedWithoutNumberBeforeEmptyName", CUserDlg::kAdd, 25,
                             [](auto& d) { d.click(ids::kCallBackFixed); },
                             "You should fill the callback number"},
                    CheckRow{"EmptyNameBeforeDuplicate", CUserDlg::kAdd, 25, [](auto&) {},
                             "You should fill the username"},
                    CheckRow{"DuplicateName", CUserDlg::kAdd, 25,
                             [](auto& d) { d.type(ids::kName, "bernd"); },
                             "Name must be uniquefor each user."},
                    CheckRow{"TypedCapitalsBecomeLowerCaseSoNotTheRoutersAnna", CUserDlg::kAdd, 25,
                             [](auto& d) { d.type(ids::kName, "ANNA"); }, nullptr},
                    CheckRow{"EditedRowIsSkipped", CUserDlg::kEdit, 1,
                             [](auto& d) { d.type(ids::kPassword, "new"); }, nullptr},
                    CheckRow{"AnotherRowWithTheName", CUserDlg::kEdit, 0, [](auto&) {},
                             "Name must be uniquefor each user."}),
    [](const auto& info) { return info.param.name; });

TEST_F(UserDlgTest, DialInOffDisablesTheCallBackGroupButOkStoresIt) {
    UserInfo record = makeUser("carla", 0x81 | 0x02 | 0x08, 30, "0301234567");
    CUserDlg dlg(users, record, CUserDlg::kEdit, 5);
    auto d = host.open(dlg);
    EXPECT_TRUE(d.isChecked(ids::kCallBackFixed));
    EXPECT_TRUE(d.isEnabled(ids::kCallBackNumber));
    d.click(ids::kEnableDialIn);
    EXPECT_FALSE(d.isEnabled(ids::kCallBackFixed));
    EXPECT_FALSE(d.isEnabled(ids::kTimeLimit));
    d.click(ui::kIdOk);
    // Dial-in off; call-back mode 1, the number, the limit and the bits the
    // dialog does not own are kept.
    EXPECT_EQ(record.flags, 0x81 | 0x08);
    EXPECT_EQ(record.timeLimit, 30);
    EXPECT_STREQ(record.callback, "0301234567");
}

// The call-back mode is two bits: a new choice replaces the old one.
TEST_F(UserDlgTest, ACallBackChoiceReplacesThePreviousMode) {
    struct Row {
        std::uint8_t before;
        int choice;
        std::uint8_t after;
    };
    for (const Row& row :
         {Row{0x0a, ids::kCallBackRoaming, 0x12}, Row{0x12, ids::kCallBackDisable, 0x02},
          Row{0x02, ids::kCallBackFixed, 0x0a}}) {
        UserInfo record = makeUser("carla", row.before, 30, "0301234567");
        CUserDlg dlg(users, record, CUserDlg::kEdit, 5);
        auto d = host.open(dlg);
        d.click(row.choice);
        d.click(ui::kIdOk);
        EXPECT_EQ(record.flags, row.after) << "from " << int(row.before);
    }
}

TEST_F(UserDlgTest, CancelMarksAnAddAndRestoresAnEditAfterARefusedOk) {
    UserInfo added = makeUser("", 0x02, 7);
    CUserDlg add(users, added, CUserDlg::kAdd, 25);
    host.open(add).click(ui::kIdCancel);
    EXPECT_EQ(added.timeLimit, kCancelledLimit);

    UserInfo& edited = users.back().record;
    CUserDlg edit(users, edited, CUserDlg::kEdit, 1);
    auto d = host.open(edit);
    d.type(ids::kName, "");
    d.click(ui::kIdOk);
    d.click(ui::kIdCancel);
    EXPECT_STREQ(edited.name, "bernd");
}

TEST_F(UserDlgTest, TimeLimitAbove99IsClampedWhenLeft) {
    UserInfo record = makeUser("carla", 0x02, 300);
    CUserDlg dlg(users, record, CUserDlg::kEdit, 5);
    auto d = host.open(dlg);
    d.focus(ids::kTimeLimit);
    d.leave();
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{"Connecting Time Limit should be 0-99, it will be "
                                       "changed to 99 automatically."});
    EXPECT_EQ(d.text(ids::kTimeLimit), "99");
}

} // namespace
} // namespace tolvaro::pages
