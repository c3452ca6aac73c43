#include <gtest/gtest.h>

#include <memory>

#include "device/config_store.h"
#include "device/dotted_text.h"
#include "pages/lan/lan_page.h"
#include "res/ids/lan_ids.h"
#include "res/ids/route_ids.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"
#include "unit/lan_page/route_bytes.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::lan;
using device::Family;
using test::DeviceOp;
using Quad = std::array<const char*, 4>;

constexpr int kStatusTemplate = 158;

class LanPageTest : public testing::Test {
protected:
    LanPageTest() { prepare(Family::Two); }

    void prepare(Family family, const std::vector<S_ROUTE>& routes = {test::route("a", 10, 254)},
                 const char* mask = "255.255.255.0") {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1", "", 2, mask);
        store = std::make_unique<device::ConfigStore>(family);
        store->saveConfirmed = 1;
        test::putInteger(entry(0x3004), 1);
        test::putText(entry(0x3006), "192.168.1.100");
        test::putText(entry(0x3005), "192.168.1.199");
        test::putText(entry(0x3012), "192.0.2.53");
        test::putText(entry(0x3013), "192.0.2.54");
        test::putText(entry(0x3014), "0.0.0.0");
        test::putText(entry(0x4004), "10.9.9.9");
        const auto bytes = test::routeBytes(routes, 480);
        test::putEntry(entry(0x3601), kTypeOctetString, bytes.data(), 240);
        test::putEntry(entry(0x3602), kTypeOctetString, bytes.data() + 240, 240);
        if (family == Family::Two)
            test::putInteger(entry(0x4026), 1);
    }

    MIB_RESPONSE& entry(int variable) { return store->read(store->slotOf(variable).value()); }

    // The LAN page in a sheet of its own, with a second page to leave to.
    ui::ScriptedDialogDriver open() {
        page = std::make_unique<CMLan>(context, *store);
        sheet = std::make_unique<ui::PropertySheet>("Office");
        sheet->addPage(*page);
        sheet->addPage(other);
        drv = std::make_unique<ui::ScriptedSheetDriver>(host.open(*sheet));
        return drv->page();
    }

    static void typeQuad(ui::ScriptedDialogDriver& p, const std::array<int, 4>& ids, Quad q) {
        for (std::size_t i = 0; i < 4; ++i)
            p.type(ids[i], q[i]);
    }

    // The page's one request; the reset (if any) follows it.
    test::DeviceCall pageWrite() const { return device.callsOf(DeviceOp::SetInfo).at(0); }
    _snmp_packet sent(int variable) const {
        const auto call = pageWrite();
        for (std::size_t i = 0; i < call.variables.size(); ++i)
            if (call.variables[i] == variable)
                return call.values[i];
        ADD_FAILURE() << "not sent: " << variable;
        return {};
    }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    std::unique_ptr<device::ConfigStore> store;
    std::unique_ptr<CMLan> page;
    ui::PropertyPage other{kStatusTemplate};
    std::unique_ptr<ui::PropertySheet> sheet;
    std::unique_ptr<ui::ScriptedSheetDriver> drv;
};

TEST_F(LanPageTest, FirstDisplayFillsEveryControlFromTheStore) {
    prepare(Family::Two, {test::route("a", 10, 254, 3, 0), test::route("b", 11, 253, 15, 2),
                          test::route("c", 12, 252, 0, 3)});
    auto p = open();
    EXPECT_EQ(p.listColumns(ids::kRouteList),
              (std::vector<std::string>{"Destination", "Mask", "Gateway", "Interface", "Metric"}));
    const auto widths = p.listColumnWidths(ids::kRouteList);
    EXPECT_EQ(widths[3], widths[0] / 2 + 2);
    EXPECT_EQ(widths[4], widths[0] / 2 - 2);
    ASSERT_EQ(p.listCount(ids::kRouteList), 3);
    EXPECT_EQ(p.listText(ids::kRouteList, 0, 0), "10 . 0 . 0 . 0");
    EXPECT_EQ(p.listText(ids::kRouteList, 0, 1), "255 . 0 . 0 . 0");
    EXPECT_EQ(p.listText(ids::kRouteList, 0, 2), "192 . 168 . 1 . 254");
    EXPECT_EQ(p.listText(ids::kRouteList, 0, 4), "3");
    EXPECT_EQ(p.listText(ids::kRouteList, 1, 3), "WAN"); // interface 2
    EXPECT_EQ(p.listText(ids::kRouteList, 2, 3), "LAN"); // interface 3
    EXPECT_EQ(p.text(ids::kDhcpStart[3]), "100");
    EXPECT_EQ(p.text(ids::kDhcpEnd[3]), "199");
    EXPECT_TRUE(p.isChecked(ids::kDhcpEnable));
    EXPECT_TRUE(p.isEnabled(ids::kDhcpEnd[0]));
    EXPECT_TRUE(p.isChecked(ids::kRip));
    EXPECT_EQ(p.textLimit(ids::kDns3[2]), 3);
    EXPECT_EQ(p.text(ids::kDns2[3]), "54");
    // DNS 1 comes from 0x3012 and becomes the primary DNS Quick Setup shows.
    EXPECT_EQ(p.text(ids::kDns1[0]), "192");
    EXPECT_EQ(device::entryText(entry(0x4004)), "192.0.2.53");
    EXPECT_EQ(device::entryLength(entry(0x4004)), 10u);
    EXPECT_EQ(store->resetOwner, 4);
    EXPECT_TRUE(host.messages().empty());
}

