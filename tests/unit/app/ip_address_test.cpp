#include "app/ip_address_dlg.h"

#include <gtest/gtest.h>

#include "app/main_dlg.h"
#include "app/password_dlg.h"
#include "device/device_record.h"
#include "operation/app_context.h"
#include "support/main_window_harness.h"

namespace tolvaro::app {
namespace {

using test::DeviceOp;
using test::makeRouter;
using ui::ScriptedDialogDriver;

struct DialogFixture {
    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    LoginResult result = static_cast<LoginResult>(7);

    DialogFixture() {
        state.devices[1] = makeRouter("Office", "10.0.0.1", "", 2, "255.255.255.0", "10.0.0.7");
        state.selectedIndex = 1;
        device.freeIp = "10.0.0.2";
    }
};

void typeOctets(ScriptedDialogDriver& d, const int (&ids)[4], const std::array<const char*, 4>& v) {
    for (std::size_t i = 0; i < 4; ++i) {
        d.type(ids[i], v[i]);
    }
}

TEST(IpAddressDialog, StartProposesAFreeAddressOnTheComputersNetwork) {
    DialogFixture f;
    CIpAddressDlg dialog(f.context, &f.result);
    EXPECT_EQ(f.result, 0) << "nothing changed yet";
    auto d = f.host.open(dialog);

    EXPECT_EQ(d.caption(), "IP Address");
    EXPECT_EQ(d.text(kIpCurrentAddress), "10.0.0.1");
    EXPECT_EQ(d.text(kIpCurrentMask), "255.255.255.0");
    const auto queries = f.device.callsOf(DeviceOp::QueryFreeIp);
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].text, "10.0.0.0");
    EXPECT_TRUE(queries[0].sameBuffer);
    const char* address[] = {"10", "0", "0", "2"};
    const char* mask[] = {"255", "255", "255", "0"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.text(kIpNewAddress[i]), address[i]);
        EXPECT_EQ(d.text(kIpNewMask[i]), mask[i]);
        EXPECT_EQ(d.textLimit(kIpNewAddress[i]), 3);
        EXPECT_EQ(d.textLimit(kIpNewMask[i]), 3);
    }
    EXPECT_EQ(f.host.cursorChanges(),
              (std::vector<ui::CursorChange>{ui::CursorChange::Begin, ui::CursorChange::End}));
}

TEST(IpAddressDialog, NothingWrittenByTheLibraryProposesTheNetworkItself) {
    DialogFixture f;
    f.device.freeIp.reset();
    f.device.queryFreeIpResult = 0;
    CIpAddressDlg dialog(f.context, &f.result);
    auto d = f.host.open(dialog);
    EXPECT_EQ(d.text(kIpNewAddress[0]), "10");
    EXPECT_EQ(d.text(kIpNewAddress[3]), "0");
}

// A router on none of our networks whose reply's interface is unknown: no
// address is proposed rather than one on 0.0.0.0; the mask still is.
TEST(IpAddressDialog, UnknownLocalAddressProposesNoAddress) {
    for (const char* local : {"", "0.0.0.0"}) {
        DialogFixture f;
        device::setField(f.state.devices[1].localAddress, local);
        CIpAddressDlg dialog(f.context, &f.result);
        auto d = f.host.open(dialog);
        EXPECT_TRUE(f.device.callsOf(DeviceOp::QueryFreeIp).empty()) << local;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(d.text(kIpNewAddress[i]), "") << local;
        }
        EXPECT_EQ(d.text(kIpNewMask[0]), "255") << local;
        EXPECT_TRUE(f.host.cursorChanges().empty()) << local;
    }
}

struct NetworkCase {
    const char* name;
    const char* local;
    const char* network;
};

class LocalNetwork : public testing::TestWithParam<NetworkCase> {};

