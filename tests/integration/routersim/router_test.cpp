// Simulated routers on loopback, driven over real sockets: SNMPv1 through a
// bare Net-SNMP client, discovery through raw datagrams.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/variables.h>
#include <ipslan/wire.h>

#include "routersim/router.h"
#include "routersim/state_file.h"
#include "support/loopback.h"

namespace {

using loopback::SnmpBinding;
using loopback::SnmpClient;
using routersim::Millis;
namespace wire = ipslan::wire;

// How long to listen for datagrams that should not come.
constexpr int kWindowMs = 150;

class SimulatedRouters : public ::testing::Test {
protected:
    routersim::RouterConfig config(int host, int family = 2, std::string password = "secret") {
        routersim::RouterConfig c;
        c.family = family;
        c.name = "router-" + std::to_string(host);
        c.address = network + std::to_string(host);
        c.password = std::move(password);
        c.snmpPort = 0;
        c.discoveryPort = discoveryPort;
        c.restartTime = Millis{3000};
        c.dialDelay = Millis{4000};
        c.clock = clock;
        return c;
    }
    std::unique_ptr<routersim::Router> start(int host, int family = 2,
                                             std::string password = "secret") {
        return std::make_unique<routersim::Router>(config(host, family, std::move(password)));
    }
    SnmpClient client(const routersim::Router& router, std::string community = "secret") {
        return SnmpClient(router.address(), router.snmpPort(), std::move(community));
    }
    // For requests that should go unanswered.
    SnmpClient silentClient(const routersim::Router& router, std::string community) {
        return SnmpClient(router.address(), router.snmpPort(), std::move(community),
                          loopback::kSilenceWaitMicros);
    }
    // `expected` is how many replies the test waits for; any beyond it that
    // come at once are returned too.
    std::vector<wire::BrowseReply> browse(std::size_t expected,
                                          const std::string& to = loopback::kLoopbackBroadcast) {
        loopback::RawUdp udp;
        udp.send(wire::encode(wire::BrowseRequest{77}), to, discoveryPort);
        std::vector<wire::BrowseReply> replies;
        for (const auto& r : expected == 0 ? udp.collect(kWindowMs) : udp.await(expected)) {
            auto reply = wire::decodeBrowseReply(r.bytes);
            EXPECT_TRUE(reply) << "undecodable reply from " << r.from;
            if (reply) {
                EXPECT_EQ(wire::formatIpv4(reply->ip), r.from) << "reply comes from the router";
                EXPECT_EQ(reply->requestId, 77u);
                replies.push_back(*reply);
            }
        }
        return replies;
    }

