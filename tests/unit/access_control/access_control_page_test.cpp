#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "access_records.h"
#include "app/app_context.h"
#include "pages/access/access_control_page.h"
#include "res/ids/access_control_ids.h"
#include "res/ids/group_setup_ids.h"
#include "res/ids/workstation_ids.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::access_control;
namespace ws = res::workstation;
namespace group = res::group_setup;
using test::makeStation;
using ui::ScriptedDialogDriver;
using Rows = std::vector<std::vector<std::string>>;

WkInfo station(int i) {
    return makeStation("ws" + std::to_string(i), {0, 0, 0, 0, 0, static_cast<std::uint8_t>(i)});
}

std::vector<WkInfo> stations(int from, int count) {
    std::vector<WkInfo> out;
    for (int i = from; i < from + count; ++i)
        out.push_back(station(i));
    return out;
}

class AccessControlTest : public testing::Test {
protected:
    AccessControlTest() {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1");
        state.dhcpRangeStart = {192, 168, 1, 2};
        state.dhcpRangeEnd = {192, 168, 1, 100};
        store.saveConfirmed = 1;
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
    test::setStations(
        store, 0,
        {makeStation("pc-anna", {0x00, 0x0a, 0x95, 0x9d, 0x68, 0x16}, 0, {192, 168, 1, 20}, 1),
         makeStation("kiosk", {0xff, 0x11, 0x22, 0x33, 0x44, 0x55}, 3)});
    auto p = open();
    EXPECT_EQ(p.comboSelection(ids::kGroup), 0);
    EXPECT_EQ(p.listColumns(ids::kWorkstationList),
              (std::vector<std::string>{"Name", "Group", "H/W Address", "IP Address", "Reserved"}));
    EXPECT_EQ(
        rows(p, {0, 1, 2, 3, 4}),
        (Rows{{"pc-anna", "Everyone", "00 : 0A : 95 : 9D : 68 : 16", "192 . 168 . 1 . 20", "Yes"},
              {"kiosk", "3", "FF : 11 : 22 : 33 : 44 : 55", "0 . 0 . 0 . 0", "No"}}));
    EXPECT_EQ(store.resetOwner, 6);
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
    test::setStations(store, 1, {station(99)});
    EXPECT_EQ(rows(open()).size(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, AccessControlReads,
    testing::Values(TableRow{"EmptyFirstName", {makeStation("", {1}), station(1)}, 220, 0},
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

TEST_F(AccessControlTest, AddAppendsAnAcceptedWorkstationAndNothingOnCancel) {
    test::setStations(store, 0, {station(1)});
    auto p = open();
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
    EXPECT_EQ(rows(p, {0, 1}), (Rows{{"ws1", "Everyone"}, {"lab", "4"}}));
    EXPECT_TRUE(p.listIsSelected(ids::kWorkstationList, 1));
}

TEST_F(AccessControlTest, EditAndDeleteNeedASelectedRow) {
    test::setStations(store, 0, {station(1)});
    auto p = open();
    p.click(ids::kEditWorkstation);
    p.click(ids::kDeleteWorkstation);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>(2, "You have to select a wkstation"));
}

TEST_F(AccessControlTest, EditRefreshesTheRowAndDeleteRemovesIt) {
    test::setStations(store, 0, {station(1), station(2), station(3)});
    auto p = open();
    p.clickRow(ids::kWorkstationList, 1);
    host.expectDialog(ws::kTemplate, [](ScriptedDialogDriver& d) {
        d.select(ws::kGroup, 2);
        d.click(ws::kReserve);
        d.type(ws::kReservedIp[0], "192");
        d.type(ws::kReservedIp[1], "168");
        d.type(ws::kReservedIp[2], "1");
        d.type(ws::kReservedIp[3], "9");
        d.click(ui::kIdOk);
    });
    p.click(ids::kEditWorkstation);
    p.clickRow(ids::kWorkstationList, 0);
    p.click(ids::kDeleteWorkstation);
    EXPECT_EQ(rows(p, {0, 1, 3, 4}), (Rows{{"ws2", "2", "192 . 168 . 1 . 9", "Yes"},
                                           {"ws3", "Everyone", "0 . 0 . 0 . 0", "No"}}));

    const auto sent = test::stationsIn(applied().at(0).values[5].value, 220);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].group, 2);
    EXPECT_EQ(sent[0].address[3], 9);
}

TEST_F(AccessControlTest, SetupOpensTheSelectedGroup) {
    auto p = open();
    p.select(ids::kGroup, "Group2");
    host.expectDialog(group::kTemplate, [](ScriptedDialogDriver& d) {
        EXPECT_EQ(d.caption(), "Group2");
        d.click(ui::kIdCancel);
    });
    p.click(ids::kGroupSetup);
    EXPECT_EQ(host.dialogsShown(), std::vector<int>{group::kTemplate});
}

TEST_F(AccessControlTest, ApplySendsTwentyEightVariablesInOneRequestThenResets) {
    test::setStations(store, 0, stations(0, 10));
    test::setStations(store, 1, stations(10, 2));
    open();
    const auto w = applied();
    ASSERT_EQ(w.size(), 2u);
    std::vector<int> expected = {0x3401, 0x3402, 0x3403, 0x3404, 0x3405, 0x3501,
                                 0x3502, 0x3503, 0x3504, 0x3505, 0x3301, 0x3302};
    for (int v = 0x3701; v <= 0x370a; ++v)
        expected.push_back(v);
    for (int v = 0x3710; v <= 0x3715; ++v)
        expected.push_back(v);
    EXPECT_EQ(w[0].number, 0);
    EXPECT_EQ(w[0].variables, expected);
    std::vector<std::size_t> counts;
    for (int i = 5; i < 10; ++i) {
        const _snmp_packet& entry = w[0].values[static_cast<std::size_t>(i)];
        EXPECT_EQ(entry.type, 4);
        EXPECT_EQ(device::entryLength(entry), 220u);
        counts.push_back(test::stationsIn(entry.value, 220).size());
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{10, 2, 0, 0, 0}));
    // Never edited by the Group Setup dialog: sent empty.
    EXPECT_EQ(device::entryLength(w[0].values[0]), 0u);
    EXPECT_EQ(device::entryLength(w[0].values[12]), 0u);
    EXPECT_EQ(w[1].variables, std::vector<int>{0x0001});
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
}

TEST_F(AccessControlTest, AFailedWriteIsReportedAndTheResetStillFollows) {
    device.failSetOf(0x3501);
    open();
    EXPECT_EQ(applied().size(), 2u);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"IPSSetInfo fail", "Device reset finished"}));
}

TEST_F(AccessControlTest, NothingIsSentWhenSavingWasNotConfirmed) {
    store.saveConfirmed = 0;
    open();
    EXPECT_TRUE(applied().empty());
}

} // namespace
} // namespace tolvaro::pages
