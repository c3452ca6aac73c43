#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "access_records.h"
#include "pages/access/workstation_dlg.h"
#include "res/ids/workstation_ids.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::workstation;
using test::makeStation;
using ui::ScriptedDialogDriver;
using Fill = std::function<void(ScriptedDialogDriver&)>;

const device::Octets kDhcpStart{192, 168, 1, 2};
const device::Octets kDhcpEnd{192, 168, 1, 100};

void typeHardware(ScriptedDialogDriver& d, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        d.type(ids::kHardwareAddress[i], fields[i]);
}

void typeAddress(ScriptedDialogDriver& d, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        d.type(ids::kReservedIp[i], fields[i]);
}

class WorkstationDlgTest : public testing::Test {
protected:
    WorkstationDlgTest() {
        stations.emplace_back(makeStation("pc-anna", {0, 0x0a, 0x95, 0x9d, 0x68, 0x16}));
        stations.emplace_back(makeStation("printer", {0, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}, 2));
    }
    ScriptedDialogDriver open(CWorkstationDlg& dlg) { return host.open(dlg); }

    WorkstationList stations;
    ui::ScriptedHost host;
};

struct CheckRow {
    const char* name;
    Fill fill;
    const char* message; // nullptr: accepted
};

class WorkstationChecks : public WorkstationDlgTest,
                          public testing::WithParamInterface<CheckRow> {};

// Every row starts from a valid new workstation and spoils one thing.
TEST_P(WorkstationChecks, RunInOrderAndKeepTheDialogOpen) {
    WkInfo record{};
    CWorkstationDlg dlg(stations, record, CWorkstationDlg::kAdd, CWorkstationDlg::kNoRow,
                        kDhcpStart, kDhcpEnd);
    auto d = open(dlg);
    d.type(ids::kName, "kiosk");
    typeHardware(d, {"00", "11", "22", "33", "44", "55"});
    GetParam().fill(d);
    d.click(ui::kIdOk);
    const char* message = GetParam().message;
    EXPECT_EQ(host.messageTexts(),
              message ? std::vector<std::string>{message} : std::vector<std::string>{});
    EXPECT_EQ(d.isOpen(), message != nullptr);
}

const char* const kNameInUse =
    "Name error.\nThis name is already in use.\nYou must use a different name.";
const char* const kHardwareInUse =
    "Hardware address error.\nThis address is already in use.\nYou must use a different address.";
const char* const kNotHex = "Each H/W addree field should be hexdecimal value.";
const char* const kOutsideDhcp =
    "IP Address error\n.The reserved IP address must be within the range\n allocated by the DHCP "
    "Server.";
const char* const kAddressRange =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkstationChecks,
    testing::Values(CheckRow{"Valid", [](auto&) {}, nullptr},
                    CheckRow{"EmptyName", [](auto& d) { d.type(ids::kName, ""); },
                             "Please fill Workstation name."},
                    CheckRow{"NameOfAnotherRowBeforeEmptyHardwareField",
                             [](auto& d) {
                                 d.type(ids::kName, "Printer"); // the edit makes it lower case
                                 d.type(ids::kHardwareAddress[5], "");
                             },
                             kNameInUse},
                    CheckRow{"HardwareOfAnotherRow",
                             [](auto& d) {
                                 typeHardware(d, {"00", "0A", "95", "9d", "68", "16"});
                             },
                             kHardwareInUse},
                    CheckRow{"NonHexCountingZeroMatchesAnotherRowFirst",
                             [](auto& d) {
                                 typeHardware(d, {"0x", "1b", "2c", "3d", "4e", "5f"});
                             },
                             kHardwareInUse},
                    CheckRow{"EmptyHardwareField",
                             [](auto& d) { d.type(ids::kHardwareAddress[2], ""); },
                             "Please fill each blank in H/W address field."},
                    CheckRow{"NonHexHardwareField",
                             [](auto& d) { d.type(ids::kHardwareAddress[3], "g1"); }, kNotHex},
                    CheckRow{"UncheckedBoxSkipsTheAddress",
                             [](auto& d) {
                                 typeAddress(d, {"999", ""});
                             },
                             nullptr},
                    CheckRow{"EmptyAddressField",
                             [](auto& d) {
                                 d.click(ids::kReserve);
                                 typeAddress(d, {"192", "168", "", "5"});
                             },
                             "Each IP address field should not be empty"},
                    CheckRow{"OctetAbove255",
                             [](auto& d) {
                                 d.click(ids::kReserve);
                                 typeAddress(d, {"192", "168", "1", "300"});
                             },
                             kAddressRange},
                    CheckRow{"EndOfTheDhcpRange",
                             [](auto& d) {
                                 d.click(ids::kReserve);
                                 typeAddress(d, {"192", "168", "1", "100"});
                             },
                             nullptr},
                    CheckRow{"StartOfTheDhcpRange",
                             [](auto& d) {
                                 d.click(ids::kReserve);
                                 typeAddress(d, {"192", "168", "1", "2"});
                             },
                             nullptr},
                    CheckRow{"AboveTheDhcpRange",
                             [](auto& d) {
                                 d.click(ids::kReserve);
                                 typeAddress(d, {"192", "168", "1", "101"});
                             },
                             kOutsideDhcp},
                    CheckRow{"BelowTheDhcpRangeInAnEarlierOctet",
                             [](auto& d) {
                                 d.click(ids::kReserve);
                                 typeAddress(d, {"192", "167", "1", "50"});
                             },
                             kOutsideDhcp}),
    [](const auto& info) { return info.param.name; });

