#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "internet_application_records.h"
#include "pages/lan/special_app_dlg.h"
#include "res/ids/special_app_ids.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::special_app;
namespace text = special_app_text;
using test::makeApp;
using ui::ScriptedDialogDriver;

class SpecialAppDlgTest : public testing::Test {
protected:
    SpecialAppDlgTest() { apps.emplace_back(makeApp("ichat", 6000, 6010, 113, 113)); }
    ScriptedDialogDriver open(EditMode mode) {
        dialog = std::make_unique<CSpecialAppDlg>(record, mode, &cancelled, apps);
        return host.open(*dialog);
    }

    SpecialAppList apps;
    SP_AP record = makeApp("old", 1, 2, 3, 4);
    int cancelled = 0;
    ui::ScriptedHost host;
    std::unique_ptr<CSpecialAppDlg> dialog;
};

struct FocusRow {
    const char* name;
    std::function<void(ScriptedDialogDriver&)> steps;
    const char* outEnd;
    const char* inEnd;
    std::vector<std::string> messages;
};

class RangeRules : public SpecialAppDlgTest, public testing::WithParamInterface<FocusRow> {};

TEST_P(RangeRules, RaiseAnEndOnlyAfterBothEditsOfTheRangeWereTouched) {
    auto d = open(EditMode::New);
    GetParam().steps(d);
    EXPECT_EQ(d.text(ids::kOutgoingEnd), GetParam().outEnd);
    EXPECT_EQ(d.text(ids::kIncomingEnd), GetParam().inEnd);
    EXPECT_EQ(host.messageTexts(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Focus, RangeRules,
    testing::Values(FocusRow{"LeavingTheStartAfterTheEnd",
                             [](auto& d) {
                                 d.type(ids::kOutgoingEnd, "6000");
                                 d.type(ids::kOutgoingStart, "7000");
                                 d.focus(ids::kName);
                             },
                             "7000",
                             "",
                             {}},
                    FocusRow{"LeavingAnEmptyEndAfterTheStart",
                             [](auto& d) {
                                 d.type(ids::kOutgoingStart, "7000");
                                 d.focus(ids::kOutgoingEnd);
                                 d.focus(ids::kIncomingStart);
                             },
                             "7000",
                             "",
                             {}},
                    FocusRow{"EndNeverTouched",
                             [](auto& d) {
                                 d.type(ids::kOutgoingStart, "7000");
                                 d.focus(ids::kIncomingStart);
                             },
                             "",
                             "",
                             {}},
                    FocusRow{"IncomingSide",
                             [](auto& d) {
                                 d.type(ids::kIncomingEnd, "5");
                                 d.type(ids::kIncomingStart, "113");
                                 d.leave();
                             },
                             "",
                             "113",
                             {}},
                    FocusRow{"OutgoingStartTooHighOnlyWarns",
                             [](auto& d) {
                                 d.type(ids::kOutgoingEnd, "10");
                                 d.type(ids::kOutgoingStart, "70000");
                                 d.leave();
                             },
                             "10",
                             "",
                             {"Port number must have a value between 0 and 65534."}}),
    [](const auto& info) { return info.param.name; });

struct OkRow {
    const char* name;
    EditMode mode;
    std::string appName;
    const char* outStart;
    const char* outEnd;
    const char* inStart;
    const char* inEnd;
    const char* refusal; // the last message; nullptr: accepted
};

class OkChecks : public SpecialAppDlgTest, public testing::WithParamInterface<OkRow> {};

TEST_P(OkChecks, InTheirOrder) {
    const OkRow& row = GetParam();
    const SP_AP before = record;
    auto d = open(row.mode);
    d.type(ids::kName, row.appName);
    d.type(ids::kOutgoingStart, row.outStart);
    d.type(ids::kOutgoingEnd, row.outEnd);
    d.type(ids::kIncomingStart, row.inStart);
    d.type(ids::kIncomingEnd, row.inEnd);
    d.click(ui::kIdOk);
    if (row.refusal == nullptr) {
        EXPECT_FALSE(d.isOpen());
        EXPECT_EQ(recordName(record.name), row.appName);
        // Each box in its own field.
        EXPECT_EQ((std::vector<int>{record.outStart, record.outEnd, record.inStart, record.inEnd}),
                  (std::vector<int>{std::atoi(row.outStart), std::atoi(row.outEnd),
                                    std::atoi(row.inStart), std::atoi(row.inEnd)}));
        return;
    }
    ASSERT_FALSE(host.messageTexts().empty());
    EXPECT_EQ(host.messageTexts().back(), row.refusal);
    EXPECT_TRUE(d.isOpen());
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Order, OkChecks,
    testing::Values(
        OkRow{"NoName", EditMode::New, "", "", "", "", "", text::kNoName},
        OkRow{"NameInUse", EditMode::New, "ichat", "1", "2", "3", "4", text::kNameInUse},
        OkRow{"NameInUseWhileEditing", EditMode::Edit, "ichat", "1", "2", "3", "4", nullptr},
        OkRow{"FourDifferentPorts", EditMode::New, "a", "1000", "1010", "2000", "2100", nullptr},
        OkRow{"OutgoingEndTooHigh", EditMode::New, "a", "1", "70000", "3", "4",
              text::kOutgoingEndRange},
        OkRow{"NoOutgoingStart", EditMode::New, "a", "", "2", "", "4",
              "Please enter OutPort starting number."},
        OkRow{"NoIncomingStart", EditMode::New, "a", "1", "2", "", "4",
              "Please enter IncommingPort starting number."},
        OkRow{"IncomingStartZero", EditMode::New, "a", "1", "2", "0", "10",
              text::kIncomingStartRange},
        OkRow{"IncomingEndTooHigh", EditMode::New, "a", "1", "2", "3", "65535",
              "Incoming end port number must have a value \nbetween 1 and 65534.."},
        OkRow{"OutgoingStartTooHighAfterIncomingPassed", EditMode::New, "a", "70000", "", "3", "4",
              "Outgoing start port number must have a value \nbetween 1 and 65534."}),
    [](const auto& info) { return info.param.name; });

TEST_F(SpecialAppDlgTest, OkRaisesEmptyEndsAndFillsTheRecord) {
    auto d = open(EditMode::New);
    d.type(ids::kName, "GAME");
    d.click(ids::kEnable);
    d.select(ids::kIncomingProtocol, "TCP");
    d.type(ids::kOutgoingStart, "6112");
    d.type(ids::kIncomingStart, "113");
    d.click(ui::kIdOk);
    EXPECT_TRUE(host.messageTexts().empty());
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(recordName(record.name), "game");
    EXPECT_EQ(record.enabled, 1);
    EXPECT_EQ(record.outProtocol, 0);
    EXPECT_EQ(record.outStart, 6112);
    EXPECT_EQ(record.outEnd, 6112);
    EXPECT_EQ(record.inProtocol, 1);
    EXPECT_EQ(record.inStart, 113);
    EXPECT_EQ(record.inEnd, 113);
}

TEST_F(SpecialAppDlgTest, EditShowsTheRecordAndHelpOpensItsTopic) {
    record = apps[0].app;
    auto d = open(EditMode::Edit);
    EXPECT_EQ(d.text(ids::kName), "ichat");
    EXPECT_EQ(d.comboSelection(ids::kOutgoingProtocol), 1);
    EXPECT_EQ(d.text(ids::kOutgoingEnd), "6010");
    EXPECT_EQ(d.text(ids::kIncomingStart), "113");
    EXPECT_EQ(d.textLimit(ids::kIncomingEnd), 5);
    // In edit mode every edit counts as changed: leaving a start raises its end.
    d.type(ids::kIncomingStart, "200");
    d.leave();
    EXPECT_EQ(d.text(ids::kIncomingEnd), "200");
    d.click(ui::kIdHelp);
    EXPECT_EQ(host.helpTopics(), std::vector<int>{131238});
}

TEST_F(SpecialAppDlgTest, CancelAfterARefusalReportsItAndKeepsTheRecord) {
    const SP_AP before = record;
    auto d = open(EditMode::New);
    d.click(ui::kIdOk);
    d.click(ui::kIdCancel);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
}

} // namespace
} // namespace tolvaro::pages
