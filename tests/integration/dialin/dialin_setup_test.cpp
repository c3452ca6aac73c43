// The Dial-in page through a whole Setup against a simulated router: what
// the page sends is what the router keeps.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "device/device_link.h"
#include "res/ids/dialin_ids.h"
#include "res/ids/user_ids.h"
#include "support/simulated_network.h"
#include "ui/scripted/scripted_host.h"
#include "unit/dialin/users.h"

namespace tolvaro::app {
namespace {

namespace ids = res::dialin;
namespace user = res::user;

constexpr int kDialinPageIndex = 4;

TEST(DialinOnLoopback, AnAddedUserAndTheTimeoutReachTheRouter) {
    test::SimulatedNetwork net;
    routersim::RouterConfig config;
    config.family = 2;
    config.name = "Branch";
    config.address = "127.0.0.151";
    auto& router = net.add(config);

    std::unique_ptr<device::DeviceLink> link = device::makeLibraryLink();
    link->initLan();
    AppState state;
    ui::ScriptedHost host;
    host.onSleep([&](int ms) { net.advance(ms); });
    AppContext context{state, host, *link};
    CMainDlg main(context, standardOperations(context));
    auto drv = host.open(main);
    ASSERT_EQ(drv.listCount(kMainRouterList), 1);

    host.expectSheet([&](ui::ScriptedSheetDriver& sheet) {
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
    drv.pressEnter();

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
