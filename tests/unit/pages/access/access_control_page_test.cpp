#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "access_records.h"
#include "operation/app_context.h"
#include "pages/access/access_control_page.h"
#include "res/ids/access_control_ids.h"
#include "res/ids/group_setup_ids.h"
#include "res/ids/workstation_ids.h"
#include "support/list_choice.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::access_control;
namespace ws = res::workstation;
using ui::ScriptedDialogDriver;
using Rows = std::vector<std::vector<std::string>>;

std::vector<WkInfo> stations(int from, int count) {
    std::vector<WkInfo> out;
    for (int i = from; i < from + count; ++i)
        out.push_back(
            test::makeStation("ws" + std::to_string(i), {0, 0, 0, 0, 0, std::uint8_t(i)}));
    return out;
}

class AccessControlTest : public testing::Test {
protected:
    AccessControlTest() {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1");
        state.dhcpRangeStart = {192, 168, 1, 2};
        state.dhcpRangeEnd = {192, 168, 1, 100};
        store.saveConfirmed = true;
    }
    ScriptedDialogDriver open() {
        sheet.addPage(page);
        sheetDriver.emplace(host.open(sheet));
        return sheetDriver->page();
    }
    static Rows rows(const ScriptedDialogDriver& p, std::vector<int> columns = {0}) {
        Rows out;
        for (int row = 0; row < p.listCount(ids::kWorkstationList); ++row) {
            out.emplace_back();
            for (int column : columns)
                out.back().push_back(p.listText(ids::kWorkstationList, row, column));
        }
        return out;
    }
    std::vector<test::DeviceCall> applied() {
        EXPECT_TRUE(sheetDriver->pressOK());
        return device.callsOf(test::DeviceOp::SetInfo);
    }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    device::ConfigStore store{device::Family::One};
    CMAccess page{context, store};
    ui::PropertySheet sheet{"Office"};
    std::optional<ui::ScriptedSheetDriver> sheetDriver;
};

TEST_F(AccessControlTest, RowsShowNameGroupHardwareAddressAndReservation) {
    WkInfo reserved = test::makeStation("pc-anna", {0x00, 0x0a, 0x95, 0x9d, 0x68, 0x16});
    reserved.reserve = 1;
    std::copy_n(std::data({192, 168, 1, 20}), 4, reserved.address);
    test::setStations(store, 0,
                      {reserved, test::makeStation("kiosk", {0xff, 0x11, 0x22, 0x33, 0x44}, 3)});
    auto p = open();
    EXPECT_EQ(p.comboSelection(ids::kGroup), 0);
    EXPECT_EQ(
        rows(p, {0, 1, 2, 3, 4}),
        (Rows{{"pc-anna", "Everyone", "00 : 0A : 95 : 9D : 68 : 16", "192 . 168 . 1 . 20", "Yes"},
              {"kiosk", "3", "FF : 11 : 22 : 33 : 44 : 00", "0 . 0 . 0 . 0", "No"}}));
}

struct TableRow {
    const char* name;
    std::vector<WkInfo> first;
    std::size_t length; // of the first variable
    std::size_t rows;
};

class AccessControlReads : public AccessControlTest,
                           public testing::WithParamInterface<TableRow> {};

