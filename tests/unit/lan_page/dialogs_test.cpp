#include <gtest/gtest.h>

#include "pages/lan/dhcp_status_dlg.h"
#include "pages/lan/route_dlg.h"
#include "res/ids/dhcp_status_ids.h"
#include "res/ids/route_ids.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"
#include "unit/lan_page/route_bytes.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::route;
using Quad = std::array<const char*, 4>;

struct RouteEntry {
    const char* name = "office";
    Quad destination{"10", "0", "0", "0"};
    Quad mask{"255", "0", "0", "0"};
    Quad gateway{"192", "168", "1", "254"};
    const char* metric = "1";
};

class RouteDlgTest : public testing::Test {
protected:
    RouteDlgTest() { routes.emplace_back(test::route("inuse", 10, 1)); }

    ui::ScriptedDialogDriver open() { return host.open(dialog); }

    static void fill(ui::ScriptedDialogDriver& d, const RouteEntry& e) {
        d.type(ids::kName, e.name);
        for (std::size_t i = 0; i < 4; ++i) {
            d.type(ids::kDestination[i], e.destination[i]);
            d.type(ids::kMask[i], e.mask[i]);
            d.type(ids::kGateway[i], e.gateway[i]);
        }
        d.type(ids::kMetric, e.metric);
    }

    ui::ScriptedHost host;
    RouteList routes;
    S_ROUTE record = test::route("old", 1, 1, 7);
    CRouteDlg dialog{record, CRouteDlg::kNewRoute, routes};
};

struct OkRow {
    const char* name;
    RouteEntry entry;
    const char* message;
};

class RouteDlgChecks : public RouteDlgTest, public testing::WithParamInterface<OkRow> {};

TEST_P(RouteDlgChecks, FirstFailureKeepsTheDialogOpenAndTheRecordUntouched) {
    auto d = open();
    fill(d, GetParam().entry);
    d.pressEnter();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{GetParam().message});
    EXPECT_TRUE(d.isOpen());
    EXPECT_EQ(test::routeNames(reinterpret_cast<const std::uint8_t*>(&record), 24),
              std::vector<std::string>{"old"});
}

RouteEntry with(RouteEntry e, void (*change)(RouteEntry&)) {
    change(e);
    return e;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RouteDlgChecks,
    testing::Values(
        OkRow{"NameEmpty", with({}, [](RouteEntry& e) { e.name = ""; }),
              "Please fill the name of this entry"},
        OkRow{"DestinationEmpty", with({}, [](RouteEntry& e) { e.destination[3] = ""; }),
              "Please fill each destination address field."},
        OkRow{"Destination300", with({}, [](RouteEntry& e) { e.destination[0] = "300"; }),
              "Destination Address error.\nFor an IP Address, each field must have a value "
              "between 0 and 255."},
        OkRow{"MaskEmpty", with({}, [](RouteEntry& e) { e.mask[1] = ""; }),
              "Please fill each network mask field."},
        OkRow{"Mask256", with({}, [](RouteEntry& e) { e.mask[1] = "256"; }),
              "Network mask error.\nFor an IP Address, each field must have a value between 0 "
              "and 255."},
        OkRow{"DefaultWithDestination", with({}, [](RouteEntry& e) { e.name = "default"; }),
              "If you would like to set a default gateway,\ndestination address should be "
              "0.0.0.0 and\nnetwork mask should be 0.0.0.0 ."},
        OkRow{"GatewayEmpty", with({}, [](RouteEntry& e) { e.gateway[2] = ""; }),
              "Please fill each gateway address field."},
        OkRow{"Gateway255", with({}, [](RouteEntry& e) { e.gateway[3] = "255"; }),
              "Gateway address error.\nFor an IP Address, each field must have a value between 0 "
              "and 254."},
        OkRow{"GatewayZero",
              with({},
                   [](RouteEntry& e) {
                       e.gateway = {"0", "0", "0", "0"};
                   }),
              "Gateway address error.\nFor an IP Address, all field must not be 0."},
        OkRow{"MetricEmpty", with({}, [](RouteEntry& e) { e.metric = ""; }),
              "Please fill the metric field. "},
        // Enter leaves the focus in the metric edit, so OK applies its rule.
        OkRow{"Metric16ByEnter", with({}, [](RouteEntry& e) { e.metric = "16"; }),
              "Matric should be 0-15, it will be changed to 0 automatically"},
        OkRow{"NameInUse", with({}, [](RouteEntry& e) { e.name = "inuse"; }),
              "Name error.\nThis name is already in use.\nYou must use a different name."},
        OkRow{"NinthCharacterDoesNotMakeANameNew",
              with({}, [](RouteEntry& e) { e.name = "inuse"; }),
              "Name error.\nThis name is already in use.\nYou must use a different name."}),
    [](const auto& info) { return info.param.name; });

TEST_F(RouteDlgTest, NinthCharacterIsDroppedAndStillClashes) {
    routes.emplace_back(test::route("abcdefgh", 20, 1));
    auto d = open();
    fill(d, with({}, [](RouteEntry& e) { e.name = "abcdefghi"; }));
    d.click(ui::kIdOk);
    EXPECT_EQ(host.messages().size(), 1u);
    d.type(ids::kName, "abcdefgxy");
    d.click(ui::kIdOk);
    ASSERT_FALSE(d.isOpen());
    EXPECT_EQ(test::routeNames(reinterpret_cast<const std::uint8_t*>(&record), 24),
              std::vector<std::string>{"abcdefgx"});
}

