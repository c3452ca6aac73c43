// The LAN-to-LAN, Option and Status pages through a whole Setup against a
// simulated router: what the pages send is what the router keeps, and the
// line answers the dial and hang-up buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_record.h"
#include "res/ids/lan_to_lan_ids.h"
#include "res/ids/option_ids.h"
#include "res/ids/status_ids.h"
#include "support/utility_on_loopback.h"

namespace tolvaro::app {
namespace {

constexpr int kStatusPageIndex = 1;
constexpr int kOptionPageIndex = 2;
constexpr int kLanToLanPageIndex = 7;

const std::string kConflict =
    "LAN-toLAN cannot be used with Internet Access\nClick \"OK\" to disable Internet Access, or "
    "\"Cancel\" to leave the current settings unchanged.";

TEST(LinePagesOnLoopback, LanToLanAndOptionSettingsReachTheRouter) {
    namespace l2l = res::lan_to_lan;
    namespace option = res::option;
    test::UtilityOnLoopback office;
    auto& router = office.add(test::routerConfig(2, "Office", "127.0.0.161"));
    office.host.answerMessage(ui::Answer::Ok); // message 7: Internet access goes
    office.setup([](ui::ScriptedSheetDriver& sheet) {
        ASSERT_TRUE(sheet.selectPage(kOptionPageIndex));
        auto page = sheet.page();
        page.type(option::kPassword, "n3w");
        page.type(option::kVerifyPassword, "n3w");
        page.click(option::kEnableRemoteManagement);
        page.type(option::kWebPort, "8443");

        ASSERT_TRUE(sheet.selectPage(kLanToLanPageIndex));
        page = sheet.page();
        ASSERT_TRUE(page.isChecked(l2l::kInitiatorEnable));
        page.click(l2l::kEnableLanToLan);
        page.type(l2l::kRemoteIp[2], "30");
        page.type(l2l::kPhoneNumber, "0309876");
        page.type(l2l::kTimeout, "600");
        ASSERT_TRUE(sheet.pressOK());
    });

    EXPECT_EQ(office.host.messageTexts(),
              (std::vector<std::string>{kConflict, "Device reset finished"}));
    EXPECT_EQ(office.integer(router, 0x4017) & 0x82, 0x82);
    EXPECT_EQ(office.integer(router, 0x4017, 1) & 0x82, 0x82);
    EXPECT_EQ(office.integer(router, 0x371a), 1);
    EXPECT_EQ(office.integer(router, 0x400d), 1); // the initiator dials out
    EXPECT_EQ(office.integer(router, 0x4024), 600);
    EXPECT_EQ(office.text(router, 0x401f), "192.168.30.0");
    EXPECT_EQ(office.text(router, 0x401e, 1), "0309876");
    EXPECT_EQ(office.text(router, 0x0106), "n3w");
    EXPECT_EQ(office.integer(router, 0x4027), 0);
    EXPECT_EQ(office.integer(router, 0x4028), 8443);
    EXPECT_EQ(device::fieldText(office.state.selected().password), "n3w");
}

TEST(LinePagesOnLoopback, StatusDialsUpAndHangsUpTheLine) {
    namespace ids = res::status;
    struct Row {
        const char* name;
        bool stuckLine;
        const char* hangUpWords;
        std::size_t waits;
    };
    // The router answers the dial on the second poll (4000 ms); a line
    // that drops goes down at once, a stuck one outlasts all five polls.
    for (const Row& row : {Row{"LineThatDrops", false, "HangUp successfully", 3},
                           Row{"StuckLine", true, "Still connect", 7}}) {
        SCOPED_TRACE(row.name);
        test::UtilityOnLoopback office;
        routersim::RouterConfig config = test::routerConfig(2, "Office", "127.0.0.163");
        config.stuckLine = row.stuckLine;
        auto& router = office.add(config);
        std::string logAfterDial;
        office.setup([&](ui::ScriptedSheetDriver& sheet) {
            ASSERT_TRUE(sheet.selectPage(kStatusPageIndex));
            auto page = sheet.page();
            EXPECT_EQ(page.text(ids::kFirmwareVersion), "6.5 (240918-07)");
            page.click(ids::kDialUp);
            EXPECT_TRUE(router.linkUp());
            logAfterDial = page.text(ids::kConnectionLog);
            EXPECT_NE(page.text(ids::kConnectionStatus).find("Account: "), std::string::npos);
            page.click(ids::kHangUp);
            EXPECT_EQ(router.linkUp(), row.stuckLine);
            sheet.pressCancel();
        });

        EXPECT_EQ(office.host.messageTexts(),
                  (std::vector<std::string>{"Connect ISP successfully.", row.hangUpWords}));
        EXPECT_NE(logAfterDial.find("Dialing 0191011\r\n"), std::string::npos);
        EXPECT_EQ(office.host.waits().size(), row.waits);
    }
}

} // namespace
} // namespace tolvaro::app
