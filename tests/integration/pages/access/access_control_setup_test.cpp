// The Access Control page through a whole Setup against a simulated router:
// what the page and the Group Setup dialog send is what the router keeps,
// and an apply that edited no group leaves the router's groups alone.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "res/ids/access_control_ids.h"
#include "res/ids/filter_port_ids.h"
#include "res/ids/group_setup_ids.h"
#include "res/ids/workstation_ids.h"
#include "support/utility_on_loopback.h"
#include "unit/pages/access/access_records.h"

namespace tolvaro::app {
namespace {

namespace ids = res::access_control;
namespace ws = res::workstation;
namespace group = res::group_setup;
namespace port = res::filter_port;
using ui::ScriptedDialogDriver;

struct Loopback {
    Loopback(int family, const char* address)
        : router(utility.add(test::routerConfig(family, "Office", address))) {}

    // Setup on the router, `onPage` on the Access Control page, OK.
    void setup(const std::function<void(ScriptedDialogDriver&)>& onPage) {
        utility.setup([&](ui::ScriptedSheetDriver& sheet) {
            ASSERT_TRUE(sheet.selectPage(5));
            auto page = sheet.page();
            onPage(page);
            ASSERT_TRUE(sheet.pressOK());
        });
    }
    std::vector<std::uint8_t> bytes(int variable) const {
        return test::UtilityOnLoopback::bytes(router, variable);
    }

    test::UtilityOnLoopback utility;
    routersim::Router& router;
    ui::ScriptedHost& host = utility.host;
};

std::vector<std::string> stationNames(const std::vector<std::uint8_t>& table) {
    std::vector<std::string> names;
    for (const WkInfo& w : test::stationsIn(table.data(), table.size()))
        names.emplace_back(w.name);
    return names;
}

TEST(AccessControlOnLoopback, AnUneditedPageKeepsTheRoutersGroupsAndPorts) {
    Loopback office(1, "127.0.0.181");
    std::vector<int> variables = {0x3401, 0x3402, 0x3403, 0x3404, 0x3405, 0x3301, 0x3302};
    std::vector<std::vector<std::uint8_t>> groupsBefore;
    std::vector<std::int32_t> valuesBefore;
    for (const int v : variables)
        groupsBefore.push_back(office.bytes(v));
    for (const int v : {0x3701, 0x3702})
        valuesBefore.push_back(office.router.value(v)->integer);

    office.setup([](ScriptedDialogDriver&) {});

    EXPECT_EQ(office.host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    for (std::size_t i = 0; i < variables.size(); ++i)
        EXPECT_EQ(office.bytes(variables[i]), groupsBefore[i]) << variables[i];
    EXPECT_EQ(office.router.value(0x3701)->integer, valuesBefore[0]);
    EXPECT_EQ(office.router.value(0x3702)->integer, valuesBefore[1]);
    EXPECT_EQ(stationNames(office.bytes(0x3501)),
              (std::vector<std::string>{"pc-anna", "printer", "kiosk"}));
}

TEST(AccessControlOnLoopback, AWorkstationAGroupPolicyAndAUserPortReachTheRouter) {
    Loopback office(2, "127.0.0.182");
    ui::ScriptedHost& host = office.host;
    office.setup([&host](ScriptedDialogDriver& page) {
        host.expectDialog(ws::kTemplate, [](ScriptedDialogDriver& d) {
            d.type(ws::kName, "Lab");
            for (const int id : ws::kHardwareAddress)
                d.type(id, "5e");
            d.click(ws::kReserve);
            const char* octets[] = {"127", "0", "0", "150"}; // in the router's DHCP pool
            for (std::size_t i = 0; i < 4; ++i)
                d.type(ws::kReservedIp[i], octets[i]);
            d.click(ui::kIdOk);
        });
        page.click(ids::kAddWorkstation);

        page.select(ids::kGroup, "Group1");
        host.expectDialog(group::kTemplate, [&host](ScriptedDialogDriver& d) {
            d.doubleClickRow(group::kPortList, 5); // http
            host.expectDialog(port::kTemplate, [](ScriptedDialogDriver& f) {
                f.type(port::kName, "ssh");
                f.select(port::kProtocol, "TCP");
                f.type(port::kPort, "22");
                f.click(ui::kIdOk);
            });
            d.click(group::kAddPort);
            d.click(ui::kIdOk);
        });
        page.click(ids::kGroupSetup);
    });

    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    EXPECT_EQ(stationNames(office.bytes(0x3501)),
              (std::vector<std::string>{"pc-anna", "printer", "kiosk", "lab"}));
    // The simulated router's Group1 blocks irc, tftp and its one UDP port.
    const auto group1 = office.bytes(0x3402);
    const S_GPCFG g = test::groupIn(group1.data(), group1.size());
    EXPECT_EQ(g.wellKnownMask, 0x3u | (1u << 5));
    EXPECT_EQ(g.userPortMask, 0x1u);
    const auto tcp = office.bytes(0x3302);
    ASSERT_EQ(tcp.size(), 12u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tcp.data()) + 6), "ssh");
    EXPECT_EQ(office.router.value(0x3703)->integer, 22); // game (UDP), vnc, ssh
}

} // namespace
} // namespace tolvaro::app