TEST_P(LocalNetwork, CutsAfterTheThirdPoint) {
    EXPECT_EQ(localNetworkText(GetParam().local), GetParam().network);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LocalNetwork,
    testing::Values(NetworkCase{"class_c", "192.168.1.34", "192.168.1.0"},
                    NetworkCase{"class_a_ignores_mask", "10.0.0.7", "10.0.0.0"},
                    NetworkCase{"loopback", "127.0.0.1", "127.0.0.0"},
                    NetworkCase{"empty", "", "0.0.0.0"},
                    NetworkCase{"two_points", "10.1.2", "10.1.2.0"},
                    NetworkCase{"leading_zeros_kept", "010.001.002.003", "010.001.002.0"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ChangeCase {
    const char* name;
    std::array<const char*, 4> address;
    std::array<const char*, 4> mask;
    const char* message; // nullptr: accepted
    const char* addressText;
    const char* maskText;
};

class IpAddressChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(IpAddressChange, ChecksInOrderThenSetsTheAddress) {
    const auto& c = GetParam();
    DialogFixture f;
    CIpAddressDlg dialog(f.context, &f.result);
    auto d = f.host.open(dialog);
    typeOctets(d, kIpNewAddress, c.address);
    typeOctets(d, kIpNewMask, c.mask);
    f.host.clearRecords();
    d.click(ui::kIdOk);

    const auto sets = f.device.callsOf(DeviceOp::UdpSetIp);
    if (c.message) {
        EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{c.message}));
        EXPECT_TRUE(d.isOpen());
        EXPECT_TRUE(sets.empty());
        EXPECT_EQ(f.result, 0);
        EXPECT_STREQ(f.state.devices[1].ipAddress, "10.0.0.1");
        return;
    }
    EXPECT_TRUE(f.host.messages().empty());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_STREQ(sets[0].record.name, "Office");
    EXPECT_STREQ(sets[0].record.ipAddress, "10.0.0.1") << "the record as it was";
    EXPECT_EQ(sets[0].reserved, 0);
    EXPECT_EQ(sets[0].text, c.addressText);
    EXPECT_EQ(sets[0].newIp2, c.addressText);
    EXPECT_EQ(sets[0].mask, c.maskText);
    EXPECT_EQ(sets[0].flag, 1);
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(f.result, 1);
    EXPECT_EQ(std::string(f.state.devices[1].ipAddress), c.addressText);
    EXPECT_STREQ(f.state.devices[1].netmask, "255.255.255.0") << "the mask is not stored";
}

constexpr const char* kFill = "Please fill each IP field ";
constexpr const char* kAddressErr =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
constexpr const char* kMaskErr =
    " Network mask error.\nFor a network mask, each field must have a value between 0 and 255.";

INSTANTIATE_TEST_SUITE_P(
    Fields, IpAddressChange,
    testing::Values(
        ChangeCase{"accepted",
                   {"10", "0", "0", "9"},
                   {"255", "0", "0", "0"},
                   nullptr,
                   "10.0.0.9",
                   "255.0.0.0"},
        ChangeCase{"all_address_fields_empty",
                   {"", "", "", ""},
                   {"255", "255", "255", "0"},
                   nullptr,
                   "0.0.0.0",
                   "255.255.255.0"},
        ChangeCase{"all_mask_fields_empty",
                   {"10", "0", "0", "9"},
                   {"", "", "", ""},
                   nullptr,
                   "10.0.0.9",
                   "0.0.0.0"},
        ChangeCase{"leading_zeros_dropped",
                   {"010", "000", "000", "009"},
                   {"255", "0", "0", "0"},
                   nullptr,
                   "10.0.0.9",
                   "255.0.0.0"},
        ChangeCase{
            "address_three_of_four", {"10", "0", "", "9"}, {"255", "0", "0", "0"}, kFill, "", ""},
        ChangeCase{"address_octet_256",
                   {"10", "256", "0", "9"},
                   {"255", "0", "0", "0"},
                   kAddressErr,
                   "",
                   ""},
        ChangeCase{
            "mask_three_of_four", {"10", "0", "0", "9"}, {"255", "", "0", "0"}, kFill, "", ""},
        ChangeCase{
            "mask_octet_256", {"10", "0", "0", "9"}, {"255", "256", "0", "0"}, kMaskErr, "", ""},
        ChangeCase{"address_error_before_mask_emptiness",
                   {"999", "0", "0", "9"},
                   {"255", "", "0", "0"},
                   kAddressErr,
                   "",
                   ""},
        ChangeCase{"address_emptiness_before_range",
                   {"", "0", "0", "999"},
                   {"999", "0", "0", "0"},
                   kFill,
                   "",
                   ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IpAddressDialog, RefusedChangeStaysOpen) {
    DialogFixture f;
    f.device.udpSetIpResult = 0;
    CIpAddressDlg dialog(f.context, &f.result);
    auto d = f.host.open(dialog);
    d.click(ui::kIdOk);
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"IPSUdpSetIP fail"}));
    EXPECT_TRUE(d.isOpen());
    EXPECT_EQ(f.result, 0);
    EXPECT_STREQ(f.state.devices[1].ipAddress, "10.0.0.1");
    d.click(ui::kIdCancel);
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(f.result, 0);
}

// ---- the operation, from the main window ----