struct TableRow {
    const char* name;
    std::vector<S_ROUTE> first;  // 0x3601, also past its ten records
    std::vector<S_ROUTE> second; // 0x3602
    int rows;
    const char* lastDestination;
};

class RouteTable : public LanPageTest, public testing::WithParamInterface<TableRow> {};

TEST_P(RouteTable, ShowsRoutesUpToTheZeroGatewayTenPerVariable) {
    const TableRow& row = GetParam();
    prepare(Family::Two, {});
    const auto first = test::routeBytes(row.first, 24 * row.first.size() + 24);
    const auto second = test::routeBytes(row.second);
    test::putEntry(entry(0x3601), kTypeOctetString, first.data(), first.size());
    test::putEntry(entry(0x3602), kTypeOctetString, second.data(), second.size());
    auto p = open();
    ASSERT_EQ(p.listCount(ids::kRouteList), row.rows);
    if (row.rows > 0) {
        EXPECT_EQ(p.listText(ids::kRouteList, row.rows - 1), row.lastDestination);
    }
}

std::vector<S_ROUTE> routes(int count, std::uint8_t firstDestination) {
    std::vector<S_ROUTE> list;
    for (int i = 0; i < count; ++i)
        list.push_back(test::route(("r" + std::to_string(i)).c_str(),
                                   static_cast<std::uint8_t>(firstDestination + i), 254));
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, RouteTable,
    testing::Values(TableRow{"FirstGatewayZeroEndsAtOnce",
                             {test::route("z", 10, 0), test::route("a", 11, 254)},
                             routes(2, 50),
                             0,
                             ""},
                    TableRow{"TwentyRoutes", routes(10, 1), routes(10, 50), 20, "59 . 0 . 0 . 0"},
                    TableRow{"EleventhRecordComesFromTheSecondVariable", routes(11, 1),
                             routes(1, 50), 11, "50 . 0 . 0 . 0"}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanPageTest, Family1HasNoRipAndSendsEightVariables) {
    prepare(Family::One);
    auto p = open();
    EXPECT_FALSE(p.isChecked(ids::kRip));
    EXPECT_FALSE(p.isEnabled(ids::kRip));
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(pageWrite().variables,
              (std::vector<int>{0x3004, 0x3006, 0x3005, 0x3012, 0x3013, 0x3014, 0x3601, 0x3602}));
}

struct CheckRow {
    const char* name;
    Quad start;
    Quad end;
    Quad dns1;
    const char* message; // "" when the page may be left
    const char* mask = "255.255.255.0";
    int remote = 0;
};

class Validation : public LanPageTest, public testing::WithParamInterface<CheckRow> {};

TEST_P(Validation, FirstFailedCheckKeepsThePage) {
    const CheckRow& row = GetParam();
    prepare(Family::Two, {}, row.mask);
    state.remoteFlag = row.remote;
    auto p = open();
    typeQuad(p, ids::kDhcpStart, row.start);
    typeQuad(p, ids::kDhcpEnd, row.end);
    typeQuad(p, ids::kDns1, row.dns1);
    const bool passes = std::string(row.message).empty();
    EXPECT_EQ(drv->selectPage(1), passes);
    EXPECT_EQ(host.messageTexts(),
              passes ? std::vector<std::string>{} : std::vector<std::string>{row.message});
    EXPECT_EQ(drv->activePage(), passes ? 1 : 0);
}

const Quad kStart{"192", "168", "1", "1"};
const Quad kEnd{"192", "168", "1", "253"};
const Quad kDns{"192", "0", "2", "1"};

INSTANTIATE_TEST_SUITE_P(
    Rows, Validation,
    testing::Values(
        CheckRow{"Pool253Addresses", kStart, kEnd, kDns, ""},
        CheckRow{"Pool254Addresses",
                 kStart,
                 {"192", "168", "1", "254"},
                 kDns,
                 "DHCP IP range should <=253."},
        CheckRow{"StartBlank",
                 {"192", "", "1", "1"},
                 kEnd,
                 kDns,
                 "DHCP start value should not be blank."},
        CheckRow{"StartAbove255",
                 {"192", "168", "1", "256"},
                 kEnd,
                 kDns,
                 "DHCP Start Address error.\nFor an IP Address, each field must have a value "
                 "between 0 and 255."},
        CheckRow{"StartOutsideNetwork",
                 {"192", "168", "2", "1"},
                 kEnd,
                 kDns,
                 "DHCP start IP address should be the same \nnetwork number with device IP."},
        CheckRow{"EndBlank", kStart, {"", "", "", ""}, kDns, "DHCP end value should not be blank."},
        CheckRow{"EndAbove255",
                 kStart,
                 {"192", "168", "1", "999"},
                 kDns,
                 "DHCP End Address error.\nFor an IP Address, each field must have a value "
                 "between 0 and 255."},
        CheckRow{"EndOutsideNetwork",
                 kStart,
                 {"10", "168", "1", "9"},
                 kDns,
                 "DHCP end IP address should be the same \nnetwork number with device IP."},
        CheckRow{"EndOneBelowStart",
                 {"192", "168", "1", "100"},
                 {"192", "168", "1", "99"},
                 kDns,
                 "DHCP end value should not be smaller than start value."},
        CheckRow{"SpanAcrossOctets",
                 {"192", "168", "1", "250"},
                 {"192", "168", "2", "1"},
                 kDns,
                 "",
                 "255.255.0.0"},
        CheckRow{"SpanAcrossOctetsReversed",
                 {"192", "168", "2", "1"},
                 {"192", "168", "1", "250"},
                 kDns,
                 "DHCP end value should not be smaller than start value.",
                 "255.255.0.0"},
        CheckRow{"RemoteRouterTakesAnyNetwork",
                 {"10", "0", "0", "1"},
                 {"10", "0", "0", "9"},
                 kDns,
                 "",
                 "255.255.255.0",
                 1},
        CheckRow{
            "LettersReadAsZero", {"192", "168", "1", "ab"}, {"192", "168", "1", "9"}, kDns, ""},
        CheckRow{"Dns1Blank", kStart, kEnd, {"192", "0", "", "1"}, "DNS1 should not be blank."},
        CheckRow{"Dns1Above255",
                 kStart,
                 kEnd,
                 {"300", "0", "2", "1"},
                 "DNS1 Address error.\nFor an IP Address, each field must have a value between 0 "
                 "and 255."}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanPageTest, AnAcceptedPoolBecomesTheDhcpRangeOnlyWhenEveryCheckPasses) {
    auto p = open();
    typeQuad(p, ids::kDhcpStart, {"192", "168", "1", "10"});
    typeQuad(p, ids::kDhcpEnd, {"192", "168", "1", "20"});
    p.type(ids::kDns1[0], "");
    EXPECT_FALSE(drv->selectPage(1));
    EXPECT_EQ(state.dhcpRangeStart, (device::Octets{0, 0, 0, 0}));
    p.type(ids::kDns1[0], "8");
    EXPECT_TRUE(drv->selectPage(1));
    EXPECT_EQ(state.dhcpRangeStart, (device::Octets{192, 168, 1, 10}));
    EXPECT_EQ(state.dhcpRangeEnd, (device::Octets{192, 168, 1, 20}));
}

TEST_F(LanPageTest, DisabledDhcpSkipsThePoolButStillSendsIt) {
    auto p = open();
    p.click(ids::kDhcpEnable);
    EXPECT_FALSE(p.isEnabled(ids::kDhcpStart[0]));
    typeQuad(p, ids::kDns2, {"300", "1", "1", "1"});
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    EXPECT_EQ(state.dhcpRangeEnd, (device::Octets{0, 0, 0, 0}));
    EXPECT_EQ(test::sentText(sent(0x3004)), "0");
    EXPECT_EQ(test::sentText(sent(0x3006)), "192.168.1.100");
    EXPECT_EQ(test::sentText(sent(0x3013)), "300.1.1.1"); // DNS 2 goes as typed
}

TEST_F(LanPageTest, DnsOneIsOneValueWithTheQuickSetupPrimaryDns) {
    auto p = open();
    p.type(ids::kDns1[3], "77");
    EXPECT_EQ(device::entryText(entry(0x4004)), "192.0.2.77");
    ASSERT_TRUE(drv->selectPage(1));
    test::putText(entry(0x4004), "10.20.30.40");
    ASSERT_TRUE(drv->selectPage(0));
    EXPECT_EQ(p.text(ids::kDns1[1]), "20");
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(test::sentText(sent(0x3012)), "10.20.30.40");
}

TEST_F(LanPageTest, ApplySendsOneRequestThenTheReset) {
    auto p = open();
    typeQuad(p, ids::kDhcpEnd, {"192", "168", "1", "150"});
    p.click(ids::kRip);
    ASSERT_TRUE(drv->pressOK());
    const auto writes = device.callsOf(DeviceOp::SetInfo);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].number, 0);
    EXPECT_EQ(writes[0].variables, (std::vector<int>{0x3004, 0x3006, 0x3005, 0x3012, 0x3013, 0x3014,
                                                     0x3601, 0x3602, 0x4026}));
    EXPECT_EQ(writes[1].variables, std::vector<int>{0x0001});
    EXPECT_EQ(sent(0x3004).type, kTypeInteger);
    EXPECT_EQ(test::sentText(sent(0x3004)), "1");
    EXPECT_EQ(test::sentText(sent(0x3005)), "192.168.1.150");
    EXPECT_EQ(test::sentText(sent(0x4026)), "0");
    EXPECT_EQ(sent(0x4026).type, kTypeInteger);
    for (int variable : {0x3601, 0x3602}) {
        EXPECT_EQ(sent(variable).type, kTypeOctetString);
        EXPECT_EQ(test::sentText(sent(variable)).size(), 240u);
    }
    EXPECT_EQ(test::routeNames(sent(0x3601).value, 240), std::vector<std::string>{"a"});
    EXPECT_EQ(host.waits().at(0).ms, 6000);
    EXPECT_EQ(host.messages().back().icon, ui::Icon::Information);
}

