#include "app/router_selection.h"

#include <gtest/gtest.h>

#include "app/ip_address_dlg.h"
#include "app/main_dlg.h"
#include "app/password_dlg.h"
#include "support/main_window_harness.h"

namespace tolvaro::app {
namespace {

using test::DeviceOp;
using test::makeRouter;
using ui::ScriptedDialogDriver;

// Two LAN routers, a Remote row at index 2 for 10.9.9.9, and remote
// connections of which two match that address.
struct RemoteFixture : test::MainWindowHarness {
    ScriptedDialogDriver drv;
    RemoteFixture()
        : drv((device.routers = {makeRouter("Office", "192.168.1.1"),
                                 makeRouter("Lab", "192.168.1.2", "", 1)},
               open())) {
        state.remoteConnections = {
            {"10.9.9.9", "8161", "first", "10.9.9.1", "255.0.0.0"},
            {"10.7.7.7", "9000", "other", "10.7.7.1", "255.0.0.0"},
            {"10.9.9.9", "8262", "second", "10.9.9.2", "255.255.0.0"},
        };
        main->routerList().insert(2, "Remote");
        main->routerList().setText(2, 1, "10.9.9.9");
        state.remoteRow = 2;
        host.clearRecords();
        device.clearCalls();
    }
};

TEST(RemoteSelection, LastMatchingConnectionFillsTheRecord) {
    RemoteFixture f;
    f.drv.clickRow(kMainRouterList, 2);

    EXPECT_EQ(f.state.remoteFlag, 1);
    EXPECT_EQ(f.drv.text(kMainSelectedLabel), "Selected ISDN Router: Remote");
    const DEVICE_INFO& r = f.state.devices[2];
    EXPECT_EQ(r.family, 2);
    EXPECT_STREQ(r.ipAddress, "10.9.9.9");
    EXPECT_STREQ(r.password, "second");
    EXPECT_STREQ(r.localAddress, "10.9.9.2");
    EXPECT_STREQ(r.netmask, "255.255.0.0");
    EXPECT_EQ(f.state.remotePort, 8262);
    EXPECT_EQ(f.state.selectedIndex, 0) << "a click does not choose";
}

struct RowTextCase {
    const char* name;
    int row;
    const char* text;
    bool remote;
};

class RemoteRowText : public testing::TestWithParam<RowTextCase> {};

// The remote row is the one the remote connection added, whatever the texts.
TEST_P(RemoteRowText, OnlyTheAddedRowIsTheRemoteRow) {
    RemoteFixture f;
    f.main->routerList().setText(GetParam().row, 0, GetParam().text);
    f.drv.clickRow(kMainRouterList, GetParam().row);
    EXPECT_EQ(f.state.remoteFlag, GetParam().remote ? 1 : 0);
    EXPECT_EQ(f.state.devices[1].family, 1) << "a LAN record keeps its family";
}

INSTANTIATE_TEST_SUITE_P(Texts, RemoteRowText,
                         testing::Values(RowTextCase{"added_row", 2, "Remote", true},
                                         RowTextCase{"lan_router_named_Remote", 1, "Remote", false},
                                         RowTextCase{"added_row_any_text", 2, "remote", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RemoteSelection, OverlongConnectionTextsAreCutToTheirFields) {
    RemoteFixture f;
    f.state.remoteConnections.push_back({"10.9.9.9", "99999999999", std::string(40, 'p'),
                                         std::string(60, 'l'), std::string(40, 'm')});
    f.drv.clickRow(kMainRouterList, 2);
    const DEVICE_INFO& r = f.state.devices[2];
    EXPECT_EQ(std::string(r.password), std::string(12, 'p'));
    EXPECT_EQ(std::string(r.localAddress), std::string(32, 'l'));
    EXPECT_EQ(std::string(r.netmask), std::string(20, 'm'));
    EXPECT_EQ(f.state.remotePort, 0) << "a port beyond int does not wrap";
    EXPECT_EQ(r.family, 2);
}

TEST(RemoteSelection, ChoosingTheRemoteRowAndThenALanRow) {
    RemoteFixture f;
    f.drv.clickRow(kMainRouterList, 2);
    ASSERT_TRUE(chooseRouter(f.context, *f.main));
    EXPECT_EQ(f.state.selectedIndex, 2);
    EXPECT_EQ(f.state.remoteFlag, 1);

    f.drv.clickRow(kMainRouterList, 1);
    ASSERT_TRUE(chooseRouter(f.context, *f.main));
    EXPECT_EQ(f.state.selectedIndex, 1);
    EXPECT_EQ(f.state.remoteFlag, 0);
    EXPECT_EQ(f.state.devices[1].family, 1) << "LAN records keep their family";
}

TEST(ChooseRouter, NoMarkAsksForAChoice) {
    RemoteFixture f;
    f.state.selectedIndex = 1;
    f.state.loginResult = kLoginAccepted;
    f.drv.clickRow(kMainRouterList, -1);
    EXPECT_FALSE(chooseRouter(f.context, *f.main));
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"You have to select a router"}));
    EXPECT_EQ(f.state.selectedIndex, 1);
    EXPECT_EQ(f.state.loginResult, 0);
}

TEST(ChooseRouter, MarkOnARowWithoutSelectionStillChooses) {
    RemoteFixture f;
    f.main->routerList().setSelected(-1, false);
    f.main->routerList().setSelectionMark(1);
    EXPECT_TRUE(chooseRouter(f.context, *f.main));
    EXPECT_EQ(f.state.selectedIndex, 1);
}

TEST(ChooseRouter, RowBeyondTheDeviceTableHasNoRecord) {
    test::MainWindowHarness h;
    for (int i = 0; i < kDeviceTableSize; ++i) {
        h.device.routers.push_back(makeRouter("R", "192.168.1." + std::to_string(i + 1)));
    }
    auto drv = h.open();
    h.main->routerList().insert(kDeviceTableSize, "Remote");
    h.main->routerList().setText(kDeviceTableSize, 1, "10.9.9.9");
    h.state.remoteRow = kDeviceTableSize;
    h.state.remoteConnections.push_back({"10.9.9.9", "8161", "", "10.9.9.1", "255.0.0.0"});
    drv.clickRow(kMainRouterList, kDeviceTableSize);
    EXPECT_EQ(h.state.remoteFlag, 1);
    EXPECT_FALSE(chooseRouter(h.context, *h.main));
    EXPECT_EQ(h.host.messageTexts(), (std::vector<std::string>{"You have to select a router"}));
}

struct SubnetCase {
    const char* name;
    const char* address;
    const char* mask;
    const char* local;
    bool outside;
};

class SubnetCheck : public testing::TestWithParam<SubnetCase> {};

TEST_P(SubnetCheck, ComparesUnderTheRoutersMask) {
    const auto& c = GetParam();
    const DEVICE_INFO r = makeRouter("R", c.address, "", 2, c.mask, c.local);
    EXPECT_EQ(outsideLocalNetwork(r), c.outside);
}

INSTANTIATE_TEST_SUITE_P(
    Records, SubnetCheck,
    testing::Values(
        SubnetCase{"same_class_c", "192.168.1.1", "255.255.255.0", "192.168.1.34", false},
        SubnetCase{"other_class_c", "192.168.2.1", "255.255.255.0", "192.168.1.34", true},
        SubnetCase{"wide_mask_joins", "127.1.0.10", "255.0.0.0", "127.0.0.1", false},
        SubnetCase{"loopback_other_net", "127.1.0.10", "255.255.255.0", "127.0.0.1", true},
        SubnetCase{"empty_mask_matches_all", "10.0.0.1", "", "192.168.1.1", false},
        SubnetCase{"unparsable_local_address", "10.0.0.1", "255.0.0.0", "none", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the start of Setup, Save and Load ----

struct BeginFixture : test::MainWindowHarness {
    ScriptedDialogDriver drv;
    explicit BeginFixture(const char* address, const char* password = "")
        : drv((device.routers = {makeRouter("Office", address, password, 2, "255.255.255.0",
                                            "192.168.1.34")},
               open())) {
        device.freeIp = "192.168.1.60";
        host.clearRecords();
        device.clearCalls();
    }
};

void enterPassword(ScriptedDialogDriver& d) {
    d.type(kPasswordEdit, "secret");
    d.click(ui::kIdOk);
}

TEST(BeginRouterOperation, RouterOnTheLocalNetworkGoesStraightOn) {
    BeginFixture f("192.168.1.1");
    EXPECT_TRUE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_EQ(f.device.opNames(), (std::vector<std::string>{"PSSetCommunity", "PSSetSnmpPort"}));
    EXPECT_TRUE(f.host.dialogsShown().empty());
}

TEST(BeginRouterOperation, RouterElsewhereGetsAnAddressAndTheOperationEnds) {
    BeginFixture f("10.1.1.1");
    f.host.expectDialog(kIpAddressTemplate, [](auto& d) { d.click(ui::kIdOk); });
    f.device.routers = {makeRouter("Office", "192.168.1.60")};
    EXPECT_FALSE(beginRouterOperation(f.context, *f.main, LoginFor::Save));
    const auto set = f.device.callsOf(DeviceOp::UdpSetIp);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].text, "192.168.1.60");
    EXPECT_EQ(f.host.waits().size(), 1u);
    EXPECT_EQ(f.drv.listText(kMainRouterList, 0, 1), "192.168.1.60");
    EXPECT_EQ(f.state.loginResult, 0);
}

TEST(BeginRouterOperation, CancelledAddressDialogEndsTheOperation) {
    BeginFixture f("10.1.1.1");
    f.host.expectDialog(kIpAddressTemplate, [](auto& d) { d.click(ui::kIdCancel); });
    EXPECT_FALSE(beginRouterOperation(f.context, *f.main, LoginFor::Load));
    EXPECT_TRUE(f.host.waits().empty());
}

TEST(BeginRouterOperation, PasswordIsAskedTwiceAndASecondCancelGoesOn) {
    BeginFixture f("10.1.1.1", "secret");
    f.host.expectDialog(kPasswordTemplate, enterPassword);
    f.host.expectDialog(kPasswordTemplate, [](auto& d) { d.click(ui::kIdCancel); });
    EXPECT_TRUE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_EQ(f.host.dialogsShown(), (std::vector<int>{kPasswordTemplate, kPasswordTemplate}));
    EXPECT_EQ(f.state.loginResult, 2);
    EXPECT_TRUE(f.device.callsOf(DeviceOp::UdpSetIp).empty());
}

TEST(BeginRouterOperation, WrongPasswordInTheAddressChangeEndsTheOperation) {
    BeginFixture f("10.1.1.1", "secret");
    f.host.expectDialog(kPasswordTemplate, enterPassword);
    f.host.expectDialog(kPasswordTemplate, [](auto& d) {
        d.type(kPasswordEdit, "nope");
        d.click(ui::kIdOk);
    });
    EXPECT_FALSE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"Wrong Password"}));
}

TEST(BeginRouterOperation, RemoteRowSkipsTheSubnetCheck) {
    BeginFixture f("192.168.1.1");
    f.state.remoteConnections.push_back({"10.9.9.9", "8161", "", "", "255.255.255.0"});
    f.main->routerList().insert(1, "Remote");
    f.main->routerList().setText(1, 1, "10.9.9.9");
    f.state.remoteRow = 1;
    f.drv.clickRow(kMainRouterList, 1);
    f.device.clearCalls();
    EXPECT_TRUE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_TRUE(f.host.dialogsShown().empty());
    EXPECT_EQ(f.device.snmpPort, 8161);
    EXPECT_EQ(f.device.community, "TiLvOrA");
}

TEST(BeginRouterOperation, NothingChosenStopsBeforeTheLogin) {
    BeginFixture f("192.168.1.1", "secret");
    f.drv.clickRow(kMainRouterList, -1);
    EXPECT_FALSE(beginRouterOperation(f.context, *f.main, LoginFor::Setup));
    EXPECT_TRUE(f.device.calls().empty());
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"You have to select a router"}));
}

} // namespace
} // namespace tolvaro::app