    std::string network = loopback::randomNetwork();
    std::uint16_t discoveryPort = loopback::freeUdpPort();
    std::shared_ptr<routersim::ManualClock> clock = std::make_shared<routersim::ManualClock>();
    loopback::TempDir dir;
};

TEST_F(SimulatedRouters, GetReturnsTypesFromTheVariableTable) {
    auto router = start(2);
    const auto r = client(*router).get({{0x4008}, {0x4002}, {0x0100}, {0x4017, 1}});
    ASSERT_TRUE(r.answered);
    ASSERT_EQ(r.errstat, SNMP_ERR_NOERROR);
    ASSERT_EQ(r.values.size(), 4u);
    EXPECT_EQ(r.values[0].type, ASN_INTEGER);
    EXPECT_EQ(r.values[0].integer, 5);
    EXPECT_EQ(r.values[1].type, ASN_OCTET_STR);
    EXPECT_EQ(r.values[1].bytes, "office@isp.example");
    const auto hardware = router->hardware();
    EXPECT_EQ(r.values[2].bytes, std::string(hardware.begin(), hardware.end()));
    EXPECT_EQ(r.values[3].integer, 2) << "incoming profile allows dial-in";
}

TEST_F(SimulatedRouters, ErrorsNameTheFailingBinding) {
    auto router = start(2);
    struct Row {
        const char* name;
        bool set;
        std::vector<SnmpBinding> bindings;
        long errstat;
        long errindex;
    };
    const Row rows[] = {
        {"unknown variable second", false, {{0x4008}, {0x7777}}, SNMP_ERR_NOSUCHNAME, 2},
        {"mode-0 variable read in mode 1", false, {{0x4001, 1}}, SNMP_ERR_NOSUCHNAME, 1},
        {"string for an integer third",
         true,
         {{0x4002, 0, std::string("a")}, {0x4008, 0, 7}, {0x4008, 0, std::string("7")}},
         SNMP_ERR_BADVALUE,
         3},
        {"over-long text", true, {{0x401b, 0, std::string("12345678")}}, SNMP_ERR_BADVALUE, 1},
        {"read-only firmware", true, {{0x0104, 0, std::string("9.9")}}, SNMP_ERR_NOSUCHNAME, 1},
    };
    for (const Row& row : rows) {
        auto c = client(*router);
        const auto r = row.set ? c.set(row.bindings) : c.get(row.bindings);
        ASSERT_TRUE(r.answered) << row.name;
        EXPECT_EQ(r.errstat, row.errstat) << row.name;
        EXPECT_EQ(r.errindex, row.errindex) << row.name;
    }
    EXPECT_EQ(router->value(0x4002)->text(), "office@isp.example")
        << "a refused set changes nothing, not even the bindings before the bad one";
    EXPECT_EQ(router->value(0x4008)->integer, 5);
}

// Net-SNMP cuts a wide INTEGER to 32 bits on both sides, so these sets are
// encoded by hand. 0x4008 := 2^32 + 7 would arrive as 7; 2^31 arrives whole
// but does not fit the router's 32-bit integer. A message length in five
// bytes, which Net-SNMP reads, hides the value from the agent's own look at
// the datagram, so the check of the parsed value must refuse it alone.
TEST_F(SimulatedRouters, AnIntegerWiderThan32BitsIsABadValue) {
    using Bytes = std::vector<std::uint8_t>;
    auto tlv = [](std::uint8_t tag, const Bytes& content, bool fiveByteLength = false) {
        Bytes out{tag};
        if (fiveByteLength)
            for (const std::uint8_t b : {0x85, 0, 0, 0, 0})
                out.push_back(b);
        else if (content.size() >= 128)
            out.push_back(0x81);
        out.push_back(static_cast<std::uint8_t>(content.size()));
        out.insert(out.end(), content.begin(), content.end());
        return out;
    };
    auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const auto id = *wire::variableOid(0x4008, 0);
    Bytes oid{static_cast<std::uint8_t>(40 * id[0] + id[1])};
    for (std::size_t i = 2; i < id.size(); ++i) {
        Bytes digits{static_cast<std::uint8_t>(id[i] & 0x7f)};
        for (auto rest = id[i] >> 7; rest != 0; rest >>= 7)
            digits.insert(digits.begin(), static_cast<std::uint8_t>(0x80 | (rest & 0x7f)));
        oid.insert(oid.end(), digits.begin(), digits.end());
    }
    struct Row {
        const char* name;
        Bytes integer;
        bool fiveByteLength;
    };
    const Row rows[] = {
        {"2^32 + 7", {0x01, 0, 0, 0, 0x07}, false},
        {"2^31, the message length in five bytes", {0x00, 0x80, 0, 0, 0}, true},
    };
    auto router = start(2);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes binding = tlv(0x30, cat({tlv(0x06, oid), tlv(0x02, row.integer)}));
        const Bytes pdu =
            tlv(0xa3, cat({tlv(0x02, {0x2a}), tlv(0x02, {0}), tlv(0x02, {0}), tlv(0x30, binding)}));
        const Bytes message =
            tlv(0x30, cat({tlv(0x02, {0}), tlv(0x04, {'s', 'e', 'c', 'r', 'e', 't'}), pdu}),
                row.fiveByteLength);

        loopback::RawUdp udp;
        udp.send(message, router->address(), router->snmpPort());
        const auto replies = udp.await(1);
        ASSERT_EQ(replies.size(), 1u);
        // The response's error status sits after its version, community and
        // request id: find "02 01 2a" (request id 42) and read the next INTEGER.
        const Bytes& r = replies[0].bytes;
        const Bytes requestId{0x02, 0x01, 0x2a};
        const auto at = std::search(r.begin(), r.end(), requestId.begin(), requestId.end());
        ASSERT_LE(at + 6, r.end());
        EXPECT_EQ(Bytes(at + 3, at + 6), (Bytes{0x02, 0x01, SNMP_ERR_BADVALUE}));
        EXPECT_EQ(router->value(0x4008)->integer, 5);
    }
}

