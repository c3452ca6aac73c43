// The simulated router reads and answers the hand-written discovery
// datagrams of support/golden_bytes.h byte for byte, so it cannot agree with
// the library on a layout that both get wrong the same way.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <ipslan/variables.h>

#include "routersim/router.h"
#include "support/golden_bytes.h"
#include "support/loopback.h"

namespace {

using routersim::Millis;

TEST(SimulatedRouterDatagrams, AnswerTheHandWrittenBytes) {
    auto clock = std::make_shared<routersim::ManualClock>();
    routersim::RouterConfig config;
    config.family = 2;
    config.name = "Branch Office";
    config.address = "127.66.1.2";
    config.netmask = "255.255.255.0";
    config.password = "secret";
    config.hardware = routersim::HardwareAddress{0x02, 0x00, 0x7f, 0x42, 0x01, 0x02};
    config.firmware = "6.5 (240918-07)";
    config.snmpPort = 0;
    config.discoveryPort = loopback::freeUdpPort();
    config.restartTime = Millis{3000};
    config.clock = clock;
    routersim::Router router(config);

    loopback::RawUdp udp;
    // The reply carries the SNMP port the router was given, not 161.
    golden::Bytes reply = golden::kBrowseReply;
    reply[golden::kBrowseReplyPortAt] = static_cast<std::uint8_t>(router.snmpPort() >> 8);
    reply[golden::kBrowseReplyPortAt + 1] = static_cast<std::uint8_t>(router.snmpPort());
    udp.send(golden::kBrowseRequest, router.address(), config.discoveryPort);
    auto received = udp.await(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, reply);

    udp.send(golden::kSetIpRequest, router.address(), config.discoveryPort);
    received = udp.await(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, golden::kSetIpAck);

    clock->advance(Millis{3000});
    router.sync();
    ASSERT_EQ(router.address(), "127.66.1.77");
    // Address and mask both as the request's bytes 18-25 gave them.
    const golden::Bytes moved = golden::hex("7f 42 01 4d  ff ff 00 00");
    std::copy(moved.begin(), moved.end(), reply.begin() + 46);
    udp.send(golden::kBrowseRequest, router.address(), config.discoveryPort);
    received = udp.await(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, reply);
}

// The router reads workstation records to reserve their addresses and hands
// the reservations out as lease records: both through the hand-written bytes.
TEST(SimulatedRouterRecords, ReservesTheHandWrittenStation) {
    routersim::RouterConfig config;
    config.address = loopback::randomNetwork() + "2";
    config.password = "secret";
    config.snmpPort = 0;
    config.discoveryPort = loopback::freeUdpPort();
    routersim::Router router(config);
    loopback::SnmpClient client(router.address(), router.snmpPort(), "secret");

    // The hand-written station, then one that reserves nothing.
    golden::Bytes table = golden::join({golden::kStation, golden::hex("02 00 00 00 00 99"),
                                        golden::text("laptop", 10), golden::hex("c0 a8 01 29"),
                                        golden::hex("00"), golden::hex("00")});
    table.resize(220, 0);
    const auto set =
        client.set({{ipslan::var::kWorkstationFirst, 0, std::string(table.begin(), table.end())}});
    ASSERT_TRUE(set.answered);
    ASSERT_EQ(set.errstat, 0);

    const auto got = client.get({{ipslan::var::kLeaseFirst}});
    ASSERT_TRUE(got.answered);
    ASSERT_EQ(got.values.size(), 1u);
    // 192.168.1.40 for 00:0a:95:9d:68:16, reserved (not dynamic), no expiry.
    const golden::Bytes lease = golden::hex("c0 a8 01 28  00 0a 95 9d 68 16  00  ff ff ff ff");
    const std::string& leases = got.values[0].bytes;
    ASSERT_GE(leases.size(), lease.size());
    EXPECT_EQ(golden::Bytes(leases.begin(), leases.begin() + 15), lease);
    EXPECT_EQ(leases.find(std::string("\x02\x00\x00\x00\x00\x99", 6)), std::string::npos)
        << "a station without a reservation holds no lease";
}

} // namespace
