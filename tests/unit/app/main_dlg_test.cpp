#include "app/main_dlg.h"

#include <map>

#include <gtest/gtest.h>

#include "app/about_dlg.h"
#include "app/search_wait_dlg.h"
#include "support/main_window_harness.h"

namespace tolvaro::app {
namespace {

using test::DeviceOp;
using test::MainWindowHarness;
using test::makeRouter;
using ui::ScriptedDialogDriver;

constexpr int kOperationButtons[] = {kMainSetup, kMainSave, kMainLoad, kMainIpAddress};

std::vector<DEVICE_INFO> threeRouters() {
    return {makeRouter("Office", "192.168.1.1"), makeRouter("Lab", "192.168.1.2", "pw", 1),
            makeRouter("Branch", "192.168.1.3")};
}

void expectOperations(const ScriptedDialogDriver& main, bool enabled) {
    for (int id : kOperationButtons) {
        EXPECT_EQ(main.isEnabled(id), enabled) << "button " << id;
    }
}

TEST(MainWindow, StartListsRoutersAndChoosesTheFirst) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();

    EXPECT_EQ(main.caption(), "Tolvaro V2.4");
    // The wait window appeared around the discovery, then the main window.
    EXPECT_EQ(h.host.dialogsShown(), (std::vector<int>{kMainTemplate, kSearchWaitTemplate}));
    EXPECT_EQ(h.device.opNames(), (std::vector<std::string>{"IPSBrowse"}));
    EXPECT_TRUE(h.host.messages().empty());

    ASSERT_EQ(main.listCount(kMainRouterList), 3);
    EXPECT_EQ(main.listText(kMainRouterList, 1, 0), "Lab");
    EXPECT_EQ(main.listText(kMainRouterList, 1, 1), "192.168.1.2");
    EXPECT_EQ(main.listColumns(kMainRouterList),
              (std::vector<std::string>{"Machine", "IP Address"}));
    // 180 dialog units are 270 pixels in the scripted font: w = 90.
    EXPECT_EQ(main.listColumnWidths(kMainRouterList), (std::vector<int>{90, 176}));

    EXPECT_EQ(main.listSelectionMark(kMainRouterList), 0);
    EXPECT_TRUE(main.listIsSelected(kMainRouterList, 0));
    EXPECT_FALSE(main.listIsSelected(kMainRouterList, 2)) << "only the marked row shows selected";
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: Office");
    expectOperations(main, true);
    EXPECT_FALSE(main.isVisible(kMainWwwSetup));
    EXPECT_FALSE(main.isEnabled(kMainWwwSetup));
}

TEST(MainWindow, StartWithoutRoutersKeepsTheBlankInTheLabel) {
    MainWindowHarness h;
    auto main = h.open();

    EXPECT_EQ(h.host.messageTexts(),
              (std::vector<std::string>{"No compatible devices detected on LAN"}));
    EXPECT_EQ(main.listCount(kMainRouterList), 0);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: ");
    EXPECT_EQ(main.listSelectionMark(kMainRouterList), -1);
    expectOperations(main, false);
    EXPECT_TRUE(main.isEnabled(kMainRefresh));
    EXPECT_TRUE(main.isEnabled(kMainRemote));
}

TEST(MainWindow, StartKeepsIpAddressOffWhileTheRemoteFlagIsSet) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    h.state.remoteFlag = 1;
    auto main = h.open();
    EXPECT_TRUE(main.isEnabled(kMainSetup));
    EXPECT_FALSE(main.isEnabled(kMainIpAddress));
}

TEST(MainWindow, MisreportedCountIsHeldToTheTable) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    h.device.browseCount = 500;
    auto main = h.open();
    EXPECT_EQ(h.state.deviceCount, kDeviceTableSize);
    EXPECT_EQ(main.listCount(kMainRouterList), kDeviceTableSize);

    MainWindowHarness negative;
    negative.device.browseCount = -3;
    auto other = negative.open();
    EXPECT_EQ(negative.state.deviceCount, 0);
    EXPECT_EQ(other.listCount(kMainRouterList), 0);
}

