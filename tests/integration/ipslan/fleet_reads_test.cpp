// Many routers read from one thread (IPSGetInfoFleet) against simulated
// routers: each with its own community, none with more requests in flight
// than the read window, result areas bound only when the answers are in.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>
#include <ipslan/variables.h>

#include "routersim/router.h"
#include "support/loopback.h"
#include "support/waits.h"

namespace {

using routersim::Millis;

struct Fleet {
    std::vector<std::unique_ptr<routersim::Router>> routers;
    std::vector<int> variables; // twelve mode-0 variables every router has
    std::vector<IPS_ROUTER> wire;
    std::vector<std::vector<IPS_READ>> reads;
    std::map<int, std::vector<MIB_RESPONSE>> areas; // by router, while bound
    std::vector<std::vector<std::int32_t>> seen;    // by router, when done
    std::vector<int> doneOrder;
    std::vector<std::string> communities;
};

void bind(void* context, int index) {
    auto& fleet = *static_cast<Fleet*>(context);
    auto& area = fleet.areas[index];
    area.assign(fleet.variables.size(), MIB_RESPONSE{});
    for (std::size_t r = 0; r < fleet.reads[index].size(); ++r) {
        fleet.reads[index][r].result = area.data() + 4 * r;
    }
}

void done(void* context, int index) {
    auto& fleet = *static_cast<Fleet*>(context);
    fleet.doneOrder.push_back(index);
    std::vector<std::int32_t> values;
    for (const MIB_RESPONSE& entry : fleet.areas[index]) {
        values.push_back(
            static_cast<std::int32_t>(entry.value[0] | entry.value[1] << 8 | entry.value[2] << 16 |
                                      static_cast<std::uint32_t>(entry.value[3]) << 24));
    }
    fleet.seen[static_cast<std::size_t>(index)] = values;
    fleet.areas.erase(index); // the caller may free the areas now
}

TEST(FleetReads, EachRouterItsOwnCommunityAndNeverMoreRequestsInFlightThanTheWindow) {
    IPSInitLan();
    ipslan::setTimeouts(tolvaro::test::kAnswerTimeoutMs, 0);
    const int window = ipslan::readWindow();
    ipslan::setReadWindow(4);
    const std::string network = loopback::randomNetwork();
    const std::uint16_t discoveryPort = loopback::freeUdpPort();

    Fleet fleet;
    fleet.communities = {"secret", "other", "third"};
    for (int i = 0; i < 3; ++i) {
        routersim::RouterConfig config;
        config.family = 2;
        config.address = network + std::to_string(i + 1);
        config.password = fleet.communities[static_cast<std::size_t>(i)];
        config.snmpPort = 0;
        config.discoveryPort = discoveryPort;
        fleet.routers.push_back(std::make_unique<routersim::Router>(config));
        // One variable per request, each answer a while on its way: the
        // requests of a router pile up in flight as far as the window lets
        // them.
        fleet.routers.back()->faults().refuseSeveral(true);
        fleet.routers.back()->faults().setLatency(Millis{20});
    }
    for (const auto& info : ipslan::allVariables()) {
        if (info.mode == 0 && info.kind == ipslan::VarKind::Integer &&
            fleet.routers[0]->value(info.variable) && fleet.variables.size() < 12) {
            fleet.variables.push_back(info.variable);
        }
    }
    ASSERT_EQ(fleet.variables.size(), 12u);

    fleet.reads.resize(3);
    fleet.seen.resize(3);
    for (int i = 0; i < 3; ++i) {
        // Three reads of four variables; the result areas come with bind().
        for (int r = 0; r < 3; ++r) {
            fleet.reads[static_cast<std::size_t>(i)].push_back(
                IPS_READ{0, 4, fleet.variables.data() + 4 * r, nullptr, 1, 9});
        }
        fleet.wire.push_back(
            IPS_ROUTER{fleet.routers[static_cast<std::size_t>(i)]->address().c_str(),
                       fleet.communities[static_cast<std::size_t>(i)].c_str(),
                       fleet.routers[static_cast<std::size_t>(i)]->snmpPort(),
                       fleet.reads[static_cast<std::size_t>(i)].data(), 3, 9});
    }
    // The addresses' texts must outlive the call.
    std::vector<std::string> addresses;
    for (const auto& router : fleet.routers) {
        addresses.push_back(router->address());
    }
    for (std::size_t i = 0; i < 3; ++i) {
        fleet.wire[i].ip = addresses[i].c_str();
    }

    EXPECT_EQ(IPSGetInfoFleet(fleet.wire.data(), 3, 2, &bind, &done, &fleet), 1);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fleet.wire[i].result, 1);
        std::vector<std::int32_t> expected;
        for (const int variable : fleet.variables) {
            expected.push_back(fleet.routers[i]->value(variable)->integer);
        }
        EXPECT_EQ(fleet.seen[i], expected);
        const auto counts = fleet.routers[i]->faults().counts();
        EXPECT_LE(counts.mostInFlight, 4);
        EXPECT_GE(counts.mostInFlight, 2) << "requests of one router travel together";
        // One packed request refused, then one per variable.
        EXPECT_EQ(counts.replies, 1 + 12);
    }
    EXPECT_TRUE(fleet.areas.empty());
    EXPECT_EQ(fleet.doneOrder.size(), 3u);
    ipslan::setReadWindow(window);
}

} // namespace
