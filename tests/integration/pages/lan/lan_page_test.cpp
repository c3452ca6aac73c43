// The LAN page through Setup against a simulated router on loopback: what
// the page sends is what the router keeps.
#include <gtest/gtest.h>

#include <ipslan/ipslan.h>

#include "res/ids/dhcp_status_ids.h"
#include "res/ids/lan_ids.h"
#include "res/ids/route_ids.h"
#include "support/utility_on_loopback.h"

namespace tolvaro::pages {
namespace {

constexpr int kLanPageIndex = 3;

TEST(LanPageOnLoopback, AddedRouteAndChangedDnsReachTheRouter) {
    test::UtilityOnLoopback utility;
    routersim::Router& router = utility.add(test::routerConfig(2, "Branch", "127.0.0.41"));
    ui::ScriptedHost& host = utility.host;

    int leases = -1;
    host.expectDialog(res::dhcp_status::kTemplate, [&](ui::ScriptedDialogDriver& d) {
        leases = d.listCount(res::dhcp_status::kLeaseList);
        d.click(ui::kIdOk);
    });
    host.expectDialog(res::route::kTemplate, [](ui::ScriptedDialogDriver& d) {
        d.type(res::route::kName, "lab2");
        const std::array<const char*, 12> octets{"172", "20", "0",   "0", "255", "255",
                                                 "0",   "0",  "127", "0", "0",   "9"};
        for (std::size_t i = 0; i < 4; ++i) {
            d.type(res::route::kDestination[i], octets[i]);
            d.type(res::route::kMask[i], octets[4 + i]);
            d.type(res::route::kGateway[i], octets[8 + i]);
        }
        d.type(res::route::kMetric, "3");
        d.click(ui::kIdOk);
    });
    utility.setup([](ui::ScriptedSheetDriver& sheet) {
        ASSERT_TRUE(sheet.selectPage(kLanPageIndex));
        auto page = sheet.page();
        page.click(res::lan::kAllocated);
        page.click(res::lan::kAddRoute);
        page.type(res::lan::kDns2[3], "99");
        ASSERT_TRUE(sheet.pressOK());
    });

    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    EXPECT_GT(leases, 0);
    router.sync();
    EXPECT_EQ(router.value(0x3013)->text(), "192.0.2.99");
    const auto routes = router.value(0x3601)->bytes;
    ASSERT_GE(routes.size(), 3 * ipslan::kRouteBytes);
    S_ROUTE added{};
    ASSERT_GT(IPSConvByteToRoute(&added, routes.data() + 2 * ipslan::kRouteBytes,
                                 routes.size() - 2 * ipslan::kRouteBytes),
              0);
    EXPECT_STREQ(added.name, "lab2");
    EXPECT_EQ(added.metric, 3);
    EXPECT_EQ(added.gateway[3], 9);
}

} // namespace
} // namespace tolvaro::pages