TEST_F(SimulatedRouters, CommunityDecidesWhetherTheRouterAnswers) {
    struct Row {
        const char* name;
        int family;
        const char* password;
        const char* community;
        bool answered;
    };
    const Row rows[] = {
        {"family 2, password", 2, "secret", "secret", true},
        {"family 2, wrong community", 2, "secret", "public", false},
        {"family 2, fixed community", 2, "secret", "TiLvOrA", false},
        {"family 2 without password, fixed", 2, "", "TiLvOrA", true},
        {"family 1, fixed community", 1, "secret", "TiLvOrA", true},
        {"family 1, password", 1, "secret", "secret", true},
    };
    int host = 10;
    for (const Row& row : rows) {
        auto router = start(host++, row.family, row.password);
        SnmpClient asking =
            row.answered ? client(*router, row.community) : silentClient(*router, row.community);
        EXPECT_EQ(asking.get({{0x0104}}).answered, row.answered) << row.name;
    }
}

TEST_F(SimulatedRouters, CarriesTwentyNineValuesOf1500Bytes) {
    auto router = start(2);
    const std::string big(1500, 'z');
    std::vector<SnmpBinding> writes(29, SnmpBinding{0x371b, 0, big});
    const auto set = client(*router).set(writes);
    ASSERT_TRUE(set.answered);
    EXPECT_EQ(set.errstat, SNMP_ERR_NOERROR);

    const auto get = client(*router).get(std::vector<SnmpBinding>(29, SnmpBinding{0x371b}));
    ASSERT_TRUE(get.answered);
    ASSERT_EQ(get.values.size(), 29u);
    for (const auto& value : get.values) {
        EXPECT_EQ(value.bytes, big);
    }

    const auto tooBig = client(*router).get(std::vector<SnmpBinding>(44, SnmpBinding{0x371b}));
    ASSERT_TRUE(tooBig.answered) << "an answer that cannot fit is an error, not silence";
    EXPECT_EQ(tooBig.errstat, SNMP_ERR_TOOBIG);
}

TEST_F(SimulatedRouters, ResetMakesTheRouterAwayForTheRestartTime) {
    auto router = start(2);
    ASSERT_EQ(client(*router).set({{0x0106, 0, std::string("newpass")}}).errstat, SNMP_ERR_NOERROR);
    EXPECT_TRUE(client(*router).get({{0x0104}}).answered) << "old password until the restart";

    const auto reset = client(*router).set({{0x0001, 0, 1}});
    ASSERT_TRUE(reset.answered) << "the reset itself is acknowledged";
    router->sync();
    EXPECT_TRUE(router->restarting());
    EXPECT_FALSE(silentClient(*router, "newpass").get({{0x0104}}).answered);

    clock->advance(Millis{3000});
    router->sync();
    EXPECT_FALSE(router->restarting());
    EXPECT_TRUE(client(*router, "newpass").get({{0x0104}}).answered);
    EXPECT_FALSE(silentClient(*router, "secret").get({{0x0104}}).answered);
}