TEST_F(LanPageTest, FailedWriteIsReportedAndTheResetStillFollows) {
    device.failSetOf(0x3601);
    open();
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"IPSSetInfo fail", "Device reset finished"}));
}

TEST_F(LanPageTest, NothingIsWrittenWithoutSaveConfirmation) {
    store->saveConfirmed = 0;
    open();
    ASSERT_TRUE(drv->pressOK());
    EXPECT_TRUE(device.calls().empty());
}

TEST_F(LanPageTest, AddAppendsTheDialogsRouteAndCancelAddsNothing) {
    auto p = open();
    host.expectDialog(res::route::kTemplate, [](ui::ScriptedDialogDriver& d) {
        d.type(res::route::kName, "a"); // in use
        d.click(ui::kIdCancel);
    });
    p.click(ids::kAddRoute);
    EXPECT_EQ(p.listCount(ids::kRouteList), 1);
    host.expectDialog(res::route::kTemplate, [](ui::ScriptedDialogDriver& d) {
        d.type(res::route::kName, "Lab");
        typeQuad(d, res::route::kDestination, {"172", "16", "0", "0"});
        typeQuad(d, res::route::kMask, {"255", "255", "0", "0"});
        typeQuad(d, res::route::kGateway, {"192", "168", "1", "9"});
        d.type(res::route::kMetric, "2");
        d.select(res::route::kInterface, "WAN");
        d.click(ui::kIdOk);
    });
    p.click(ids::kAddRoute);
    ASSERT_EQ(p.listCount(ids::kRouteList), 2);
    EXPECT_EQ(p.listText(ids::kRouteList, 1, 0), "172 . 16 . 0 . 0");
    EXPECT_EQ(p.listText(ids::kRouteList, 1, 3), "WAN");
    EXPECT_TRUE(page->isModified());
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(test::routeNames(sent(0x3601).value, 240), (std::vector<std::string>{"a", "lab"}));
}

TEST_F(LanPageTest, TheTwentyFirstRouteIsRefused) {
    prepare(Family::Two, routes(20, 1));
    auto p = open();
    p.click(ids::kAddRoute); // no dialog expected
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{"NO. of Routing Entries should not be more than 20"});
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(test::routeNames(sent(0x3602).value, 240).back(), "r19");
}

TEST_F(LanPageTest, DeleteRemovesTheSelectedRowAndItsRoute) {
    prepare(Family::Two, routes(3, 1));
    auto p = open();
    p.click(ids::kDeleteRoute);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"You have to select a route entry"});
    p.clickRow(ids::kRouteList, 0);
    p.click(ids::kDeleteRoute);
    ASSERT_EQ(p.listCount(ids::kRouteList), 2);
    EXPECT_EQ(p.listText(ids::kRouteList, 0), "2 . 0 . 0 . 0");
    EXPECT_EQ(p.listText(ids::kRouteList, 1), "3 . 0 . 0 . 0");
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(test::routeNames(sent(0x3601).value, 240), (std::vector<std::string>{"r1", "r2"}));
}

} // namespace
} // namespace tolvaro::pages
