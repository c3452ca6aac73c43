// The main window's discovery, login and address change against simulated
// routers on loopback, through the real device library.
#include <gtest/gtest.h>

#include <set>

#include "app/ip_address_dlg.h"
#include "app/login.h"
#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "app/password_dlg.h"
#include "app/router_selection.h"
#include "device/device_link.h"
#include "operation/app_context.h"
#include "support/simulated_network.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::app {
namespace {

using ui::ScriptedDialogDriver;

constexpr int kFirmwareVariable = 0x0104;

struct Fixture {
    test::SimulatedNetwork net;
    std::unique_ptr<device::DeviceLink> link = device::makeLibraryLink();
    AppState state;
    ui::ScriptedHost host;
    AppContext context{state, host, *link};
    std::unique_ptr<CMainDlg> main;

    Fixture() {
        link->initLan();
        host.onSleep([this](int ms) { net.advance(ms); });
    }

    ScriptedDialogDriver open(MainOperations operations = {}) {
        main = std::make_unique<CMainDlg>(context, std::move(operations));
        return host.open(*main);
    }

    int rowOf(const ScriptedDialogDriver& drv, const std::string& name) const {
        for (int row = 0; row < drv.listCount(kMainRouterList); ++row) {
            if (drv.listText(kMainRouterList, row) == name) {
                return row;
            }
        }
        return -1;
    }

    // Reads the firmware text of the selected router with the current
    // community and port; 0 when the router did not answer.
    int readFirmware() {
        MIB_RESPONSE entry{};
        const int variable = kFirmwareVariable;
        return link->getInfo(state.selected().ipAddress, 0, 1, &variable, &entry);
    }
};

routersim::RouterConfig router(int family, const char* name, const char* address,
                               const char* password = "", const char* mask = "255.255.255.0") {
    routersim::RouterConfig config;
    config.family = family;
    config.name = name;
    config.address = address;
    config.password = password;
    config.netmask = mask;
    return config;
}

TEST(MainWindowOnLoopback, ListsEveryRouterThatAnswers) {
    Fixture f;
    f.net.add(router(1, "Warehouse", "127.0.0.31"));
    f.net.add(router(2, "Head Office", "127.0.0.32", "secret"));
    f.net.add(router(2, "Branch", "127.0.0.33"));
    auto drv = f.open();

    EXPECT_TRUE(f.host.messages().empty());
    ASSERT_EQ(drv.listCount(kMainRouterList), 3);
    std::set<std::pair<std::string, std::string>> rows;
    for (int row = 0; row < 3; ++row) {
        rows.insert({drv.listText(kMainRouterList, row, 0), drv.listText(kMainRouterList, row, 1)});
    }
    EXPECT_EQ(rows, (std::set<std::pair<std::string, std::string>>{{"Warehouse", "127.0.0.31"},
                                                                   {"Head Office", "127.0.0.32"},
                                                                   {"Branch", "127.0.0.33"}}));
    EXPECT_EQ(drv.text(kMainSelectedLabel),
              "Selected ISDN Router: " + drv.listText(kMainRouterList, 0));
    const int warehouse = f.rowOf(drv, "Warehouse");
    EXPECT_EQ(f.state.devices[static_cast<std::size_t>(warehouse)].family, 1);
    EXPECT_STREQ(f.state.devices[static_cast<std::size_t>(warehouse)].localAddress, "127.0.0.1");
}

TEST(MainWindowOnLoopback, EmptyLoopbackReportsNoDevices) {
    Fixture f;
    auto drv = f.open();
    EXPECT_EQ(f.host.messageTexts(),
              (std::vector<std::string>{"No compatible devices detected on LAN"}));
    EXPECT_FALSE(drv.isEnabled(kMainSetup));
}

TEST(MainWindowOnLoopback, LoginOpensTheRouterOnlyWithItsPassword) {
    Fixture f;
    f.net.add(router(2, "Head Office", "127.0.0.34", "secret"));
    auto drv = f.open();
    ASSERT_EQ(drv.listCount(kMainRouterList), 1);

    f.host.expectDialog(kPasswordTemplate, [](auto& d) {
        d.type(kPasswordEdit, "Secret");
        d.click(ui::kIdOk);
    });
    EXPECT_FALSE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"Wrong Password"}));

    f.host.expectDialog(kPasswordTemplate, [](auto& d) {
        d.type(kPasswordEdit, "secret");
        d.click(ui::kIdOk);
    });
    ASSERT_TRUE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_EQ(f.readFirmware(), 1);

    // A community the router does not know gets no answer at all.
    f.link->setCommunity("guess");
    const test::BriefWait unanswered;
    EXPECT_EQ(f.readFirmware(), 0);
}

