#include <gtest/gtest.h>

#include <memory>

#include "device/config_store.h"
#include "device/dotted_text.h"
#include "pages/lan/lan_page.h"
#include "res/ids/lan_ids.h"
#include "res/ids/route_ids.h"
#include "support/list_choice.h"
#include "support/read_entry.h"
#include "support/recording_device.h"
#include "unit/pages/lan/lan_support.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::lan;
using device::Family;
using test::DeviceOp;

constexpr int kStatusTemplate = 158;
const std::int32_t kOn = 1;

class LanPageTest : public testing::Test {
protected:
    LanPageTest() { prepare(Family::Two); }

    void prepare(Family family, const std::vector<S_ROUTE>& routes = {test::route("a", 10)},
                 const char* mask = "255.255.255.0") {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1", "", 2, mask);
        store = std::make_unique<device::ConfigStore>(family);
        store->saveConfirmed = true;
        test::setReadEntry(entry(0x3004), kTypeInteger, &kOn, 4);
        test::setReadText(entry(0x3006), "192.168.1.100");
        test::setReadText(entry(0x3005), "192.168.1.199");
        test::setReadText(entry(0x3012), "192.0.2.53");
        test::setReadText(entry(0x3013), "192.0.2.54");
        test::setReadText(entry(0x4004), "10.9.9.9");
        putRoutes(test::routeBytes(routes, 480));
        if (family == Family::Two)
            test::setReadEntry(entry(0x4026), kTypeInteger, &kOn, 4);
    }

    // 0x3601 gets all but the last 240 bytes, 0x3602 those.
    void putRoutes(const std::vector<std::uint8_t>& bytes) {
        const std::size_t first = bytes.size() - 240;
        test::setReadEntry(entry(0x3601), kTypeOctetString, bytes.data(), first);
        test::setReadEntry(entry(0x3602), kTypeOctetString, bytes.data() + first, 240);
    }

    // The router's answer, as a fetch would leave it.
    MIB_RESPONSE& entry(int variable) {
        return device::ReadImageFill(*store).read(store->slotOf(variable).value());
    }
    // What the pages share: a value one page keeps for another.
    MIB_RESPONSE& shared(int variable) { return store->editSheet(store->slotOf(variable).value()); }

    // The LAN page in a sheet with a second page to leave to.
    ui::ScriptedDialogDriver open() {
        page = std::make_unique<CMLan>(context, *store);
        sheet = std::make_unique<ui::PropertySheet>("Office");
        sheet->addPage(*page);
        sheet->addPage(other);
        drv = std::make_unique<ui::ScriptedSheetDriver>(host.open(*sheet));
        return drv->page();
    }