TEST_P(AccessControlReads, TenPerVariableUpToTheFirstEmptyNameOrTheLength) {
    test::setStations(store, 0, GetParam().first, GetParam().length);
    test::setStations(store, 1, stations(99, 1));
    EXPECT_EQ(rows(open()).size(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, AccessControlReads,
    testing::Values(TableRow{"EmptyFirstName", {test::makeStation("", {1})}, 220, 0},
                    TableRow{"FirstLengthZero", stations(0, 3), 0, 0},
                    TableRow{"FewerThanTenEndTheList", stations(0, 3), 220, 3},
                    TableRow{"LengthWordEndsTheList", stations(0, 3), 44, 2},
                    TableRow{"EleventhStartsTheSecondVariable", stations(0, 10), 220, 11}),
    [](const auto& info) { return info.param.name; });

TEST_F(AccessControlTest, AddRefusesTheFiftyFirstWorkstation) {
    for (int v = 0; v < 5; ++v)
        test::setStations(store, v, stations(10 * v, 10));
    auto p = open();
    ASSERT_EQ(p.listCount(ids::kWorkstationList), 50);
    p.click(ids::kAddWorkstation); // no dialog is scripted: opening one would throw
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{"NO. of Workstation should not exceed 50"});
}

TEST_F(AccessControlTest, AddEditAndDeleteChangeTheRowsThatAreSent) {
    test::setStations(store, 0, stations(1, 3));
    auto p = open();
    p.click(ids::kEditWorkstation);
    host.expectDialog(ws::kTemplate, [](ScriptedDialogDriver& d) { d.click(ui::kIdCancel); });
    p.click(ids::kAddWorkstation);
    host.expectDialog(ws::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(ws::kName, "Lab");
        for (const int id : ws::kHardwareAddress)
            d.type(id, "ab");
        d.select(ws::kGroup, 4);
        d.click(ui::kIdOk);
    });
    p.click(ids::kAddWorkstation);
    // Edit and Delete act on the row shown chosen, after every change.
    EXPECT_EQ(test::listChoice(p, ids::kWorkstationList), "mark 3, highlighted 3");
    p.clickRow(ids::kWorkstationList, 1);
    host.expectDialog(ws::kTemplate, [](ScriptedDialogDriver& d) {
        d.select(ws::kGroup, 2);
        d.click(ui::kIdOk);
    });
    p.click(ids::kEditWorkstation);
    EXPECT_EQ(test::listChoice(p, ids::kWorkstationList), "mark 1, highlighted 1");
    p.clickRow(ids::kWorkstationList, 0);
    p.click(ids::kDeleteWorkstation);
    EXPECT_EQ(test::listChoice(p, ids::kWorkstationList), "mark -1, highlighted -");

    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"You have to select a wkstation"});
    EXPECT_EQ(rows(p, {0, 1}), (Rows{{"ws2", "2"}, {"ws3", "Everyone"}, {"lab", "4"}}));
    const auto sent = test::stationsIn(applied().at(0).values[5].value, 220);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].group, 2);
    EXPECT_EQ(sent[2].hardware[5], 0xab);
}

TEST_F(AccessControlTest, SetupOpensTheSelectedGroup) {
    auto p = open();
    p.select(ids::kGroup, "Group2");
    host.expectDialog(res::group_setup::kTemplate, [](ScriptedDialogDriver& d) {
        EXPECT_EQ(d.caption(), "Group2");
        d.click(ui::kIdCancel);
    });
    p.click(ids::kGroupSetup);
}

TEST_F(AccessControlTest, ApplySendsTwentyEightVariablesInOneRequestThenResets) {
    test::setStations(store, 0, stations(0, 10));
    test::setStations(store, 1, stations(10, 2));
    open();
    const auto w = applied();
    ASSERT_EQ(w.size(), 2u);
    std::vector<int> expected = {0x3401, 0x3402, 0x3403, 0x3404, 0x3405, 0x3501,
                                 0x3502, 0x3503, 0x3504, 0x3505, 0x3301, 0x3302};
    for (int v : {0x3701, 0x3702, 0x3703, 0x3704, 0x3705, 0x3706, 0x3707, 0x3708, 0x3709, 0x370a,
                  0x3710, 0x3711, 0x3712, 0x3713, 0x3714, 0x3715})
        expected.push_back(v);
    EXPECT_EQ(w[0].variables, expected);
    std::vector<std::size_t> counts;
    for (std::size_t i = 5; i < 10; ++i) {
        EXPECT_EQ(w[0].values[i].type, 4);
        EXPECT_EQ(device::entryLength(w[0].values[i]), 220u);
        counts.push_back(test::stationsIn(w[0].values[i].value, 220).size());
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{10, 2, 0, 0, 0}));
    // Never edited in the Group Setup dialog: sent empty.
    EXPECT_EQ(device::entryLength(w[0].values[0]), 0u);
    EXPECT_EQ(device::entryLength(w[0].values[12]), 0u);
    EXPECT_EQ(w[1].variables, std::vector<int>{0x0001});
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
}

} // namespace
} // namespace tolvaro::pages
