#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "app/setup.h"
#include "support/main_window_harness.h"

namespace tolvaro::app {
namespace {

using test::DeviceOp;
using ui::ScriptedSheetDriver;

class SetupTest : public testing::Test {
protected:
    SetupTest() {
        h.device.routers = {
            test::makeRouter("Office", "192.168.1.1", "", 2, "255.255.255.0", "192.168.1.10")};
        h.device.setText(0x0104, "6.0 (240918-07)");
        h.operations.setup = [this](CMainDlg& m) {
            runSetup(h.context, m);
        };
    }

    // Opens the main window and presses Setup; `sheet` answers the settings
    // sheet when it opens.
    void pressSetup(std::function<void(ScriptedSheetDriver&)> sheet = {}) {
        auto main = h.open();
        h.device.clearCalls();
        h.host.clearRecords();
        if (sheet)
            h.host.expectSheet(std::move(sheet));
        main.click(kMainSetup);
    }

    std::vector<test::DeviceCall> reads() const { return h.device.callsOf(DeviceOp::GetInfo); }
    std::vector<test::DeviceCall> writes() const { return h.device.callsOf(DeviceOp::SetInfo); }

    test::MainWindowHarness h;
};

struct StopRow {
    const char* name;
    const char* version;
    int failingCall; // among the getInfo calls of the fetch
    const char* message;
};

class SetupStops : public SetupTest, public testing::WithParamInterface<StopRow> {};

TEST_P(SetupStops, AtAFailedReadWithItsMessageAndNothingWritten) {
    h.device.setText(0x0104, GetParam().version);
    h.device.failGetCall(GetParam().failingCall);
    pressSetup();
    EXPECT_EQ(h.host.messageTexts(), std::vector<std::string>{GetParam().message});
    EXPECT_EQ(static_cast<int>(reads().size()), GetParam().failingCall + 1);
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(h.host.sheetsShown().empty());
    EXPECT_EQ(h.host.waitCursorDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, SetupStops,
    testing::Values(StopRow{"FirstSingleRead", "6.0 (x)", 1, "IPSGetInfo User fail "},
                    StopRow{"SixthSingleRead", "6.0 (x)", 6, "IPSGetInfo User fail "},
                    StopRow{"TwentyEightVariables", "6.0 (x)", 7, "IPSGetInfo1 fail"},
                    StopRow{"FifteenVariables", "6.0 (x)", 8, "IPSGetInfo1 fail"},
                    StopRow{"SevenVariables", "6.0 (x)", 9, "IPSGetInfo fail"},
                    StopRow{"ModeOneBlock", "6.0 (x)", 10, "IPSGetInfo PORT2 fail"},
                    StopRow{"SecondsTimeout", "6.1 (x)", 11, "IPSGetInfo PORT fail"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SetupTest, TheFirstRequestsFailureIsNotExamined) {
    h.device.failGetCall(0);
    bool shown = false;
    pressSetup([&](ScriptedSheetDriver& s) {
        shown = true;
        s.pressCancel();
    });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(h.host.messageTexts().empty());
}

struct LevelRow {
    const char* name;
    const char* version;
    bool secondsFail; // the read of 0x4024 fails
    const char* message;
};

class SetupLevels : public SetupTest, public testing::WithParamInterface<LevelRow> {};

// 0x4024 is read in the same batch as both candidates, whatever the level;
// only above level 60 does its value (or its failure) count.
TEST_P(SetupLevels, TheSecondsTimeOutCountsAboveLevel60Only) {
    h.device.setText(0x0104, GetParam().version);
    if (GetParam().secondsFail)
        h.device.failGetCall(11);
    const bool fails = GetParam().message[0] != 0;
    if (fails)
        pressSetup();
    else
        pressSetup([](ScriptedSheetDriver& s) { s.pressCancel(); });
    const auto r = reads();
    ASSERT_EQ(r.size(), 12u);
    EXPECT_EQ(r[10].number, 1);
    EXPECT_EQ(r[10].variables, (std::vector<int>{0x4017, 0x400d, 0x4023, 0x371a, 0x4018}));
    EXPECT_EQ(r[11].variables, std::vector<int>{0x4024});
    EXPECT_EQ(r[11].number, 0);
    EXPECT_EQ(h.host.messageTexts(),
              fails ? std::vector<std::string>{GetParam().message} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Levels, SetupLevels,
    testing::Values(LevelRow{"Level60", "6.0 (240918-07)", false, ""},
                    LevelRow{"Level60SecondsFail", "6.0 (240918-07)", true, ""},
                    LevelRow{"Level61", "6.12", false, ""},
                    LevelRow{"Level61SecondsFail", "6.12", true, "IPSGetInfo PORT fail"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SetupTest, Family1RouterReadsItsOwnCatalogue) {
    h.device.routers = {
        test::makeRouter("Small", "192.168.1.2", "", 1, "255.255.255.0", "192.168.1.10")};
    pressSetup([](ScriptedSheetDriver& s) { s.pressCancel(); });
    const auto r = reads();
    ASSERT_GE(r.size(), 10u);
    EXPECT_EQ(r[0].variables.size(), 23u);
    EXPECT_EQ(r[6].variables, std::vector<int>{0x3401});
    EXPECT_EQ(r[7].variables.front(), 0x3401);
    EXPECT_EQ(r[9].variables.back(), 0x4009);
}

TEST_F(SetupTest, ARouterOutsideTheLocalNetworkGoesThroughTheAddressChangeFirst) {
    h.device.routers = {
        test::makeRouter("Far", "10.0.0.1", "", 2, "255.255.255.0", "192.168.1.10")};
    int addressDialogs = 0;
    auto main = h.open();
    h.device.clearCalls();
    h.host.expectDialog(144, [&](ui::ScriptedDialogDriver& d) {
        ++addressDialogs;
        d.click(ui::kIdCancel);
    });
    main.click(kMainSetup);
    EXPECT_EQ(addressDialogs, 1);
    EXPECT_TRUE(reads().empty()); // the operation ended with the login result 0
    EXPECT_TRUE(h.host.sheetsShown().empty());
}

class SheetTest : public SetupTest {};

TEST_F(SheetTest, CaptionIsTheRouterNameAndThePagesAreInSheetOrder) {
    std::vector<int> templates;
    pressSetup([&](ScriptedSheetDriver& s) {
        for (int i = 0; i < s.sheet().pageCount(); ++i)
            templates.push_back(s.sheet().page(i).templateNumber());
        EXPECT_EQ(s.activePage(), 0);
        s.pressCancel();
    });
    EXPECT_EQ(h.host.sheetsShown(), std::vector<std::string>{"Office"});
    // Quick Setup, Status, Option, LAN, Dial-in, Access Control, Internet
    // Application, LAN-to-LAN, ISDN.
    EXPECT_EQ(templates, (std::vector<int>{149, 158, 160, 152, 142, 151, 156, 159, 157}));
}

TEST_F(SheetTest, CancelWritesNothingWhateverWasVisited) {
    pressSetup([](ScriptedSheetDriver& s) {
        for (int i = 1; i < 9; ++i)
            s.selectPage(i);
        s.pressCancel();
    });
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(h.host.waits().empty());
    EXPECT_EQ(h.host.waitCursorDepth(), 0);
}

struct ApplyRow {
    const char* name;
    std::vector<int> visit; // pages selected after the first
    bool linkUp;
    ui::Answer answer; // to the busy-link question
    std::vector<std::string> messages;
    bool resets;
};

class SheetApply : public SetupTest, public testing::WithParamInterface<ApplyRow> {};

TEST_P(SheetApply, TheResetComesOnceFromTheHighestPageShown) {
    const ApplyRow& row = GetParam();
    h.device.setInteger(0x0002, row.linkUp ? 1 : 0);
    if (row.linkUp)
        h.host.answerMessage(row.answer);
    pressSetup([&](ScriptedSheetDriver& s) {
        for (int page : row.visit)
            ASSERT_TRUE(s.selectPage(page));
        ASSERT_TRUE(s.pressOK());
    });
    EXPECT_EQ(h.host.messageTexts(), row.messages);
    int resets = 0;
    for (const auto& call : writes())
        resets += call.variables == std::vector<int>{0x0001} ? 1 : 0;
    EXPECT_EQ(resets, row.resets ? 1 : 0);
    EXPECT_EQ(h.host.waits().size(), row.resets ? 1u : 0u);
    EXPECT_EQ(h.host.waitCursorDepth(), 0);
}

const std::string kLinkQuestion =
    "The ISDNLink is in use.\nSaving data now will break the connection.\nUsers may have to "
    "re-establish their connection.\nClick \"OK\" to save, or \"Cancle\" to abort.";

INSTANTIATE_TEST_SUITE_P(
    Visits, SheetApply,
    testing::Values(
        ApplyRow{"QuickSetupOnly", {}, false, ui::Answer::Ok, {"Device reset finished"}, true},
        ApplyRow{"WithStatus", {1}, false, ui::Answer::Ok, {"Device reset finished"}, true},
        ApplyRow{"WithIsdn", {8}, false, ui::Answer::Ok, {"Device reset finished."}, true},
        ApplyRow{"IsdnThenOption", {8, 2}, false, ui::Answer::Ok, {"Device reset finished."}, true},
        ApplyRow{"UpToLanToLan",
                 {1, 2, 3, 4, 5, 6, 7},
                 false,
                 ui::Answer::Ok,
                 {"Device reset finished"},
                 true},
        ApplyRow{"LinkUpAnsweredOk",
                 {3},
                 true,
                 ui::Answer::Ok,
                 {kLinkQuestion, "Device reset finished"},
                 true},
        ApplyRow{"LinkUpAnsweredCancel", {8}, true, ui::Answer::Cancel, {kLinkQuestion}, false}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tolvaro::app