TEST_F(WorkstationDlgTest, HexFieldsBecomeBytesAndShowAsUpperCasePairs) {
    WkInfo record{};
    CWorkstationDlg add(stations, record, CWorkstationDlg::kAdd, CWorkstationDlg::kNoRow,
                        kDhcpStart, kDhcpEnd);
    auto d = open(add);
    d.type(ids::kName, "Lab");
    typeHardware(d, {"0a", "1B", "c", "00", "FF", "7"});
    d.select(ids::kGroup, 3);
    d.click(ids::kReserve);
    typeAddress(d, {"192", "168", "1", "50"});
    d.click(ui::kIdOk);
    ASSERT_FALSE(d.isOpen());
    const WkInfo expected =
        makeStation("lab", {0x0a, 0x1b, 0x0c, 0x00, 0xff, 0x07}, 3, {192, 168, 1, 50}, 1);
    EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);

    CWorkstationDlg edit(stations, record, CWorkstationDlg::kEdit, 0, kDhcpStart, kDhcpEnd);
    auto e = open(edit);
    std::vector<std::string> shown;
    for (const int id : ids::kHardwareAddress)
        shown.push_back(e.text(id));
    EXPECT_EQ(shown, (std::vector<std::string>{"0A", "1B", "0C", "00", "FF", "07"}));
    EXPECT_EQ(e.comboSelection(ids::kGroup), 3);
    EXPECT_TRUE(e.isChecked(ids::kReserve));
    EXPECT_EQ(e.text(ids::kReservedIp[3]), "50");
}

TEST_F(WorkstationDlgTest, EditKeepingItsOwnNameAndAddressIsNoDuplicate) {
    WkInfo& record = stations.back().record;
    CWorkstationDlg dlg(stations, record, CWorkstationDlg::kEdit, 1, kDhcpStart, kDhcpEnd);
    auto d = open(dlg);
    d.click(ui::kIdOk);
    EXPECT_TRUE(host.messageTexts().empty());
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(record.group, 2);
}

TEST_F(WorkstationDlgTest, CancelMarksAnAddAndRestoresAnEdit) {
    WkInfo scratch{};
    CWorkstationDlg add(stations, scratch, CWorkstationDlg::kAdd, CWorkstationDlg::kNoRow,
                        kDhcpStart, kDhcpEnd);
    auto a = open(add);
    a.click(ui::kIdCancel);
    EXPECT_EQ(scratch.group, kCancelledGroup);

    WkInfo& record = stations.back().record;
    const WkInfo before = record;
    CWorkstationDlg edit(stations, record, CWorkstationDlg::kEdit, 1, kDhcpStart, kDhcpEnd);
    auto e = open(edit);
    e.type(ids::kName, "pc-anna"); // refused as a duplicate, but copied
    e.click(ui::kIdOk);
    e.click(ui::kIdCancel);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

} // namespace
} // namespace tolvaro::pages