    // The page's own request (the reset follows it).
    _snmp_packet sent(int variable) const {
        const auto call = device.callsOf(DeviceOp::SetInfo).at(0);
        for (std::size_t i = 0; i < call.variables.size(); ++i)
            if (call.variables[i] == variable)
                return call.values[i];
        ADD_FAILURE() << "not sent: " << variable;
        return {};
    }
    std::vector<std::string> sentRoutes(int variable) const {
        return test::routeNames(sent(variable).value, 240);
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
    std::vector<S_ROUTE> routes = test::routes(3, 10);
    routes[1].interface = 2;
    routes[2].interface = 3;
    prepare(Family::Two, routes);
    auto p = open();
    const auto widths = p.listColumnWidths(ids::kRouteList);
    EXPECT_EQ(widths[3], widths[0] / 2 + 2);
    EXPECT_EQ(widths[4], widths[0] / 2 - 2);
    ASSERT_EQ(p.listCount(ids::kRouteList), 3);
    EXPECT_EQ(p.listText(ids::kRouteList, 0, 0), "10 . 0 . 0 . 0");
    EXPECT_EQ(p.listText(ids::kRouteList, 0, 2), "192 . 168 . 1 . 254");
    EXPECT_EQ(p.listText(ids::kRouteList, 1, 3), "WAN");
    EXPECT_EQ(p.listText(ids::kRouteList, 2, 3), "LAN");
    EXPECT_EQ(p.text(ids::kDhcpEnd[3]), "199");
    EXPECT_TRUE(p.isEnabled(ids::kDhcpEnd[0]));
    EXPECT_TRUE(p.isChecked(ids::kRip));
    EXPECT_EQ(p.text(ids::kDns2[3]), "54");
    // DNS 1 comes from 0x3012 and becomes the primary DNS Quick Setup shows.
    EXPECT_EQ(p.text(ids::kDns1[3]), "53");
    EXPECT_EQ(device::entryText(shared(0x4004)), "192.0.2.53");
    EXPECT_EQ(device::entryLength(shared(0x4004)), 10u);
    EXPECT_EQ(store->resetOwner, 4);
}

TEST_F(LanPageTest, TheEleventhRouteComesFromTheStartOfTheSecondVariable) {
    std::vector<S_ROUTE> first = test::routes(11, 1); // one record too many in 0x3601
    std::vector<S_ROUTE> second = test::routes(1, 50);
    first.insert(first.end(), second.begin(), second.end());
    prepare(Family::Two, {});
    putRoutes(test::routeBytes(first, 11 * 24 + 240));
    auto p = open();
    ASSERT_EQ(p.listCount(ids::kRouteList), 11);
    EXPECT_EQ(p.listText(ids::kRouteList, 10), "50 . 0 . 0 . 0");
}

TEST_F(LanPageTest, ElevenRoutesGoOutTenInTheFirstVariableOneInTheSecond) {
    prepare(Family::Two, test::routes(11, 1));
    open();
    ASSERT_TRUE(drv->pressOK());
    const auto first = sentRoutes(0x3601);
    ASSERT_EQ(first.size(), 10u);
    EXPECT_EQ(first.back(), "r9");
    EXPECT_EQ(sentRoutes(0x3602), std::vector<std::string>{"r10"});
}

TEST_F(LanPageTest, AZeroGatewayFirstGivesAnEmptyTable) {
    prepare(Family::Two, {test::route("end", 10, 0), test::route("hidden", 11)});
    EXPECT_EQ(open().listCount(ids::kRouteList), 0);
}

TEST_F(LanPageTest, Family1HasNoRipAndSendsEightVariables) {
    prepare(Family::One);
    auto p = open();
    EXPECT_FALSE(p.isChecked(ids::kRip));
    EXPECT_FALSE(p.isEnabled(ids::kRip));
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(device.callsOf(DeviceOp::SetInfo).at(0).variables,
              (std::vector<int>{0x3004, 0x3006, 0x3005, 0x3012, 0x3013, 0x3014, 0x3601, 0x3602}));
}

struct CheckRow {
    const char* name;
    const char* start;
    const char* end;
    const char* dns1;
    std::string message; // empty when the page may be left
    const char* mask = "255.255.255.0";
    int remote = 0;
};

class Validation : public LanPageTest, public testing::WithParamInterface<CheckRow> {};

TEST_P(Validation, FirstFailedCheckKeepsThePage) {
    const CheckRow& row = GetParam();
    prepare(Family::Two, {}, row.mask);
    state.remoteFlag = row.remote;
    auto p = open();
    test::typeAddress(p, ids::kDhcpStart, row.start);
    test::typeAddress(p, ids::kDhcpEnd, row.end);
    test::typeAddress(p, ids::kDns1, row.dns1);
    const bool passes = row.message.empty();
    EXPECT_EQ(drv->selectPage(1), passes);
    EXPECT_EQ(host.messageTexts(),
              passes ? std::vector<std::string>{} : std::vector<std::string>{row.message});
}

const std::string k0To255 = "\nFor an IP Address, each field must have a value between 0 and 255.";
const std::string kSameNetwork = " IP address should be the same \nnetwork number with device IP.";
const std::string kEndBelowStart = "DHCP end value should not be smaller than start value.";
const char* kStart = "192.168.1.1";
const char* kDns = "192.0.2.1";

INSTANTIATE_TEST_SUITE_P(
    Rows, Validation,
    testing::Values(
        CheckRow{"Pool253Addresses", kStart, "192.168.1.253", kDns, ""},
        CheckRow{"Pool254Addresses", kStart, "192.168.1.254", kDns, "DHCP IP range should <=253."},
        CheckRow{"StartBlank", "192..1.1", "", kDns, "DHCP start value should not be blank."},
        CheckRow{"StartAbove255", "192.168.1.256", "", kDns, "DHCP Start Address error." + k0To255},
        CheckRow{"StartOutsideNetwork", "192.168.2.1", "", kDns, "DHCP start" + kSameNetwork},
        CheckRow{"EndBlank", kStart, "...", kDns, "DHCP end value should not be blank."},
        CheckRow{"EndAbove255", kStart, "192.168.1.999", kDns, "DHCP End Address error." + k0To255},
        CheckRow{"EndOutsideNetwork", kStart, "10.168.1.9", kDns, "DHCP end" + kSameNetwork},
        CheckRow{"EndOneBelowStart", "192.168.1.100", "192.168.1.99", kDns, kEndBelowStart},
        CheckRow{"SpanOverOctets", "192.168.1.250", "192.168.2.1", kDns, "", "255.255.0.0"},
        CheckRow{"SpanOverOctetsReversed", "192.168.2.1", "192.168.1.250", kDns, kEndBelowStart,
                 "255.255.0.0"},
        CheckRow{"RemoteRouterTakesAnyNetwork", "10.0.0.1", "10.0.0.9", kDns, "", "255.255.255.0",
                 1},
        CheckRow{"LettersReadAsZero", "192.168.1.ab", "192.168.1.9", kDns, ""},
        CheckRow{"Dns1Blank", kStart, "192.168.1.9", "192.0..1", "DNS1 should not be blank."},
        CheckRow{"Dns1Above255", kStart, "192.168.1.9", "300.0.2.1",
                 "DNS1 Address error." + k0To255}),
    [](const auto& info) { return info.param.name; });

TEST_F(LanPageTest, AnAcceptedPoolBecomesTheDhcpRangeOnlyWhenEveryCheckPasses) {
    auto p = open();
    test::typeAddress(p, ids::kDhcpStart, "192.168.1.10");
    test::typeAddress(p, ids::kDhcpEnd, "192.168.1.20");
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
    test::typeAddress(p, ids::kDhcpStart, "1.2.3.999");
    p.click(ids::kDhcpEnable);
    EXPECT_FALSE(p.isEnabled(ids::kDhcpStart[0]));
    test::typeAddress(p, ids::kDns2, "300.1.1.1");
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    EXPECT_EQ(state.dhcpRangeEnd, (device::Octets{0, 0, 0, 0}));
    EXPECT_EQ(test::sentText(sent(0x3004)), "0");
    EXPECT_EQ(test::sentText(sent(0x3006)), "1.2.3.999");
    EXPECT_EQ(test::sentText(sent(0x3013)), "300.1.1.1");
}

TEST_F(LanPageTest, DnsOneIsOneValueWithTheQuickSetupPrimaryDns) {
    auto p = open();
    p.type(ids::kDns1[3], "77");
    EXPECT_EQ(device::entryText(shared(0x4004)), "192.0.2.77");
    ASSERT_TRUE(drv->selectPage(1));
    test::setReadText(shared(0x4004), "10.20.30.40"); // as Quick Setup would keep it
    ASSERT_TRUE(drv->selectPage(0));
    EXPECT_EQ(p.text(ids::kDns1[1]), "20");
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(test::sentText(sent(0x3012)), "10.20.30.40");
}

// A DNS the user typed on Quick Setup before this page was first shown stays:
// the router's DNS 1 must not replace it.
TEST_F(LanPageTest, FirstDisplayKeepsADnsTypedOnQuickSetup) {
    store->primaryDnsEdited = true;
    auto p = open();
    EXPECT_EQ(p.text(ids::kDns1[0]), "10");
    EXPECT_EQ(device::entryText(shared(0x4004)), "10.9.9.9");
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(test::sentText(sent(0x3012)), "10.9.9.9");
}

TEST_F(LanPageTest, ApplySendsOneRequestThenTheReset) {
    auto p = open();
    test::typeAddress(p, ids::kDhcpEnd, "192.168.1.150");
    test::typeAddress(p, ids::kDns3, "203.0.113.9");
    p.click(ids::kRip);
    ASSERT_TRUE(drv->pressOK());
    const auto writes = device.callsOf(DeviceOp::SetInfo);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].number, 0);
    EXPECT_EQ(writes[0].variables, (std::vector<int>{0x3004, 0x3006, 0x3005, 0x3012, 0x3013, 0x3014,
                                                     0x3601, 0x3602, 0x4026}));
    EXPECT_EQ(writes[1].variables, std::vector<int>{0x0001});
    for (int variable : {0x3004, 0x4026}) {
        EXPECT_EQ(sent(variable).type, kTypeInteger);
        EXPECT_EQ(test::sentText(sent(variable)), variable == 0x3004 ? "1" : "0");
    }
    EXPECT_EQ(test::sentText(sent(0x3005)), "192.168.1.150");
    // Each DNS from its own four boxes.
    EXPECT_EQ(test::sentText(sent(0x3013)), "192.0.2.54");
    EXPECT_EQ(test::sentText(sent(0x3014)), "203.0.113.9");
    for (int variable : {0x3601, 0x3602}) {
        EXPECT_EQ(sent(variable).type, kTypeOctetString);
        EXPECT_EQ(test::sentText(sent(variable)).size(), 240u);
    }
    EXPECT_EQ(sentRoutes(0x3601), std::vector<std::string>{"a"});
    EXPECT_EQ(host.waits().at(0).ms, 6000);
}

