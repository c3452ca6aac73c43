// The Access Control page through a whole Setup against a simulated router:
// what the page and the Group Setup dialog send is what the router keeps,
// and an apply that edited no group leaves the router's groups alone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "device/device_link.h"
#include "res/ids/access_control_ids.h"
#include "res/ids/filter_port_ids.h"
#include "res/ids/group_setup_ids.h"
#include "res/ids/workstation_ids.h"
#include "support/simulated_network.h"
#include "ui/scripted/scripted_host.h"
#include "unit/access_control/access_records.h"

namespace tolvaro::app {
namespace {

namespace ids = res::access_control;
namespace ws = res::workstation;
namespace group = res::group_setup;
namespace port = res::filter_port;

constexpr int kAccessControlPageIndex = 5;

std::vector<int> groupAndPortVariables() {
    std::vector<int> variables = {0x3401, 0x3402, 0x3403, 0x3404, 0x3405, 0x3301, 0x3302};
    for (int v = 0x3701; v <= 0x370a; ++v)
        variables.push_back(v);
    for (int v = 0x3710; v <= 0x3715; ++v)
        variables.push_back(v);
    return variables;
}

std::vector<std::string> stationNames(const routersim::Router& router) {
    const auto table = router.value(0x3501);
    std::vector<std::string> names;
    if (table)
        for (const WkInfo& w : test::stationsIn(table->bytes.data(), table->bytes.size()))
            names.emplace_back(w.name);
    return names;
}

// Runs Setup on the only router, does `onPage` on the Access Control page
// and presses OK in the sheet.
void runSetup(test::SimulatedNetwork& net,
              const std::function<void(ui::ScriptedHost&, ui::ScriptedDialogDriver&)>& onPage,
              ui::ScriptedHost& host) {
    std::unique_ptr<device::DeviceLink> link = device::makeLibraryLink();
    link->initLan();
    AppState state;
    host.onSleep([&](int ms) { net.advance(ms); });
    AppContext context{state, host, *link};
    CMainDlg main(context, standardOperations(context));
    auto drv = host.open(main);
    ASSERT_EQ(drv.listCount(kMainRouterList), 1);
    host.expectSheet([&](ui::ScriptedSheetDriver& sheet) {
        ASSERT_TRUE(sheet.selectPage(kAccessControlPageIndex));
        auto page = sheet.page();
        onPage(host, page);
        ASSERT_TRUE(sheet.pressOK());
    });
    drv.pressEnter();
}

TEST(AccessControlOnLoopback, AnUneditedPageKeepsTheRoutersGroupsAndPorts) {
    test::SimulatedNetwork net;
    routersim::RouterConfig config;
    config.family = 1;
    config.name = "Office";
    config.address = "127.0.0.181";
    auto& router = net.add(config);
    std::vector<std::optional<routersim::Value>> before;
    for (const int v : groupAndPortVariables())
        before.push_back(router.value(v));

    ui::ScriptedHost host;
    runSetup(
        net, [](ui::ScriptedHost&, ui::ScriptedDialogDriver&) {}, host);

    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    const auto variables = groupAndPortVariables();
    for (std::size_t i = 0; i < variables.size(); ++i) {
        const auto now = router.value(variables[i]);
        ASSERT_TRUE(now && before[i]) << variables[i];
        EXPECT_EQ(now->bytes, before[i]->bytes) << variables[i];
        EXPECT_EQ(now->integer, before[i]->integer) << variables[i];
    }
    EXPECT_EQ(stationNames(router), (std::vector<std::string>{"pc-anna", "printer", "kiosk"}));
}

TEST(AccessControlOnLoopback, AWorkstationAGroupPolicyAndAUserPortReachTheRouter) {
    test::SimulatedNetwork net;
    routersim::RouterConfig config;
    config.family = 2;
    config.name = "Branch";
    config.address = "127.0.0.182";
    auto& router = net.add(config);

    ui::ScriptedHost host;
    runSetup(
        net,
        [](ui::ScriptedHost& h, ui::ScriptedDialogDriver& page) {
            h.expectDialog(ws::kTemplate, [](ui::ScriptedDialogDriver& d) {
                d.type(ws::kName, "Lab");
                const char* bytes[] = {"02", "00", "5e", "10", "20", "30"};
                for (std::size_t i = 0; i < 6; ++i)
                    d.type(ws::kHardwareAddress[i], bytes[i]);
                d.select(ws::kGroup, 1);
                d.click(ws::kReserve);
                const char* octets[] = {"127", "0", "0", "150"};
                for (std::size_t i = 0; i < 4; ++i)
                    d.type(ws::kReservedIp[i], octets[i]);
                d.click(ui::kIdOk);
            });
            page.click(ids::kAddWorkstation);

            page.select(ids::kGroup, "Group1");
            h.expectDialog(group::kTemplate, [&h](ui::ScriptedDialogDriver& d) {
                d.doubleClickRow(group::kPortList, 5); // http
                h.expectDialog(port::kTemplate, [](ui::ScriptedDialogDriver& f) {
                    f.type(port::kName, "ssh");
                    f.select(port::kProtocol, "TCP");
                    f.type(port::kPort, "22");
                    f.click(ui::kIdOk);
                });
                d.click(group::kAddPort);
                d.click(ui::kIdOk);
            });
            page.click(ids::kGroupSetup);
        },
        host);

    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    EXPECT_EQ(stationNames(router),
              (std::vector<std::string>{"pc-anna", "printer", "kiosk", "lab"}));
    // The simulated router's Group1 blocks irc and tftp and its UDP port.
    const auto group1 = router.value(0x3402);
    ASSERT_TRUE(group1);
    const S_GPCFG g = test::groupIn(group1->bytes.data(), group1->bytes.size());
    EXPECT_EQ(g.wellKnownMask, 0x3u | (1u << 5));
    EXPECT_EQ(g.userPortMask, 0x1u);
    EXPECT_EQ(g.mode, 2);
    const auto tcp = router.value(0x3302);
    ASSERT_TRUE(tcp);
    EXPECT_EQ(tcp->bytes.size(), 12u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tcp->bytes.data()) + 6), "ssh");
    const auto third = router.value(0x3703); // game (UDP), vnc, ssh
    ASSERT_TRUE(third);
    EXPECT_EQ(third->integer, 22);
}

} // namespace
} // namespace tolvaro::app