TEST_F(SimulatedRouters, DialUpAndHangUpWithTheConfiguredDelay) {
    auto router = start(2);
    ASSERT_EQ(client(*router).set({{0x0003, 0, 2}}).errstat, SNMP_ERR_NOERROR);
    EXPECT_EQ(client(*router).get({{0x0002}}).values.at(0).integer, 0);
    clock->advance(Millis{4000});
    router->sync();
    EXPECT_EQ(client(*router).get({{0x0002}}).values.at(0).integer, 1);

    ASSERT_EQ(client(*router).set({{0x0003, 0, 1}}).errstat, SNMP_ERR_NOERROR);
    const auto status = client(*router).get({{0x0002}, {0x1014}, {0x1023}});
    EXPECT_EQ(status.values.at(0).integer, 0);
    EXPECT_NE(status.values.at(1).bytes.find("Connected to ISP"), std::string::npos);
    EXPECT_NE(status.values.at(2).bytes.find("Accont"), std::string::npos);
}

TEST_F(SimulatedRouters, BroadcastFindsEveryRouterOnce) {
    auto a = start(2, 1, "");
    auto b = start(3, 2, "secret");
    auto c = start(4, 2, "x");
    auto replies = browse(3);
    ASSERT_EQ(replies.size(), 3u);
    std::sort(replies.begin(), replies.end(),
              [](const auto& l, const auto& r) { return l.ip < r.ip; });
    EXPECT_EQ(replies[0].name, "router-2");
    EXPECT_EQ(replies[0].family, 1);
    EXPECT_EQ(replies[0].password, "");
    EXPECT_EQ(replies[0].firmware, "5.0 (240312-01)");
    EXPECT_EQ(replies[1].password, "secret");
    EXPECT_EQ(replies[1].snmpPort, b->snmpPort());
    EXPECT_EQ(replies[1].hardware, b->hardware());
    EXPECT_EQ(wire::formatIpv4(replies[1].netmask), "255.255.255.0");

    const auto unicast = browse(1, c->address());
    ASSERT_EQ(unicast.size(), 1u);
    EXPECT_EQ(unicast[0].name, "router-4");
}

TEST_F(SimulatedRouters, IgnoresMalformedDiscoveryDatagrams) {
    auto router = start(2);
    auto valid = wire::encode(wire::BrowseRequest{5});
    auto longer = valid;
    longer.push_back(0);
    auto wrongMagic = valid;
    wrongMagic[0] = 'X';
    auto wrongVersion = valid;
    wrongVersion[4] = 9;
    auto reserved = valid;
    reserved[6] = 1;
    auto setIp = wire::encode(wire::SetIpRequest{1, router->hardware(), 0x7f000063, 0xffffff00, 1});
    setIp.pop_back();
    auto reply = wire::encode(wire::BrowseReply{});
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } rows[] = {
        {"empty", {}},
        {"half a header", {valid.begin(), valid.begin() + 6}},
        {"browse with a trailing byte", longer},
        {"wrong magic", wrongMagic},
        {"wrong version", wrongVersion},
        {"reserved bytes set", reserved},
        {"truncated address assignment", setIp},
        {"a reply instead of a request", reply},
        {"noise", std::vector<std::uint8_t>(500, 0xA5)},
        {"oversized", std::vector<std::uint8_t>(4000, 0)},
    };
    loopback::RawUdp udp;
    for (const auto& row : rows) {
        udp.send(row.bytes, router->address(), discoveryPort);
        EXPECT_TRUE(udp.collect(30).empty()) << row.name;
    }
    EXPECT_FALSE(router->restarting());
    EXPECT_EQ(browse(1).size(), 1u) << "still answering";
}

