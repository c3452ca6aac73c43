#include <gtest/gtest.h>

#include <cstring>

#include "pages/lan/dhcp_status_dlg.h"
#include "pages/lan/route_dlg.h"
#include "res/ids/dhcp_status_ids.h"
#include "res/ids/route_ids.h"
#include "support/recording_device.h"
#include "unit/pages/lan/lan_support.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::route;

class RouteDlgTest : public testing::Test {
protected:
    RouteDlgTest() { routes.emplace_back(test::route("inuse", 10)); }

    // Fills the dialog from "name|destination|mask|gateway|metric".
    static void fill(ui::ScriptedDialogDriver& d, const std::string& entry) {
        std::vector<std::string> f;
        for (std::size_t from = 0, bar = 0; bar != std::string::npos; from = bar + 1) {
            bar = entry.find('|', from);
            f.push_back(entry.substr(from, bar == std::string::npos ? bar : bar - from));
        }
        d.type(ids::kName, f[0]);
        test::typeAddress(d, ids::kDestination, f[1]);
        test::typeAddress(d, ids::kMask, f[2]);
        test::typeAddress(d, ids::kGateway, f[3]);
        d.type(ids::kMetric, f[4]);
    }

    ui::ScriptedHost host;
    RouteList routes;
    S_ROUTE record = test::route("old", 1);
    CRouteDlg dialog{record, CRouteDlg::kNewRoute, routes};
};

struct OkRow {
    const char* name;
    const char* entry;
    std::string message;
};

class RouteDlgChecks : public RouteDlgTest, public testing::WithParamInterface<OkRow> {};

TEST_P(RouteDlgChecks, FirstFailureKeepsTheDialogOpenAndTheRecordUntouched) {
    auto d = host.open(dialog);
    fill(d, GetParam().entry);
    d.pressEnter();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{GetParam().message});
    EXPECT_TRUE(d.isOpen());
    EXPECT_STREQ(record.name, "old");
}

const std::string kEachField = "\nFor an IP Address, each field must have a value between 0 and ";

INSTANTIATE_TEST_SUITE_P(
    Rows, RouteDlgChecks,
    testing::Values(
        OkRow{"NameEmpty", "|10.0.0.0|255.0.0.0|192.168.1.1|1",
              "Please fill the name of this entry"},
        OkRow{"DestinationEmpty", "a|10.0.0.|255.0.0.0|192.168.1.1|1",
              "Please fill each destination address field."},
        OkRow{"Destination300", "a|300.0.0.0|255.0.0.0|192.168.1.1|1",
              "Destination Address error." + kEachField + "255."},
        OkRow{"MaskEmpty", "a|10.0.0.0|255..0.0|192.168.1.1|1",
              "Please fill each network mask field."},
        OkRow{"Mask256", "a|10.0.0.0|256.0.0.0|192.168.1.1|1",
              "Network mask error." + kEachField + "255."},
        OkRow{"DefaultWithDestination", "default|10.0.0.0|0.0.0.0|192.168.1.1|1",
              "If you would like to set a default gateway,\ndestination address should be "
              "0.0.0.0 and\nnetwork mask should be 0.0.0.0 ."},
        OkRow{"GatewayEmpty", "a|10.0.0.0|255.0.0.0|192.168..1|1",
              "Please fill each gateway address field."},
        OkRow{"Gateway255", "a|10.0.0.0|255.0.0.0|192.168.1.255|1",
              "Gateway address error." + kEachField + "254."},
        OkRow{"GatewayZero", "a|10.0.0.0|255.0.0.0|0.0.0.0|1",
              "Gateway address error.\nFor an IP Address, all field must not be 0."},
        OkRow{"MetricEmpty", "a|10.0.0.0|255.0.0.0|192.168.1.1|", "Please fill the metric field. "},
        // Enter leaves the focus in the metric edit, so OK applies its rule.
        OkRow{"Metric16ByEnter", "a|10.0.0.0|255.0.0.0|192.168.1.1|16",
              "Matric should be 0-15, it will be changed to 0 automatically"},
        OkRow{"NameInUse", "inuse|10.0.0.0|255.0.0.0|192.168.1.1|1",
              "Name error.\nThis name is already in use.\nYou must use a different name."}),
    [](const auto& info) { return info.param.name; });

TEST_F(RouteDlgTest, NameIsStoredWithEightCharactersAndComparedSo) {
    routes.emplace_back(test::route("abcdefgh", 20));
    auto d = host.open(dialog);
    fill(d, "abcdefghi|10.0.0.0|255.0.0.0|192.168.1.1|1");
    d.click(ui::kIdOk);
    EXPECT_EQ(host.messages().size(), 1u);
    d.type(ids::kName, "abcdefgxy");
    d.click(ui::kIdOk);
    ASSERT_FALSE(d.isOpen());
    EXPECT_STREQ(record.name, "abcdefgx");
}

