// A router that discovery did not find, reached through Remote by address,
// port and password, then set up through its Remote row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "app/password_dlg.h"
#include "app/remote_dlg.h"
#include "res/ids/remote_ids.h"
#include "res/ids/status_ids.h"
#include "support/utility_on_loopback.h"

namespace tolvaro::app {
namespace {

namespace ids = res::remote;
using ui::ScriptedDialogDriver;

constexpr int kStatusPageIndex = 1;

routersim::RouterConfig router(const char* name, const char* address, const char* password,
                               const char* firmware = "") {
    routersim::RouterConfig config;
    config.name = name;
    config.address = address;
    config.password = password;
    config.firmware = firmware;
    return config;
}

TEST(RemoteOnLoopback, SetupThroughTheRemoteRowReadsTheRouterOnItsPort) {
    test::UtilityOnLoopback utility;
    test::SimulatedNetwork& net = utility.net;
    ui::ScriptedHost& host = utility.host;
    AppState& state = utility.state;
    AppContext& context = utility.context;
    net.add(router("Office", "127.0.0.171", ""));
    CMainDlg main(context, standardOperations(context));
    auto drv = host.open(main);
    ASSERT_EQ(drv.listCount(kMainRouterList), 1);

    // Started after discovery, so only Remote can reach it.
    auto& branch = net.add(router("Branch", "127.0.0.172", "wan", "6.7 (250101-02)"));
    const std::string port = std::to_string(branch.snmpPort());
    ASSERT_NE(port, "161");

    host.expectDialog(ids::kTemplate, [&](ScriptedDialogDriver& d) {
        d.type(ids::kAddress, "127.0.0.172");
        d.type(ids::kPort, port);
        d.type(ids::kPassword, "lan");
        {
            const test::BriefWait unanswered;
            d.click(ui::kIdOk);
        }
        EXPECT_EQ(d.text(ids::kConnectionStatus), "Error - no response") << "wrong password";
        d.type(ids::kPassword, "wan");
        d.click(ui::kIdOk);
    });
    drv.click(kMainRemote);
    ASSERT_EQ(drv.listCount(kMainRouterList), 2);
    EXPECT_EQ(drv.listText(kMainRouterList, 1), "Remote");
    EXPECT_EQ(state.connectionResult, 1);

    host.expectDialog(kPasswordTemplate, [](ScriptedDialogDriver& d) {
        d.type(kPasswordEdit, "wan");
        d.click(ui::kIdOk);
    });
    std::string firmware;
    host.expectSheet([&](ui::ScriptedSheetDriver& sheet) {
        ASSERT_TRUE(sheet.selectPage(kStatusPageIndex));
        firmware = sheet.page().text(res::status::kFirmwareVersion);
        sheet.pressCancel();
    });
    drv.click(kMainSetup);

    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{});
    EXPECT_EQ(firmware, "6.7 (250101-02)");
    EXPECT_EQ(host.sheetsShown(), std::vector<std::string>{"Remote"});
    EXPECT_EQ(state.remotePort, branch.snmpPort());
    EXPECT_EQ(state.selected().family, 2);
}

} // namespace
} // namespace tolvaro::app