TEST(MainWindowOnLoopback, FamilyOneRouterAnswersTheFixedCommunityAfterSave) {
    Fixture f;
    f.net.add(router(1, "Warehouse", "127.0.0.35", "secret"));
    f.open();
    f.host.expectDialog(kPasswordTemplate, [](auto& d) {
        d.type(kPasswordEdit, "secret");
        d.click(ui::kIdOk);
    });
    ASSERT_TRUE(beginRouterOperation(f.context, *f.main, LoginFor::Save));
    EXPECT_EQ(f.readFirmware(), 1);
}

TEST(MainWindowOnLoopback, RouterOnAnotherNetworkMovesAndIsListedAtItsNewAddress) {
    Fixture f;
    auto& branch = f.net.add(router(2, "Branch", "127.1.0.10"));
    f.net.add(router(2, "Office", "127.0.0.120"));
    auto drv = f.open();
    ASSERT_EQ(drv.listCount(kMainRouterList), 2);
    ASSERT_EQ(f.rowOf(drv, "Branch"), 1);
    drv.clickRow(kMainRouterList, 1);
    ASSERT_STREQ(f.state.devices[1].localAddress, "127.0.0.1");
    ASSERT_TRUE(outsideLocalNetwork(f.state.devices[1]));

    f.host.expectDialog(kIpAddressTemplate, [&](ScriptedDialogDriver& d) {
        EXPECT_EQ(d.text(kIpCurrentAddress), "127.1.0.10");
        EXPECT_EQ(d.text(kIpNewAddress[0]), "127");
        EXPECT_EQ(d.text(kIpNewAddress[1]), "0");
        EXPECT_EQ(d.text(kIpNewAddress[2]), "0");
        d.type(kIpNewAddress[3], "93");
        d.click(ui::kIdOk);
    });
    EXPECT_FALSE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));

    EXPECT_TRUE(f.host.messages().empty()) << f.host.messageTexts().front();
    ASSERT_EQ(f.host.waits().size(), 1u);
    EXPECT_EQ(f.host.waits()[0].ms, 6000);
    EXPECT_EQ(branch.address(), "127.0.0.93");
    ASSERT_EQ(drv.listCount(kMainRouterList), 2);
    EXPECT_EQ(drv.listText(kMainRouterList, 0, 1), "127.0.0.93");
    EXPECT_FALSE(outsideLocalNetwork(f.state.devices[0]));
    // Now listed first: the choice moved with it.
    EXPECT_EQ(drv.listSelectionMark(kMainRouterList), 0);
    EXPECT_TRUE(drv.listIsSelected(kMainRouterList, 0));
    EXPECT_EQ(drv.text(kMainSelectedLabel), "Selected ISDN Router: Branch");

    // The next Setup goes straight on, and the router answers there.
    ASSERT_TRUE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_EQ(f.readFirmware(), 1);
}

TEST(MainWindowOnLoopback, EnterRunsSetupUpToTheSettingsSheet) {
    Fixture f;
    f.net.add(router(1, "Warehouse", "127.0.0.36"));
    auto drv = f.open(standardOperations(f.context));
    f.host.expectSheet([](ui::ScriptedSheetDriver& sheet) { sheet.pressCancel(); });
    drv.pressEnter();
    EXPECT_TRUE(f.host.messages().empty()) << f.host.messageTexts().front();
    EXPECT_EQ(f.host.sheetsShown(), (std::vector<std::string>{"Warehouse"}));
    EXPECT_EQ(f.host.waitCursorDepth(), 0);
}

} // namespace
} // namespace tolvaro::app