TEST_F(RouteDlgTest, DefaultRouteFromTheNameFieldAndMetricRuleOnLeaving) {
    auto d = host.open(dialog);
    EXPECT_EQ(d.comboSelection(ids::kInterface), 0);
    fill(d, "DEFAULT|10.0.0.0|255.0.0.0|192.168.1.254|16");
    d.focus(ids::kName);
    d.focus(ids::kInterface); // leaves the name, then the metric is untouched
    EXPECT_EQ(d.text(ids::kName), "default");
    EXPECT_EQ(d.text(ids::kDestination[0]), "0");
    EXPECT_EQ(d.text(ids::kMask[0]), "0");
    d.focus(ids::kMetric);
    d.leave();
    EXPECT_EQ(
        host.messageTexts(),
        std::vector<std::string>{"Matric should be 0-15, it will be changed to 0 automatically"});
    EXPECT_EQ(d.text(ids::kMetric), "0");
    d.select(ids::kInterface, "WAN");
    d.click(ui::kIdOk);
    ASSERT_FALSE(d.isOpen());
    EXPECT_EQ(record.metric, 0);
    EXPECT_EQ(record.interface, 1);
    EXPECT_EQ(record.gateway[3], 254);
}

// Three addresses of the same shape and a metric at its limit: each must land
// in its own field, and 15 passes both the field's rule and OK's.
TEST_F(RouteDlgTest, OkStoresEachBoxInItsOwnFieldAndAcceptsMetric15) {
    auto d = host.open(dialog);
    fill(d, "branch|10.1.0.0|255.255.0.0|192.168.1.254|15");
    d.leave();
    d.click(ui::kIdOk);
    ASSERT_FALSE(d.isOpen()) << testing::PrintToString(host.messageTexts());
    EXPECT_TRUE(host.messages().empty());
    const S_ROUTE expected{"branch", {10, 1, 0, 0}, {255, 255, 0, 0}, {192, 168, 1, 254}, 15, 0};
    EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0)
        << "destination " << int(record.destination[0]) << " mask " << int(record.netmask[0])
        << " gateway " << int(record.gateway[0]) << " metric " << int(record.metric);
}

TEST_F(RouteDlgTest, CancelMarksTheRecordWith255) {
    auto d = host.open(dialog);
    EXPECT_EQ(d.textLimit(ids::kName), 9);
    d.pressEscape();
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(record.metric, CRouteDlg::kCancelledMetric);
}

// The library's lease byte form (address 4, hardware 6, dynamic 1, lease 4
// low byte first), written here because the library only decodes it.
void putLease(std::vector<std::uint8_t>& bytes, std::size_t index, std::uint8_t last,
              std::uint8_t dynamic, std::int32_t lease) {
    const std::uint8_t record[15] = {192,  168,  1,    last, 0x00,   0x0a,
                                     0x95, 0x9d, 0x68, last, dynamic};
    std::uint8_t* out = bytes.data() + index * ipslan::kLeaseBytes;
    std::memcpy(out, record, 11);
    std::memcpy(out + 11, &lease, 4);
}

class DhcpStatusTest : public testing::Test {
protected:
    DhcpStatusTest() { state.devices[0] = test::makeRouter("Office", "192.168.1.1"); }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    CDhcpStatusDlg dialog{context};
};

TEST_F(DhcpStatusTest, SeventeenRowsPerVariable) {
    namespace ids = res::dhcp_status;
    std::vector<std::uint8_t> first(18 * ipslan::kLeaseBytes), second(255);
    for (std::uint8_t i = 0; i < 18; ++i) // the 18th is never shown
        putLease(first, i, static_cast<std::uint8_t>(i + 1), 1, 3600);
    putLease(second, 0, 0x16, 0, 3600);
    putLease(second, 1, 31, 1, -1);
    device.setBytes(0x1006, first);
    device.setBytes(0x1007, second);
    auto d = host.open(dialog);

    const auto read = device.callsOf(test::DeviceOp::GetInfo).at(0);
    EXPECT_EQ(read.variables, (std::vector<int>{0x1006, 0x1007, 0x1008, 0x1009}));
    EXPECT_EQ(d.listColumns(ids::kLeaseList),
              (std::vector<std::string>{"IP Address", "H/W Address", "Status"}));
    ASSERT_EQ(d.listCount(ids::kLeaseList), 19);
    EXPECT_EQ(d.listText(ids::kLeaseList, 0, 0), "192 . 168 . 1 . 1 ");
    EXPECT_EQ(d.listText(ids::kLeaseList, 0, 2), "Leased");
    EXPECT_EQ(d.listText(ids::kLeaseList, 17, 1), "00-0A-95-9D-68-16");
    EXPECT_EQ(d.listText(ids::kLeaseList, 17, 2), "Reserve"); // not dynamic
    EXPECT_EQ(d.listText(ids::kLeaseList, 18, 2), "Reserve"); // no lease value
}

TEST_F(DhcpStatusTest, FailedReadLeavesTheListWithoutColumns) {
    device.failGetOf(0x1008);
    auto d = host.open(dialog);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Get DHCP Status fail"});
    EXPECT_TRUE(d.listColumns(res::dhcp_status::kLeaseList).empty());
    d.click(ui::kIdOk);
    EXPECT_FALSE(d.isOpen());
}

} // namespace
} // namespace tolvaro::pages
