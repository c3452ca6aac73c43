#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "access_records.h"
#include "pages/access/workstation_dlg.h"
#include "res/ids/workstation_ids.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::workstation;
using ui::ScriptedDialogDriver;

void typeAll(ScriptedDialogDriver& d, std::span<const int> fields,
             const std::vector<std::string>& texts) {
    // Types into the first texts.size() fields.
    ASSERT_LE(texts.size(), fields.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        d.type(fields[i], texts[i]);
}

struct Fixture {
    Fixture() {
        stations.emplace_back(test::makeStation("pc-anna", {0, 0x0a, 0x95, 0x9d, 0x68, 0x16}));
        stations.emplace_back(test::makeStation("printer", {0, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}, 2));
    }
    CWorkstationDlg dialog(WkInfo& record, int mode = CWorkstationDlg::kAdd, int row = -1) {
        return CWorkstationDlg(stations, record, mode, row, dhcpStart, dhcpEnd);
    }
    WorkstationList stations;
    device::Octets dhcpStart{192, 168, 1, 2};
    device::Octets dhcpEnd{192, 168, 1, 100};
    ui::ScriptedHost host;
};

struct CheckRow {
    const char* name;
    std::function<void(ScriptedDialogDriver&)> spoil;
    const char* message; // nullptr: accepted
};

class WorkstationChecks : public testing::TestWithParam<CheckRow> {};

// Every row starts from a valid new workstation and changes one thing.
TEST_P(WorkstationChecks, RunInOrderAndKeepTheDialogOpen) {
    Fixture f;
    WkInfo record{};
    auto dlg = f.dialog(record);
    auto d = f.host.open(dlg);
    d.type(ids::kName, "kiosk");
    typeAll(d, ids::kHardwareAddress, {"00", "11", "22", "33", "44", "55"});
    GetParam().spoil(d);
    d.click(ui::kIdOk);
    const char* message = GetParam().message;
    EXPECT_EQ(f.host.messageTexts(),
              message ? std::vector<std::string>{message} : std::vector<std::string>{});
    EXPECT_EQ(d.isOpen(), message != nullptr);
}

auto reserve(std::vector<std::string> octets) {
    return [octets](ScriptedDialogDriver& d) {
        d.click(ids::kReserve);
        typeAll(d, ids::kReservedIp, octets);
    };
}

const char* const kHardwareInUse =
    "Hardware address error.\nThis address is already in use.\nYou must use a different address.";
const char* const kOutsideDhcp =
    "IP Address error\n.The reserved IP address must be within the range\n allocated by the DHCP "
    "Server.";

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkstationChecks,
    testing::Values(
        CheckRow{"EmptyName", [](auto& d) { d.type(ids::kName, ""); },
                 "Please fill Workstation name."},
        CheckRow{"NameInUseBeforeEmptyHardwareField",
                 [](auto& d) {
                     d.type(ids::kName, "Printer"); // the edit makes it lower case
                     d.type(ids::kHardwareAddress[5], "");
                 },
                 "Name error.\nThis name is already in use.\nYou must use a different name."},
        CheckRow{"NonHexCountsZeroAndMatchesAnotherRowFirst",
                 [](auto& d) {
                     typeAll(d, ids::kHardwareAddress, {"0x", "1b", "2C", "3d", "4e", "5f"});
                 },
                 kHardwareInUse},
        CheckRow{"EmptyHardwareField", [](auto& d) { d.type(ids::kHardwareAddress[2], ""); },
                 "Please fill each blank in H/W address field."},
        CheckRow{"NonHexHardwareField", [](auto& d) { d.type(ids::kHardwareAddress[3], "g1"); },
                 "Each H/W addree field should be hexdecimal value."},
        CheckRow{"UncheckedBoxSkipsTheAddress",
                 [](auto& d) { typeAll(d, ids::kReservedIp, {"999"}); }, nullptr},
        CheckRow{"EmptyAddressField", reserve({"192", "168", "", "5"}),
                 "Each IP address field should not be empty"},
        CheckRow{"OctetAbove255", reserve({"192", "168", "1", "300"}),
                 "IP Address error.\nFor an IP Address, each field must have a value between 0 "
                 "and 255."},
        CheckRow{"StartOfTheRange", reserve({"192", "168", "1", "2"}), nullptr},
        CheckRow{"EndOfTheRange", reserve({"192", "168", "1", "100"}), nullptr},
        CheckRow{"AboveTheRange", reserve({"192", "168", "1", "101"}), kOutsideDhcp},
        CheckRow{"BelowTheRangeInAnEarlierOctet", reserve({"192", "167", "1", "50"}),
                 kOutsideDhcp}),
    [](const auto& info) { return info.param.name; });

TEST(WorkstationDlg, HexFieldsBecomeBytesAndShowAsUpperCasePairs) {
    Fixture f;
    WkInfo record{};
    auto add = f.dialog(record);
    auto d = f.host.open(add);
    d.type(ids::kName, "lab");
    typeAll(d, ids::kHardwareAddress, {"0a", "1B", "c", "00", "FF", "7"});
    d.select(ids::kGroup, 3);
    reserve({"192", "168", "1", "50"})(d);
    d.click(ui::kIdOk);
    const std::vector<std::uint8_t> hardware(record.hardware, record.hardware + 6);
    EXPECT_EQ(hardware, (std::vector<std::uint8_t>{0x0a, 0x1b, 0x0c, 0x00, 0xff, 0x07}));
    EXPECT_EQ(record.group, 3);
    EXPECT_EQ(record.address[3], 50);

    auto edit = f.dialog(record, CWorkstationDlg::kEdit, 0);
    auto e = f.host.open(edit);
    std::vector<std::string> shown;
    for (const int id : ids::kHardwareAddress)
        shown.push_back(e.text(id));
    EXPECT_EQ(shown, (std::vector<std::string>{"0A", "1B", "0C", "00", "FF", "07"}));
    EXPECT_TRUE(e.isChecked(ids::kReserve));
}

TEST(WorkstationDlg, EditAcceptsItsOwnRowAndCancelGivesBackTheRecord) {
    Fixture f;
    WkInfo& record = f.stations.back().record;
    const WkInfo before = record;
    auto keep = f.dialog(record, CWorkstationDlg::kEdit, 1);
    f.host.open(keep).click(ui::kIdOk);
    EXPECT_TRUE(f.host.messageTexts().empty());

    auto edit = f.dialog(record, CWorkstationDlg::kEdit, 1);
    auto e = f.host.open(edit);
    e.type(ids::kName, "pc-anna"); // refused as a duplicate, but already copied
    e.click(ui::kIdOk);
    e.click(ui::kIdCancel);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

} // namespace
} // namespace tolvaro::pages