TEST_F(SimulatedRouters, AddressAssignment) {
    auto router = start(2);
    const std::string oldAddress = router->address();
    const std::string newAddress = network + "99";
    loopback::RawUdp udp;
    auto assign = [&](wire::HardwareAddress hardware, const std::string& ip, std::size_t expected) {
        udp.send(wire::encode(wire::SetIpRequest{9, hardware, *wire::parseIpv4(ip), 0xffffff00, 1}),
                 loopback::kLoopbackBroadcast, discoveryPort);
        std::vector<wire::SetIpAck> acks;
        for (const auto& r : expected == 0 ? udp.collect(kWindowMs) : udp.await(expected)) {
            if (auto ack = wire::decodeSetIpAck(r.bytes)) {
                EXPECT_EQ(r.from, oldAddress);
                acks.push_back(*ack);
            }
        }
        return acks;
    };

    EXPECT_TRUE(assign({1, 2, 3, 4, 5, 6}, newAddress, 0).empty()) << "another router's request";

    auto refused = assign(router->hardware(), "10.1.2.3", 1);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_NE(refused[0].status, 0) << "never outside loopback";
    EXPECT_EQ(wire::formatIpv4(refused[0].ip), oldAddress);
    EXPECT_FALSE(router->restarting());

    auto accepted = assign(router->hardware(), newAddress, 1);
    ASSERT_EQ(accepted.size(), 1u);
    EXPECT_EQ(accepted[0].status, 0);
    EXPECT_EQ(wire::formatIpv4(accepted[0].ip), newAddress);
    router->sync();
    EXPECT_TRUE(browse(0).empty()) << "away while restarting";

    clock->advance(Millis{3000});
    router->sync();
    EXPECT_EQ(router->address(), newAddress);
    const auto replies = browse(1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(wire::formatIpv4(replies[0].ip), newAddress);
    EXPECT_TRUE(client(*router).get({{0x0104}}).answered);
    EXPECT_FALSE(SnmpClient(oldAddress, router->snmpPort(), "secret", loopback::kSilenceWaitMicros)
                     .get({{0x0104}})
                     .answered);
}

TEST_F(SimulatedRouters, SettingsSurviveARestartOfTheSimulator) {
    auto c = config(2);
    c.stateDirectory = dir.path();
    const std::string moved = network + "42";
    {
        routersim::Router router(c);
        ASSERT_EQ(
            client(router).set({{0x4002, 0, std::string("kept@isp")}, {0x4017, 1, 0x82}}).errstat,
            SNMP_ERR_NOERROR);
        loopback::RawUdp udp;
        udp.send(wire::encode(wire::SetIpRequest{1, router.hardware(), *wire::parseIpv4(moved),
                                                 0xffffff00, 1}),
                 loopback::kLoopbackBroadcast, discoveryPort);
        ASSERT_EQ(udp.await(1).size(), 1u);
    }
    routersim::Router again(c);
    EXPECT_EQ(again.address(), moved);
    const auto r = client(again).get({{0x4002}, {0x4017, 1}, {0x4003}});
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.values.at(0).bytes, "kept@isp");
    EXPECT_EQ(r.values.at(1).integer, 0x82);
    EXPECT_EQ(r.values.at(2).bytes, "isdn4you") << "untouched values keep their defaults";
}

TEST_F(SimulatedRouters, RefusesToStartWithADamagedStateFile) {
    auto c = config(2);
    c.stateDirectory = dir.path();
    const auto file = routersim::stateFilePath(dir.path(), routersim::resolve(c).config->hardware);
    std::ofstream(file) << "tolvaro-routerd state 1\nfamily 2\nvalue 0 4008 integer many\n";
    try {
        routersim::Router router(c);
        FAIL() << "started with a damaged state file";
    } catch (const routersim::StartError& error) {
        EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos) << error.what();
    }
}

TEST_F(SimulatedRouters, RefusesAnAddressThatIsTaken) {
    auto first = start(2);
    auto c = config(2);
    c.snmpPort = first->snmpPort();
    EXPECT_THROW(routersim::Router second(c), routersim::StartError);
}

} // namespace