TEST_F(RouteDlgTest, DefaultRouteFromTheNameFieldAndMetricRuleOnLeaving) {
    auto d = open();
    EXPECT_EQ(d.comboItems(ids::kInterface), (std::vector<std::string>{"LAN", "WAN"}));
    EXPECT_EQ(d.comboSelection(ids::kInterface), 0);
    fill(d, with({}, [](RouteEntry& e) { e.name = "DEFAULT"; }));
    d.focus(ids::kName);
    d.focus(ids::kMetric);
    EXPECT_EQ(d.text(ids::kName), "default");
    EXPECT_EQ(d.text(ids::kDestination[0]), "0");
    EXPECT_EQ(d.text(ids::kMask[0]), "0");
    d.type(ids::kMetric, "16");
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
    EXPECT_EQ(record.destination[0], 0);
}

TEST_F(RouteDlgTest, CancelMarksTheRecordWith255) {
    auto d = open();
    EXPECT_EQ(d.textLimit(ids::kName), 9);
    EXPECT_EQ(d.textLimit(ids::kMetric), 2);
    d.pressEscape();
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(record.metric, CRouteDlg::kCancelledMetric);
}

// DHCP lease status.

dhcp_tmp_s lease(std::uint8_t last, std::uint8_t dynamic, std::int32_t value) {
    dhcp_tmp_s l{};
    const std::uint8_t address[4] = {192, 168, 1, last};
    const std::uint8_t hardware[6] = {0x00, 0x0a, 0x95, 0x9d, 0x68, last};
    std::memcpy(l.address, address, 4);
    std::memcpy(l.hardware, hardware, 6);
    l.dynamic = dynamic;
    l.lease = value;
    return l;
}

// The library's lease byte form, written by hand: the library only decodes.
std::vector<std::uint8_t> leaseBytes(const std::vector<dhcp_tmp_s>& leases, std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0);
    for (std::size_t i = 0; i < leases.size(); ++i) {
        std::uint8_t* out = bytes.data() + i * ipslan::kLeaseBytes;
        std::memcpy(out, leases[i].address, 4);
        std::memcpy(out + 4, leases[i].hardware, 6);
        out[10] = leases[i].dynamic;
        const auto value = static_cast<std::uint32_t>(leases[i].lease);
        for (int b = 0; b < 4; ++b)
            out[11 + b] = static_cast<std::uint8_t>(value >> (8 * b));
    }
    return bytes;
}

class DhcpStatusTest : public testing::Test {
protected:
    DhcpStatusTest() { state.devices[0] = test::makeRouter("Office", "192.168.1.1"); }

    ui::ScriptedDialogDriver open() { return host.open(dialog); }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    CDhcpStatusDlg dialog{context};
};

TEST_F(DhcpStatusTest, RowsSeventeenPerVariable) {
    std::vector<dhcp_tmp_s> first;
    for (std::uint8_t i = 1; i <= 17; ++i)
        first.push_back(lease(i, 1, 3600));
    first.push_back(lease(99, 1, 3600)); // past the 17th: never shown
    device.setBytes(0x1006, leaseBytes(first, 18 * ipslan::kLeaseBytes));
    device.setBytes(0x1007, leaseBytes({lease(0x16, 0, 3600), lease(31, 1, -1)}, 255));
    auto d = open();

    const auto read = device.callsOf(test::DeviceOp::GetInfo).at(0);
    EXPECT_EQ(read.variables, (std::vector<int>{0x1006, 0x1007, 0x1008, 0x1009}));
    EXPECT_EQ(read.text, "192.168.1.1");
    EXPECT_EQ(d.listColumns(res::dhcp_status::kLeaseList),
              (std::vector<std::string>{"IP Address", "H/W Address", "Status"}));
    ASSERT_EQ(d.listCount(res::dhcp_status::kLeaseList), 19);
    EXPECT_EQ(d.listText(res::dhcp_status::kLeaseList, 0, 0), "192 . 168 . 1 . 1 ");
    EXPECT_EQ(d.listText(res::dhcp_status::kLeaseList, 0, 2), "Leased");
    EXPECT_EQ(d.listText(res::dhcp_status::kLeaseList, 17, 1), "00-0A-95-9D-68-16");
    EXPECT_EQ(d.listText(res::dhcp_status::kLeaseList, 17, 2), "Reserve"); // not dynamic
    EXPECT_EQ(d.listText(res::dhcp_status::kLeaseList, 18, 2), "Reserve"); // no lease value
    EXPECT_EQ(host.waitCursorDepth(), 0);
    d.click(ui::kIdOk);
    EXPECT_FALSE(d.isOpen());
}

TEST_F(DhcpStatusTest, FailedReadLeavesTheListWithoutColumns) {
    device.failGetOf(0x1008);
    auto d = open();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Get DHCP Status fail"});
    EXPECT_TRUE(d.listColumns(res::dhcp_status::kLeaseList).empty());
    EXPECT_TRUE(d.isOpen());
}

} // namespace
} // namespace tolvaro::pages
