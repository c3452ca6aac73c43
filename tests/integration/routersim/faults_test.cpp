// The fault control of a simulated router, seen from the network: which
// requests are answered, which writes land, and what a late or double answer
// looks like on the wire.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/wire.h>

#include "routersim/router.h"
#include "support/loopback.h"

namespace {

using routersim::FaultControl;
using routersim::Millis;
namespace wire = ipslan::wire;

// How long a request waits is chosen by what the test expects of it: an
// answer ends the wait at once, so an answered request may wait long enough
// for a loaded machine; only a request meant to go unanswered waits briefly.
enum class Expect { Answer, Silence };

long timeoutFor(Expect expect) {
    return expect == Expect::Answer ? 10'000'000 : 150'000; // microseconds
}

class RouterFaults : public ::testing::Test {
protected:
    RouterFaults() { router = start(2); }
    std::unique_ptr<routersim::Router> start(int host) {
        routersim::RouterConfig c;
        c.address = network + std::to_string(host);
        c.password = "secret";
        c.snmpPort = 0;
        c.discoveryPort = discoveryPort;
        c.clock = clock;
        return std::make_unique<routersim::Router>(c);
    }
    bool get(Expect expect) {
        loopback::SnmpClient c(router->address(), router->snmpPort(), "secret", timeoutFor(expect));
        return c.get({{0x4008}}).answered;
    }
    bool setName(const std::string& name, Expect expect) {
        loopback::SnmpClient c(router->address(), router->snmpPort(), "secret", timeoutFor(expect));
        return c.set({{0x4002, 0, name}}).answered;
    }
    // Waits for `expected` replies; none: for the discovery window only.
    std::vector<loopback::Received> browse(std::size_t expected) {
        udp.send(wire::encode(wire::BrowseRequest{5}), router->address(), discoveryPort);
        return expected == 0 ? udp.collect(50) : udp.await(expected);
    }

    std::string network = loopback::randomNetwork();
    std::uint16_t discoveryPort = loopback::freeUdpPort();
    std::shared_ptr<routersim::ManualClock> clock = std::make_shared<routersim::ManualClock>();
    std::unique_ptr<routersim::Router> router;
    loopback::RawUdp udp;
};

TEST_F(RouterFaults, RequestsAnsweredUnderEachFault) {
    struct Row {
        const char* name;
        std::function<void(FaultControl&)> impose;
        std::vector<bool> answered;
    };
    const Row rows[] = {
        {"every third reply lost",
         [](FaultControl& f) { f.dropEveryNth(3); },
         {true, true, false, true, true, false}},
        {"stops answering after two",
         [](FaultControl& f) { f.pauseAfter(2); },
         {true, true, false, false}},
        {"restarts after the second reply",
         [](FaultControl& f) { f.restartAfter(2); },
         {true, true, false, false}},
        {"SNMP faults leave discovery alone",
         [](FaultControl& f) {
             f.setScope(routersim::FaultScope::Discovery);
             f.pause();
         },
         {true, true}},
    };
    for (const Row& row : rows) {
        router = nullptr;
        router = start(2);
        row.impose(router->faults());
        std::vector<bool> answered;
        for (const bool expected : row.answered) {
            answered.push_back(get(expected ? Expect::Answer : Expect::Silence));
        }
        EXPECT_EQ(answered, row.answered) << row.name;
    }
}

TEST_F(RouterFaults, LostReplyStillWritesButPausedRouterDoesNot) {
    router->faults().dropEveryNth(1);
    EXPECT_FALSE(setName("lost@reply", Expect::Silence));
    EXPECT_EQ(router->value(0x4002)->text(), "lost@reply") << "only the answer was lost";

    router->faults().dropEveryNth(0);
    router->faults().pause();
    EXPECT_FALSE(setName("never@applied", Expect::Silence));
    EXPECT_EQ(router->value(0x4002)->text(), "lost@reply");
    router->faults().resume();
    EXPECT_TRUE(setName("back@again", Expect::Answer));

    const auto counts = router->faults().counts();
    EXPECT_EQ(counts.ignored, 1);
    EXPECT_EQ(counts.replies, 2);
    EXPECT_EQ(counts.lost, 1);
    EXPECT_EQ(counts.sent, 1);
}

TEST_F(RouterFaults, RestartedRouterComesBackWhenItsClockSaysSo) {
    router->faults().restartAfter(1);
    EXPECT_TRUE(get(Expect::Answer)) << "the reply that triggers the restart still goes out";
    EXPECT_TRUE(router->restarting());
    EXPECT_FALSE(get(Expect::Silence));
    clock->advance(Millis{3000});
    router->sync();
    EXPECT_TRUE(get(Expect::Answer));
}

TEST_F(RouterFaults, HeldReplyArrivesAfterTheWindowOnRelease) {
    router->faults().holdReplies(true);
    EXPECT_TRUE(browse(0).empty());
    ASSERT_TRUE(router->faults().waitForHeld(1, Millis{2000}));
    router->faults().holdReplies(false);
    router->faults().releaseHeld();
    const auto late = udp.await(1);
    ASSERT_EQ(late.size(), 1u);
    const auto reply = wire::decodeBrowseReply(late[0].bytes);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->requestId, 5u);
}

TEST_F(RouterFaults, DoubleAnswerSendsTheSameDatagramTwice) {
    router->faults().answerTwice(true);
    const auto replies = browse(2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].bytes, replies[1].bytes);
}

TEST_F(RouterFaults, LatencyDelaysOneRouterWithoutHoldingUpAnother) {
    router->faults().setLatency(Millis{60000});
    const auto quick = start(3);
    EXPECT_FALSE(get(Expect::Silence)) << "the reply waits longer than the client";
    loopback::SnmpClient other(quick->address(), quick->snmpPort(), "secret",
                               timeoutFor(Expect::Answer));
    EXPECT_TRUE(other.get({{0x4008}}).answered);
}

} // namespace