struct OperationFixture : test::MainWindowHarness {
    ScriptedDialogDriver drv;
    explicit OperationFixture(const char* password = "")
        : drv((device.routers = {makeRouter("Office", "192.168.1.1", password, 2)}, open())) {
        device.freeIp = "192.168.1.50";
        host.clearRecords();
        device.clearCalls();
    }
};

void changeTo(ScriptedDialogDriver& d, const char* last) {
    d.type(kIpNewAddress[3], last);
    d.click(ui::kIdOk);
}

TEST(IpAddressOperation, ChangeWaitsThenListsTheRoutersAnew) {
    OperationFixture f;
    f.host.expectDialog(kIpAddressTemplate, [](auto& d) { changeTo(d, "50"); });
    f.device.routers = {makeRouter("Office", "192.168.1.50")};
    f.drv.click(kMainIpAddress);

    ASSERT_EQ(f.host.waits().size(), 1u);
    EXPECT_EQ(f.host.waits()[0].ms, 6000);
    EXPECT_EQ(f.host.waits()[0].waitCursorDepth, 1);
    EXPECT_EQ(f.host.elapsedMs(), 6000);
    EXPECT_EQ(f.device.opNames(),
              (std::vector<std::string>{"IPSQueryFreeIp", "IPSUDPSetIP", "IPSBrowse"}));
    EXPECT_EQ(f.drv.listText(kMainRouterList, 0, 1), "192.168.1.50");
    EXPECT_EQ(f.state.loginResult, 0);
    EXPECT_EQ(f.host.waitCursorDepth(), 0);
}

TEST(IpAddressOperation, CancelledDialogNeitherWaitsNorRefreshes) {
    OperationFixture f;
    f.host.expectDialog(kIpAddressTemplate, [](auto& d) { d.click(ui::kIdCancel); });
    f.drv.click(kMainIpAddress);
    EXPECT_TRUE(f.host.waits().empty());
    EXPECT_TRUE(f.device.callsOf(DeviceOp::Browse).empty());
    EXPECT_EQ(f.state.loginResult, 0);
}

TEST(IpAddressOperation, NoRowChosen) {
    OperationFixture f;
    f.drv.clickRow(kMainRouterList, -1);
    f.drv.click(kMainIpAddress);
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"You have to select a router"}));
    EXPECT_TRUE(f.device.calls().empty());
}

TEST(IpAddressOperation, MarkWithoutSelectedRowIsNoChoice) {
    OperationFixture f;
    f.main->routerList().setSelected(-1, false);
    ASSERT_EQ(f.drv.listSelectionMark(kMainRouterList), 0);
    f.drv.click(kMainIpAddress);
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"You have to select a router"}));
}

TEST(IpAddressOperation, WrongPasswordStopsBeforeTheDialog) {
    OperationFixture f("secret");
    f.host.expectDialog(kPasswordTemplate, [](auto& d) {
        d.type(kPasswordEdit, "guess");
        d.click(ui::kIdOk);
    });
    f.drv.click(kMainIpAddress);
    EXPECT_EQ(f.host.messageTexts(), (std::vector<std::string>{"Wrong Password"}));
    EXPECT_EQ(f.host.dialogsShown(), (std::vector<int>{kPasswordTemplate}));
    EXPECT_EQ(f.state.loginResult, 0);
}

TEST(IpAddressOperation, CancelledPromptLeavesTheLoginResultAtTwo) {
    OperationFixture f("secret");
    f.host.expectDialog(kPasswordTemplate, [](auto& d) { d.click(ui::kIdCancel); });
    f.drv.click(kMainIpAddress);
    EXPECT_TRUE(f.host.messages().empty());
    EXPECT_EQ(f.host.dialogsShown(), (std::vector<int>{kPasswordTemplate}));
    EXPECT_EQ(f.state.loginResult, 2);
}

TEST(IpAddressOperation, RightPasswordOpensTheDialog) {
    OperationFixture f("secret");
    f.host.expectDialog(kPasswordTemplate, [](auto& d) {
        d.type(kPasswordEdit, "secret");
        d.click(ui::kIdOk);
    });
    f.host.expectDialog(kIpAddressTemplate, [](auto& d) { d.click(ui::kIdCancel); });
    f.drv.click(kMainIpAddress);
    EXPECT_EQ(f.host.dialogsShown(), (std::vector<int>{kPasswordTemplate, kIpAddressTemplate}));
    EXPECT_EQ(f.state.loginResult, 0);
}

} // namespace
} // namespace tolvaro::app
