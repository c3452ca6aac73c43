// LAN page: DHCP server pool, DNS addresses, RIP and static routes.
#include "res/ids/lan_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = lan;
namespace cap = captions::lan;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    // The octet edits of this page take any characters; the page reads what
    // is not a number as 0.
    c.push_back(group(cap::kDhcpServer, 7, 7, 286, 58));
    c.push_back(check(ids::kDhcpEnable, cap::kDhcpEnable, 14, 19, 50));
    c.push_back(button(ids::kAllocated, "Allocated", 236, 17));
    c.push_back(label(cap::kDhcpStart, 14, 32, 62));
    addAddress(c, ids::kDhcpStart, 78, 32);
    c.push_back(label(cap::kDhcpEnd, 14, 47, 62));
    addAddress(c, ids::kDhcpEnd, 78, 47);

    c.push_back(group(cap::kDns, 7, 69, 286, 60));
    c.push_back(label(cap::kDns1, 14, 81, 10));
    addAddress(c, ids::kDns1, 26, 81);
    c.push_back(label(cap::kDns2, 14, 96, 10));
    addAddress(c, ids::kDns2, 26, 96);
    c.push_back(label("( optional )", 26 + kAddressWidth + 6, 96, 48));
    c.push_back(label(cap::kDns3, 14, 111, 10));
    addAddress(c, ids::kDns3, 26, 111);
    c.push_back(label("( optional )", 26 + kAddressWidth + 6, 111, 48));

    c.push_back(group("Routing", 7, 133, 286, 85));
    c.push_back(check(ids::kRip, cap::kRip, 14, 145, 180));
    c.push_back(text(cap::kRoutes, 14, 158, 90));
    c.push_back(listView(ids::kRouteList, 14, 168, 216, 44));
    c.push_back(button(ids::kAddRoute, "Add", 236, 168));
    c.push_back(button(ids::kDeleteRoute, "Delete", 236, 186));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
