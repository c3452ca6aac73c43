#include "app/remote_dlg.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/local_address.h"
#include "app/login.h"
#include "app/password_dlg.h"
#include "app/router_selection.h"
#include "device/device_record.h"
#include "res/ids/remote_ids.h"
#include "support/main_window_harness.h"

namespace tolvaro::app {
namespace {

namespace ids = res::remote;
using test::DeviceOp;
using ui::ScriptedDialogDriver;
using Values = std::map<std::string, std::string>;

struct RemoteTest : testing::Test {
    test::MainWindowHarness h;
    ScriptedDialogDriver main = (
        h.device.routers = {test::makeRouter("Office", "127.0.0.2")},
        h.operations.remote = [this](CMainDlg& m) { runRemoteOperation(h.context, m); }, h.open());

    Values& stored() { return h.host.settingsStore.keys[kRemoteSettingsKey]; }

    // Presses Remote; `script` works the dialog, Connect with these texts
    // when none is given.
    void remote(const std::string& address, const std::string& port,
                const std::string& password = "",
                std::function<void(ScriptedDialogDriver&)> script = {}) {
        h.device.clearCalls();
        h.host.clearRecords();
        h.host.expectDialog(ids::kTemplate, [&](ScriptedDialogDriver& d) {
            d.type(ids::kAddress, address);
            d.type(ids::kPort, port);
            d.type(ids::kPassword, password);
            if (script) {
                script(d);
            } else {
                d.click(ui::kIdOk);
            }
        });
        main.click(kMainRemote);
    }
};

TEST_F(RemoteTest, ConnectTestsTheRouterAndListsItAsTheRemoteRow) {
    device::setField(h.state.devices[1].name, "Lab"); // left by an earlier discovery
    remote("127.0.0.9", "8161", "secret");
    EXPECT_EQ(h.device.opNames(),
              (std::vector<std::string>{"PSSetCommunity", "PSSetSnmpPort", "IPSGetInfo"}));
    EXPECT_EQ(h.device.community, "secret");
    EXPECT_EQ(h.device.snmpPort, 8161);
    const auto read = h.device.callsOf(DeviceOp::GetInfo).at(0);
    EXPECT_EQ(std::tie(read.text, read.number, read.variables),
              std::make_tuple(std::string("127.0.0.9"), 0, std::vector<int>{0x4027}));

    ASSERT_EQ(main.listCount(kMainRouterList), 2);
    EXPECT_EQ(main.listText(kMainRouterList, 1, 0), "Remote");
    EXPECT_EQ(main.listText(kMainRouterList, 1, 1), "127.0.0.9");
    EXPECT_EQ(main.listSelectionMark(kMainRouterList), 1);
    EXPECT_TRUE(main.listIsSelected(kMainRouterList, 1));
    EXPECT_EQ(main.focused(), kMainRouterList);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: Remote");
    EXPECT_STREQ(h.state.devices[1].name, "Remote");
    EXPECT_TRUE(main.isEnabled(kMainSetup) && main.isEnabled(kMainSave) &&
                main.isEnabled(kMainLoad));
    EXPECT_FALSE(main.isEnabled(kMainIpAddress));

    ASSERT_EQ(h.state.remoteConnections.size(), 1u);
    const RemoteConnection& c = h.state.remoteConnections[0];
    EXPECT_EQ(std::vector<std::string>({c.ip, c.port, c.password, c.localAddress, c.mask}),
              (std::vector<std::string>{"127.0.0.9", "8161", "secret", "127.0.0.1", "255.0.0.0"}));
    EXPECT_EQ(stored(), (Values{{"IPADDRESS_1", "127.0.0.9"}, {"PORTNUM_1", "8161"}}));
    EXPECT_EQ(h.host.waitCursorDepth(), 0);
}

TEST_F(RemoteTest, NoAnswerKeepsTheDialogOpenUntilACorrectedConnect) {
    h.device.getHandler = [](const test::DeviceCall& call, MIB_RESPONSE*) {
        return call.text == "127.0.0.9" ? 1 : 0;
    };
    remote("127.0.0.8", "8161", "", [&](ScriptedDialogDriver& d) {
        EXPECT_EQ(d.text(ids::kConnectionStatus), "No Connection");
        d.click(ui::kIdOk);
        EXPECT_TRUE(d.isOpen());
        EXPECT_EQ(d.text(ids::kConnectionStatus), "Error - no response");
        EXPECT_EQ(h.state.connectionResult, 0);
        EXPECT_TRUE(h.state.remoteConnections.empty());
        EXPECT_TRUE(stored().empty());
        d.type(ids::kAddress, "127.0.0.9");
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(h.device.community, "TiLvOrA") << "no password";
    EXPECT_EQ(h.state.connectedAddress, "127.0.0.9");
    EXPECT_EQ(main.listText(kMainRouterList, 1, 1), "127.0.0.9");
    EXPECT_EQ(stored().at("IPADDRESS_1"), "127.0.0.9");
}

struct RefusalRow {
    const char* name;
    const char* address;
    const char* port;
    const char* password;
    const char* message;
    int focus;
};

class RemoteRefusal : public RemoteTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(RemoteRefusal, ShowsItsMessageAndKeepsTheDialogOpen) {
    const RefusalRow& row = GetParam();
    remote(row.address, row.port, row.password, [&](ScriptedDialogDriver& d) {
        d.click(ui::kIdOk);
        EXPECT_TRUE(d.isOpen());
        EXPECT_EQ(d.focused(), row.focus);
        EXPECT_EQ(d.text(ids::kConnectionStatus), "Please wait...");
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(h.host.messageTexts(), std::vector<std::string>{row.message});
    EXPECT_TRUE(h.device.calls().empty());
    EXPECT_EQ(main.listCount(kMainRouterList), 1);
    EXPECT_EQ(h.host.waitCursorDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RemoteRefusal,
    testing::Values(
        RefusalRow{"EmptyAddress", "", "8161", "", "Please Enter IP Address", ids::kAddress},
        RefusalRow{"EmptyPort", "127.0.0.9", "", "", "Please Enter Port Number", ids::kPort},
        RefusalRow{"AddressOfTwentyCharacters", "127.000.000.00000009", "8161", "",
                   remote_text::kAddressTooLong, ids::kAddress},
        RefusalRow{"PortWithALetter", "127.0.0.9", "81a", "", remote_text::kPortInvalid,
                   ids::kPort},
        RefusalRow{"PasswordOfThirteenCharacters", "127.0.0.9", "8161", "abcdefghijklm",
                   remote_text::kPasswordTooLong, ids::kPassword}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemoteTest, LongestTextsTheRemoteEntryHoldsAreAccepted) {
    remote("127.000.000.0000009", "65535", "abcdefghijkl");
    EXPECT_EQ(h.device.snmpPort, 65535);
    EXPECT_EQ(main.listText(kMainRouterList, 1, 1), "127.000.000.0000009");
}

TEST_F(RemoteTest, TenthAddressDropsTheOldestAndTheListShowsNewestFirst) {
    std::vector<std::string> newestFirst;
    for (int i = 1; i <= 9; ++i) {
        stored()["IPADDRESS_" + std::to_string(i)] = "127.0.0." + std::to_string(i);
        newestFirst.insert(newestFirst.begin(), "127.0.0." + std::to_string(i));
    }
    stored()["PORTNUM_1"] = "8161";
    stored()["PORTNUM_3"] = "9000"; // unreachable behind the missing second value
    remote("127.0.0.10", "8161", "", [&](ScriptedDialogDriver& d) {
        d.dropDown(ids::kAddress);
        EXPECT_EQ(d.comboItems(ids::kAddress), newestFirst);
        d.dropDown(ids::kPort);
        EXPECT_EQ(d.comboItems(ids::kPort), std::vector<std::string>{"8161"});
        d.click(ui::kIdOk);
    });
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(stored().at("IPADDRESS_" + std::to_string(i)),
                  "127.0.0." + std::to_string(i + 1));
    }
    EXPECT_EQ(stored().at("PORTNUM_1"), "8161");
    EXPECT_EQ(stored().count("PORTNUM_2"), 0u) << "a known port is not added again";
}

struct CaseRow {
    const char* name;
    const char* typed;
    bool openedList;
    bool added;
};

class RemoteRecentCase : public RemoteTest, public testing::WithParamInterface<CaseRow> {};

TEST_P(RemoteRecentCase, ListedItemsCompareWithoutCaseTheStoredOnesExactly) {
    stored() = {{"IPADDRESS_1", "localhost"}, {"PORTNUM_1", "8161"}};
    remote("", "8161", "", [](ScriptedDialogDriver& d) {
        if (GetParam().openedList) {
            d.dropDown(ids::kAddress);
        }
        d.type(ids::kAddress, GetParam().typed);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(stored().count("IPADDRESS_2"), GetParam().added ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Compare, RemoteRecentCase,
                         testing::Values(CaseRow{"OtherCaseWhileListed", "LOCALHOST", true, false},
                                         CaseRow{"OtherCaseNotListed", "LOCALHOST", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct StoreRow {
    const char* name;
    bool failOpen, failCreate, failWrite;
    int messages;
};

class RemoteStoreFailure : public RemoteTest, public testing::WithParamInterface<StoreRow> {};

TEST_P(RemoteStoreFailure, ShowsTheRegistryMessageAndStillConnects) {
    h.host.settingsStore.failOpen = GetParam().failOpen;
    h.host.settingsStore.failCreate = GetParam().failCreate;
    h.host.settingsStore.failWrite = GetParam().failWrite;
    remote("127.0.0.9", "8161");
    EXPECT_EQ(h.host.messageTexts(),
              std::vector<std::string>(static_cast<std::size_t>(GetParam().messages),
                                       "Errors occur when reading system registry. You may need "
                                       "to re-install your windows."));
    EXPECT_EQ(main.listText(kMainRouterList, 1), "Remote");
}

INSTANTIATE_TEST_SUITE_P(Store, RemoteStoreFailure,
                         testing::Values(StoreRow{"KeyAbsentIsCreated", false, false, false, 0},
                                         StoreRow{"KeyUnusable", true, true, false, 2},
                                         StoreRow{"ValuesNotWritten", false, false, true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemoteTest, SecondConnectionToTheSameAddressIsUsedByTheNextOperation) {
    remote("127.0.0.9", "8161", "first");
    remote("127.0.0.9", "8262", "second");
    EXPECT_EQ(main.listCount(kMainRouterList), 2) << "one Remote row";
    EXPECT_EQ(h.state.remoteConnections.size(), 2u);
    EXPECT_EQ(stored().count("IPADDRESS_2"), 0u);
    EXPECT_EQ(stored().at("PORTNUM_2"), "8262");

    h.host.expectDialog(kPasswordTemplate, [](ScriptedDialogDriver& d) {
        d.type(kPasswordEdit, "second");
        d.click(ui::kIdOk);
    });
    ASSERT_TRUE(beginRouterOperation(h.context, *h.main, LoginFor::Setup));
    EXPECT_EQ(h.state.selectedIndex, 1);
    EXPECT_EQ(h.state.devices[1].family, 2);
    EXPECT_EQ(h.device.community, "second");
    EXPECT_EQ(h.device.snmpPort, 8262);
}

TEST_F(RemoteTest, NoRemoteRowWhenTheRouterIsListedClosedOrAnsweredOtherThanOne) {
    remote("127.0.0.2", "8161");
    EXPECT_EQ(h.state.remoteConnections.size(), 1u) << "the connection itself is kept";
    remote("127.0.0.9", "8161", "", [](ScriptedDialogDriver& d) { d.click(ui::kIdCancel); });
    h.device.getHandler = [](const test::DeviceCall&, MIB_RESPONSE*) {
        return 2;
    };
    remote("127.0.0.9", "8161");
    EXPECT_EQ(h.state.remoteConnections.size(), 2u);
    EXPECT_EQ(main.listCount(kMainRouterList), 1);
    EXPECT_TRUE(h.host.messages().empty());
}

TEST(RemoteList, ThirtyThreeRowsDoNotFitTheDeviceTable) {
    test::MainWindowHarness h;
    for (int i = 0; i < kDeviceTableSize; ++i) {
        h.device.routers.push_back(test::makeRouter("R", "127.0.1." + std::to_string(i + 1)));
    }
    h.operations.remote = [&h](CMainDlg& m) {
        runRemoteOperation(h.context, m);
    };
    auto main = h.open();
    h.host.expectDialog(ids::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(ids::kAddress, "127.0.0.9");
        d.type(ids::kPort, "8161");
        d.click(ui::kIdOk);
    });
    main.click(kMainRemote);
    EXPECT_EQ(h.host.messageTexts(), std::vector<std::string>{remote_text::kListFull});
    EXPECT_EQ(main.listCount(kMainRouterList), kDeviceTableSize);
}

struct LocalRow {
    const char* name;
    const char* remote;
    std::vector<std::string> own;
    const char* local;
    const char* mask;
};

class LocalAddress : public testing::TestWithParam<LocalRow> {};

TEST_P(LocalAddress, PicksTheAddressTowardTheRouterAndItsClassMask) {
    const std::string local = localAddressFor(GetParam().remote, GetParam().own);
    EXPECT_EQ(local, GetParam().local);
    EXPECT_EQ(classMask(local), GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LocalAddress,
    testing::Values(
        LocalRow{"ClassA", "10.1.2.9", {"127.0.0.1", "10.1.2.3"}, "10.1.2.3", "255.0.0.0"},
        LocalRow{"ClassB", "172.16.0.9", {"172.16.0.5"}, "172.16.0.5", "255.255.0.0"},
        LocalRow{"ClassC", "192.168.1.9", {"192.168.1.2"}, "192.168.1.2", "255.255.255.0"},
        LocalRow{"LoopbackRouterOnAnother127Network",
                 "127.5.6.7",
                 {"192.168.1.2", "127.0.0.1"},
                 "127.0.0.1",
                 "255.0.0.0"},
        LocalRow{
            "MostSharedNumbersWin", "10.1.9.9", {"10.2.0.1", "10.1.2.3"}, "10.1.2.3", "255.0.0.0"},
        LocalRow{"NothingSharedSkipsLoopback",
                 "10.1.2.9",
                 {"127.0.0.1", "192.168.1.2"},
                 "192.168.1.2",
                 "255.255.255.0"},
        LocalRow{"NoAddressAtAll", "127.0.0.9", {}, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvaro::app
