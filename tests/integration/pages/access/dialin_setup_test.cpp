// The Dial-in page through a whole Setup against a simulated router: what
// the page sends is what the router keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/ids/dialin_ids.h"
#include "res/ids/user_ids.h"
#include "support/utility_on_loopback.h"
#include "unit/pages/access/users.h"

namespace tolvaro::app {
namespace {

namespace ids = res::dialin;
namespace user = res::user;

constexpr int kDialinPageIndex = 4;

TEST(DialinOnLoopback, AnAddedUserAndTheTimeoutReachTheRouter) {
    test::UtilityOnLoopback utility;
    auto& router = utility.add(test::routerConfig(2, "Branch", "127.0.0.151"));
    auto& host = utility.host;

    utility.setup([&](ui::ScriptedSheetDriver& sheet) {
        ASSERT_TRUE(sheet.selectPage(kDialinPageIndex));
        auto page = sheet.page();
        if (!page.isChecked(ids::kEnableDialIn))
            page.click(ids::kEnableDialIn);
        page.click(ids::kAuthEnable);
        page.type(ids::kIdleTimeout, "25");
        host.expectDialog(user::kTemplate, [](ui::ScriptedDialogDriver& d) {
            d.type(user::kName, "Dora");
            d.type(user::kPassword, "d0ra");
            d.click(ui::kIdOk);
        });
        page.click(ids::kAddUser);
        ASSERT_TRUE(sheet.pressOK());
    });

    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    const auto table = router.value(0x3201);
    ASSERT_TRUE(table);
    // The simulated router starts with three users.
    std::vector<std::string> names;
    for (const UserInfo& u : test::usersIn(table->bytes.data(), table->bytes.size()))
        names.emplace_back(u.name);
    EXPECT_EQ(names, (std::vector<std::string>{"anna", "bernd", "carla", "dora"}));
    const auto timeout = router.value(0x4018, 1);
    ASSERT_TRUE(timeout);
    EXPECT_EQ(timeout->integer, 25);
    const auto authentication = router.value(0x4023, 1);
    ASSERT_TRUE(authentication);
    EXPECT_EQ(authentication->integer & 0x70, 0x10);
}

} // namespace
} // namespace tolvaro::app