TEST(MainWindow, UnterminatedNameIsCutAtItsField) {
    MainWindowHarness h;
    DEVICE_INFO r = makeRouter("x", "192.168.1.1");
    std::fill(std::begin(r.name), std::end(r.name), 'N');
    h.device.routers = {r};
    auto main = h.open();
    EXPECT_EQ(main.listText(kMainRouterList, 0, 0), std::string(20, 'N'));
}

struct RefreshCase {
    const char* name;
    int selectedIndex;
    int found; // routers the second discovery finds
    const char* label;
    int mark;
    bool operations;
};

class MainWindowRefresh : public testing::TestWithParam<RefreshCase> {};

TEST_P(MainWindowRefresh, RebuildsTheListAroundTheSelectedIndex) {
    const auto& c = GetParam();
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();
    h.state.selectedIndex = c.selectedIndex;
    main.clickRow(kMainRouterList, c.selectedIndex);
    auto second = threeRouters();
    second.resize(static_cast<std::size_t>(c.found));
    h.device.routers = second;
    h.host.clearRecords();

    main.click(kMainRefresh);

    EXPECT_EQ(main.listCount(kMainRouterList), c.found);
    EXPECT_EQ(main.text(kMainSelectedLabel), c.label);
    EXPECT_EQ(main.listSelectionMark(kMainRouterList), c.mark);
    for (int row = 0; row < c.found; ++row) {
        EXPECT_EQ(main.listIsSelected(kMainRouterList, row), row == c.mark) << "row " << row;
    }
    expectOperations(main, c.operations);
    EXPECT_EQ(h.state.selectedIndex, c.selectedIndex);
    EXPECT_TRUE(h.host.messages().empty()) << "Refresh never reports an empty LAN";
    EXPECT_EQ(h.host.cursorChanges(),
              (std::vector<ui::CursorChange>{ui::CursorChange::Begin, ui::CursorChange::End}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowRefresh,
    testing::Values(RefreshCase{"same_routers", 1, 3, "Selected ISDN Router: Lab", 1, true},
                    RefreshCase{"none_found_no_trailing_blank", 1, 0, "Selected ISDN Router:", -1,
                                false},
                    // The chosen router is gone: nothing chosen rather than another one.
                    RefreshCase{"fewer_than_the_index", 2, 1, "Selected ISDN Router:", -1, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct FollowCase {
    const char* name;
    bool hardwareKnown;
    std::vector<const char*> after; // names found by the second discovery, by row
    int mark;
    const char* label;
};

class MainWindowRefreshFollows : public testing::TestWithParam<FollowCase> {};

// Branch (row 2) is chosen; the second discovery lists the routers anew,
// Branch at a new address when the hardware address is known.
TEST_P(MainWindowRefreshFollows, TheChosenRouterWhereverItNowStands) {
    const auto& c = GetParam();
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();
    main.clickRow(kMainRouterList, 2);
    const std::map<std::string, DEVICE_INFO> byName = {
        {"Office", makeRouter("Office", "192.168.1.1")},
        {"Lab", makeRouter("Lab", "192.168.1.2")},
        {"Branch", makeRouter("Branch", c.hardwareKnown ? "192.168.1.0" : "192.168.1.3")},
        {"Other", makeRouter("Other", "192.168.1.3")}};
    if (c.hardwareKnown) {
        // What the library knows before and after the second discovery.
        h.device.hardware = {{"192.168.1.1", {2, 0, 0, 0, 0, 1}},
                             {"192.168.1.2", {2, 0, 0, 0, 0, 2}},
                             {"192.168.1.3", {2, 0, 0, 0, 0, 3}}};
        h.device.onCall = [&h](const test::DeviceCall& call) {
            if (call.op == DeviceOp::Browse) {
                h.device.hardware["192.168.1.0"] = {2, 0, 0, 0, 0, 3};
                h.device.hardware["192.168.1.3"] = {2, 0, 0, 0, 0, 9};
            }
        };
    }
    h.device.routers.clear();
    for (const char* name : c.after) {
        h.device.routers.push_back(byName.at(name));
    }
    main.click(kMainRefresh);

    EXPECT_EQ(main.listSelectionMark(kMainRouterList), c.mark);
    for (int row = 0; row < main.listCount(kMainRouterList); ++row) {
        EXPECT_EQ(main.listIsSelected(kMainRouterList, row), row == c.mark) << "row " << row;
    }
    EXPECT_EQ(main.text(kMainSelectedLabel), c.label);
    EXPECT_EQ(h.state.selectedIndex, c.mark >= 0 ? c.mark : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowRefreshFollows,
    testing::Values(FollowCase{"moved_up_by_new_address",
                               true,
                               {"Branch", "Office", "Lab"},
                               0,
                               "Selected ISDN Router: Branch"},
                    FollowCase{"by_address_without_hardware",
                               false,
                               {"Lab", "Branch"},
                               1,
                               "Selected ISDN Router: Branch"},
                    FollowCase{
                        "gone_marks_nothing", true, {"Office", "Lab"}, -1, "Selected ISDN Router:"},
                    // Another router took Branch's old address: still not Branch.
                    FollowCase{"address_taken_by_another",
                               true,
                               {"Office", "Lab", "Other"},
                               -1,
                               "Selected ISDN Router:"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindow, ArrowKeysMoveLabelAndChoiceTogether) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();
    main.moveToRow(kMainRouterList, 2);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: Branch");
    EXPECT_EQ(main.listSelectionMark(kMainRouterList), 2);
    main.moveToRow(kMainRouterList, 1);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: Lab");
    EXPECT_EQ(main.listSelectionMark(kMainRouterList), 1);
}

TEST(MainWindow, RefreshDropsTheRemoteRowAndEnablesIpAddress) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();
    h.main->routerList().insert(3, "Remote");
    h.main->routerList().setText(3, 1, "10.9.9.9");
    h.state.remoteRow = 3;
    main.clickRow(kMainRouterList, 3);
    ASSERT_FALSE(main.isEnabled(kMainIpAddress));

    main.click(kMainRefresh);
    EXPECT_EQ(main.listCount(kMainRouterList), 3);
    EXPECT_EQ(h.state.remoteRow, -1);
    EXPECT_TRUE(main.isEnabled(kMainIpAddress));
}

TEST(MainWindow, ClickingARowShowsItsNameWithoutChangingTheSelectedIndex) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();
    main.clickRow(kMainRouterList, 2);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: Branch");
    EXPECT_EQ(h.state.selectedIndex, 0);
    EXPECT_EQ(h.state.remoteFlag, 0);
    EXPECT_TRUE(main.isEnabled(kMainIpAddress));
}

TEST(MainWindow, ClickingEmptySpaceClearsTheName) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();
    main.clickRow(kMainRouterList, -1);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router:");
}

TEST(MainWindow, ClickingTheRemoteRowTurnsOffIpAddress) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    h.state.remoteConnections.push_back({"10.9.9.9", "8161", "secret", "10.9.9.1", "255.0.0.0"});
    auto main = h.open();
    h.main->routerList().insert(3, "Remote");
    h.main->routerList().setText(3, 1, "10.9.9.9");
    h.state.remoteRow = 3;

    main.clickRow(kMainRouterList, 3);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: Remote");
    EXPECT_EQ(h.state.remoteFlag, 1);
    EXPECT_FALSE(main.isEnabled(kMainIpAddress));

    main.clickRow(kMainRouterList, 0);
    EXPECT_EQ(h.state.remoteFlag, 0);
    EXPECT_TRUE(main.isEnabled(kMainIpAddress));
}

struct ButtonCase {
    const char* name;
    std::function<void(ScriptedDialogDriver&)> act;
    const char* expected;
};

class MainWindowButtons : public testing::TestWithParam<ButtonCase> {};

TEST_P(MainWindowButtons, RunTheirOperation) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    std::vector<std::string> ran;
    h.operations.setup = [&](CMainDlg&) {
        ran.push_back("setup");
    };
    h.operations.save = [&](CMainDlg&) {
        ran.push_back("save");
    };
    h.operations.load = [&](CMainDlg&) {
        ran.push_back("load");
    };
    h.operations.remote = [&](CMainDlg&) {
        ran.push_back("remote");
    };
    auto main = h.open();
    GetParam().act(main);
    EXPECT_EQ(ran, (std::vector<std::string>{GetParam().expected}));
    EXPECT_TRUE(main.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, MainWindowButtons,
    testing::Values(ButtonCase{"setup_button", [](auto& m) { m.click(kMainSetup); }, "setup"},
                    ButtonCase{"enter_key", [](auto& m) { m.pressEnter(); }, "setup"},
                    ButtonCase{"double_click",
                               [](auto& m) { m.doubleClickRow(kMainRouterList, 1); }, "setup"},
                    ButtonCase{"save_button", [](auto& m) { m.click(kMainSave); }, "save"},
                    ButtonCase{"load_button", [](auto& m) { m.click(kMainLoad); }, "load"},
                    ButtonCase{"remote_button", [](auto& m) { m.click(kMainRemote); }, "remote"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindow, RouterListMenuRunsTheChosenEntryOnTheRowItWasOpenedOn) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    std::vector<std::string> ran;
    for (const char* label : {"Snapshots", "Compare"}) {
        h.operations.routerMenu.push_back({label, [&ran, label](CMainDlg& m) {
                                               ran.push_back(
                                                   label + std::string(" ") +
                                                   std::to_string(m.routerList().selectionMark()));
                                           }});
    }
    auto main = h.open();
    h.main->routerList().insert(3, "Remote");
    h.main->routerList().setText(3, 1, "10.9.9.9");
    h.state.remoteRow = 3;

    h.host.answerMenu(1);
    main.rightClickRow(kMainRouterList, 2);
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router: Branch");
    h.host.dismissMenu();
    main.pressMenuKey(); // the click left the focus on the list
    h.host.answerMenu(0);
    main.rightClickRow(kMainRouterList, 3);
    main.rightClickRow(kMainRouterList, -1); // no router: no menu, no answer used

    EXPECT_EQ(ran, (std::vector<std::string>{"Compare 2", "Snapshots 3"}));
    EXPECT_EQ(h.host.menusShown(),
              (std::vector<std::vector<std::string>>(3, {"Snapshots", "Compare"})));
    EXPECT_EQ(main.text(kMainSelectedLabel), "Selected ISDN Router:");

    MainWindowHarness bare; // no entries: no menu
    bare.device.routers = threeRouters();
    auto plain = bare.open();
    plain.rightClickRow(kMainRouterList, 1);
    EXPECT_TRUE(bare.host.menusShown().empty());
}

TEST(MainWindow, EnterDoesNothingWhileSetupIsOff) {
    MainWindowHarness h;
    int setups = 0;
    h.operations.setup = [&](CMainDlg&) {
        ++setups;
    };
    auto main = h.open();
    main.pressEnter();
    EXPECT_EQ(setups, 0);
}

TEST(MainWindow, AboutOnlyThroughWindowMenuCommands16To31) {
    for (unsigned command : {16u, 17u, 31u, 15u, 32u, 0xf060u, 0xf010u}) {
        MainWindowHarness h;
        h.device.routers = threeRouters();
        const bool about = command >= 16 && command <= 31;
        if (about) {
            h.host.expectDialog(kAboutTemplate, [](auto& d) { d.click(ui::kIdOk); });
        }
        auto main = h.open();
        main.sysCommand(command);
        const auto& shown = h.host.dialogsShown();
        EXPECT_EQ(std::count(shown.begin(), shown.end(), kAboutTemplate), about ? 1 : 0)
            << "command " << command;
    }
}

TEST(MainWindow, HelpOpensTheMainWindowTopicAndCloseEndsTheWindow) {
    MainWindowHarness h;
    h.device.routers = threeRouters();
    auto main = h.open();
    main.click(ui::kIdHelp);
    EXPECT_EQ(h.host.helpTopics(), (std::vector<int>{131072 + 102}));
    main.click(kMainClose);
    EXPECT_FALSE(main.isOpen());
}

} // namespace
} // namespace tolvaro::app