TEST_F(LanPageTest, AddAppendsTheDialogsRouteAndCancelAddsNothing) {
    namespace route = res::route;
    auto p = open();
    host.expectDialog(route::kTemplate, [](ui::ScriptedDialogDriver& d) { d.pressEscape(); });
    p.click(ids::kAddRoute);
    EXPECT_EQ(p.listCount(ids::kRouteList), 1);
    host.expectDialog(route::kTemplate, [](ui::ScriptedDialogDriver& d) {
        d.type(route::kName, "Lab");
        test::typeAddress(d, route::kDestination, "172.16.0.0");
        test::typeAddress(d, route::kMask, "255.255.0.0");
        test::typeAddress(d, route::kGateway, "192.168.1.9");
        d.type(route::kMetric, "2");
        d.select(route::kInterface, "WAN");
        d.click(ui::kIdOk);
    });
    p.click(ids::kAddRoute);
    ASSERT_EQ(p.listCount(ids::kRouteList), 2);
    EXPECT_EQ(test::listChoice(p, ids::kRouteList), "mark 1, highlighted 1");
    EXPECT_EQ(p.listText(ids::kRouteList, 1, 3), "WAN");
    EXPECT_TRUE(page->isModified());
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(sentRoutes(0x3601), (std::vector<std::string>{"a", "lab"}));
}

TEST_F(LanPageTest, TheTwentyFirstRouteIsRefused) {
    prepare(Family::Two, test::routes(20, 1));
    auto p = open();
    p.click(ids::kAddRoute); // no dialog expected
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{"NO. of Routing Entries should not be more than 20"});
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(sentRoutes(0x3602).back(), "r19");
}

TEST_F(LanPageTest, DeleteRemovesTheSelectedRowAndItsRoute) {
    prepare(Family::Two, test::routes(3, 1));
    auto p = open();
    p.click(ids::kDeleteRoute);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"You have to select a route entry"});
    p.clickRow(ids::kRouteList, 0);
    p.click(ids::kDeleteRoute);
    ASSERT_EQ(p.listCount(ids::kRouteList), 2);
    EXPECT_EQ(test::listChoice(p, ids::kRouteList), "mark -1, highlighted -");
    EXPECT_EQ(p.listText(ids::kRouteList, 0), "2 . 0 . 0 . 0");
    ASSERT_TRUE(drv->pressOK());
    EXPECT_EQ(sentRoutes(0x3601), (std::vector<std::string>{"r1", "r2"}));
}

} // namespace
} // namespace tolvaro::pages
