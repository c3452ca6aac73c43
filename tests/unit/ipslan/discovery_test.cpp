#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/config.h>
#include <ipslan/detail/discovery.h>
#include <ipslan/diagnostics.h>
#include <ipslan/ipslan.h>
#include <ipslan/wire.h>

#include "fake_peers.h"
#include "support/waits.h"

namespace {

using namespace ipslan::wire;
using ipslan::detail::Destination;
using ipslan::detail::LocalInterface;
using ipslan_test::DiscoveryResponder;
using Datagrams = std::vector<std::vector<std::uint8_t>>;

constexpr Ipv4 kLoopbackBroadcast = 0x7fffffff;
constexpr HardwareAddress kHardware = {0x00, 0x0a, 0x95, 0x9d, 0x68, 0x16};

BrowseReply reply(std::uint32_t requestId, Ipv4 ip, const std::string& name) {
    BrowseReply r;
    r.requestId = requestId;
    r.name = name;
    r.password = "pw";
    r.family = 1;
    r.ip = ip;
    r.netmask = 0xffffff00;
    r.hardware = kHardware;
    r.hardware[5] = static_cast<std::uint8_t>(ip);
    r.snmpPort = 16100;
    r.firmware = "3.5";
    return r;
}

// Every test limits discovery to loopback, on a port of its own.
class Discovery : public testing::Test {
protected:
    void SetUp() override {
        IPSInitLan();
        port = ipslan_test::freeUdpPort();
        ASSERT_TRUE(ipslan::setDiscoveryPort(port));
        ipslan::setDiscoveryTargets({true, {}});
        ipslan::setDiscoveryWindow(100);
    }

    // A responder on 127.0.0.1 that hears the loopback broadcast.
    void answerWith(DiscoveryResponder::Handler handler) {
        responder =
            std::make_unique<DiscoveryResponder>(0x7f000001, port, true, std::move(handler));
        ASSERT_TRUE(responder->ok());
    }

    std::uint16_t port = 0;
    std::unique_ptr<DiscoveryResponder> responder;
};

TEST_F(Discovery, BrowseHearsARouterThroughTheLoopbackBroadcast) {
    answerWith([](const std::vector<std::uint8_t>& in) -> Datagrams {
        const auto request = decodeBrowseRequest(in);
        if (!request) {
            return {};
        }
        return {encode(reply(request->requestId, 0x7f000007, "office"))};
    });
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = -1;
    IPSBrowse(table.data(), &count);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(table[0].name, "office");
    EXPECT_STREQ(table[0].ipAddress, "127.0.0.7");
    EXPECT_STREQ(table[0].password, "pw");
    EXPECT_EQ(table[0].family, 1);
    EXPECT_STREQ(table[0].netmask, "255.255.255.0");
    EXPECT_STREQ(table[0].localAddress, "127.0.0.1");
}

// Duplicates, stale or foreign datagrams and anything past 32 routers are
// dropped; records past the count keep their contents.
TEST_F(Discovery, BrowseKeepsDistinctValidRepliesUpToTheTable) {
    int routers = 0;
    answerWith([&routers](const std::vector<std::uint8_t>& in) -> Datagrams {
        const auto request = decodeBrowseRequest(in);
        if (!request) {
            return {};
        }
        const std::uint32_t id = request->requestId;
        Datagrams out;
        out.push_back({'j', 'u', 'n', 'k'});
        out.push_back(encode(reply(id + 1, 0x7f000063, "stale")));
        auto unterminated = encode(reply(id, 0x7f000064, "bad"));
        std::fill(unterminated.begin() + 12, unterminated.begin() + 32, 'x');
        out.push_back(unterminated);
        // Highest address first: which 32 are kept must not depend on the
        // order the routers answer in.
        for (int i = routers - 1; i >= 0; --i) {
            out.push_back(encode(reply(id, 0x7f000010 + static_cast<Ipv4>(i), "r")));
            out.push_back(encode(reply(id, 0x7f000010 + static_cast<Ipv4>(i), "again")));
        }
        return out;
    });

    routers = 2;
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    std::memset(table.data(), 'z', sizeof(DEVICE_INFO) * table.size());
    int count = 0;
    IPSBrowse(table.data(), &count);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(table[0].name, "r");
    EXPECT_STREQ(table[1].ipAddress, "127.0.0.17");
    EXPECT_EQ(table[2].name[0], 'z');

    const auto report = ipslan::lastDiscoveryReport();
    EXPECT_EQ(report.replies, 2);
    EXPECT_GE(report.ignored, 3) << "the malformed, the unterminated and the second replies";
    ASSERT_EQ(report.interfaces.size(), 1u) << "only loopback is searched";
    EXPECT_EQ(report.interfaces[0].routers.size(), 2u) << "attributed to the interface";

    routers = 40;
    IPSBrowse(table.data(), &count);
    ASSERT_EQ(count, kDeviceTableSize);
    EXPECT_STREQ(table[0].ipAddress, "127.0.0.16");
    EXPECT_STREQ(table[31].ipAddress, "127.0.0.47");
    EXPECT_STREQ(table[31].name, "r");
    // The list's limit is said, for --verbose.
    EXPECT_EQ(ipslan::lastDiscoveryReport().leftOut, 8);
    const auto lines = ipslan::describeDiscovery(ipslan::lastDiscoveryReport());
    EXPECT_NE(
        std::find(lines.begin(), lines.end(),
                  "  8 routers answered beyond the routers the list holds and are not listed"),
        lines.end());

    // Without the list's limit every router is kept, in address order.
    std::vector<DEVICE_INFO> all(kMaxBrowseReplies);
    ASSERT_EQ(IPSBrowseUpTo(all.data(), kMaxBrowseReplies, &count), 1);
    ASSERT_EQ(count, 40);
    EXPECT_STREQ(all[39].ipAddress, "127.0.0.55");
    EXPECT_EQ(ipslan::lastDiscoveryReport().leftOut, 0);
}

// A router fresh from the box answers on our link from a network of none of
// our interfaces: our address is the one its reply arrived on.
TEST_F(Discovery, RouterOnNoLocalNetworkGetsTheArrivalInterfaceAddress) {
    // A documentation network none of this machine's interfaces is on.
    Ipv4 foreign = 0;
    for (const Ipv4 candidate : {0xc6336405u, 0xcb007105u, 0xc0000205u}) {
        const auto locals = ipslan::detail::localInterfaces();
        if (ipslan::detail::localAddressFor(candidate, 0xffffff00, locals).empty()) {
            foreign = candidate;
            break;
        }
    }
    ASSERT_NE(foreign, 0u);
    answerWith([foreign](const std::vector<std::uint8_t>& in) -> Datagrams {
        const auto request = decodeBrowseRequest(in);
        if (!request) {
            return {};
        }
        return {encode(reply(request->requestId, foreign, "fresh"))};
    });
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 0;
    IPSBrowse(table.data(), &count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(table[0].ipAddress, formatIpv4(foreign));
    EXPECT_STREQ(table[0].localAddress, "127.0.0.1");
}

TEST_F(Discovery, BrowseWithNothingListeningFindsNone) {
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 7;
    IPSBrowse(table.data(), &count);
    EXPECT_EQ(count, 0);
    IPSBrowse(nullptr, &count);
    EXPECT_EQ(count, 0);
}

TEST_F(Discovery, ExtraUnicastTargetIsAsked) {
    const std::uint16_t otherPort = ipslan_test::freeUdpPort();
    DiscoveryResponder unicastOnly(
        0x7f000001, otherPort, false, [](const std::vector<std::uint8_t>& in) -> Datagrams {
            const auto request = decodeBrowseRequest(in);
            if (!request) {
                return {};
            }
            return {encode(reply(request->requestId, 0x7f000009, "far"))};
        });
    ASSERT_TRUE(unicastOnly.ok());
    ipslan::setDiscoveryTargets({true, {{0x7f000001, otherPort}}});
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 0;
    IPSBrowse(table.data(), &count);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(table[0].name, "far");
}

// A router that announced its own SNMP port is reached there while the
// program asks for the LAN port 161; any other port is used as given.
TEST_F(Discovery, AnnouncedSnmpPortReplacesTheLanPort) {
    ipslan_test::SnmpResponder snmp([](const netsnmp_pdu&, netsnmp_pdu& response) {
        const long one = 1;
        snmp_set_var_typed_value(response.variables, ASN_INTEGER, &one, sizeof one);
        return true;
    });
    ASSERT_TRUE(snmp.ok());
    const std::uint16_t snmpPort = snmp.port();
    answerWith([snmpPort](const std::vector<std::uint8_t>& in) -> Datagrams {
        const auto request = decodeBrowseRequest(in);
        if (!request) {
            return {};
        }
        auto r = reply(request->requestId, 0x7f000001, "local");
        r.snmpPort = snmpPort;
        return {encode(r)};
    });
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 0;
    IPSBrowse(table.data(), &count);
    ASSERT_EQ(count, 1);

    ipslan::setTimeouts(tolvaro::test::kAnswerTimeoutMs, 0);
    PSSetCommunity("public");
    const int vars[] = {0x0002};
    MIB_RESPONSE result{};
    ASSERT_EQ(PSSetSnmpPort(161), 1);
    EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, 1, vars, &result), 1);
    const int requestsSoFar = snmp.requests();
    ASSERT_EQ(PSSetSnmpPort(ipslan_test::freeUdpPort()), 1);
    {
        const tolvaro::test::BriefWait unanswered; // nothing listens there
        EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, 1, vars, &result), 0);
    }
    EXPECT_EQ(snmp.requests(), requestsSoFar);
}

class SetIp : public Discovery {
protected:
    void SetUp() override {
        Discovery::SetUp();
        answerWith([this](const std::vector<std::uint8_t>& in) -> Datagrams {
            if (const auto request = decodeBrowseRequest(in)) {
                return {encode(reply(request->requestId, 0x7f000005, "box"))};
            }
            const auto request = decodeSetIpRequest(in);
            if (!request || request->hardware != reply(0, 0x7f000005, "").hardware) {
                return {};
            }
            lastRequest = *request;
            return {encode(SetIpAck{request->requestId, request->hardware, ackStatus,
                                    ackIp.value_or(request->newIp)})};
        });
        table.resize(kDeviceTableSize);
        int count = 0;
        IPSBrowse(table.data(), &count);
        ASSERT_EQ(count, 1);
    }

    std::vector<DEVICE_INFO> table;
    std::uint8_t ackStatus = 0;
    std::optional<std::uint32_t> ackIp; // unset: the address asked for
    std::optional<SetIpRequest> lastRequest;
};

TEST_F(SetIp, AcknowledgedChangeSucceeds) {
    ASSERT_EQ(IPSUDPSetIP(&table[0], 0, "127.0.0.44", "127.0.0.44", "255.0.0.0", 1), 1);
    ASSERT_TRUE(lastRequest);
    EXPECT_EQ(lastRequest->newIp, 0x7f00002cu);
    EXPECT_EQ(lastRequest->newNetmask, 0xff000000u);
    EXPECT_EQ(lastRequest->flag, 1);
}

// Only an acceptance of the address asked for is a success.
TEST_F(SetIp, RefusedChangeOrAnotherAddressFails) {
    ackStatus = 1;
    EXPECT_EQ(IPSUDPSetIP(&table[0], 0, "127.0.0.44", "127.0.0.44", "255.0.0.0", 1), 0);
    ackStatus = 0;
    ackIp = 0x7f000005; // still its old address
    EXPECT_EQ(IPSUDPSetIP(&table[0], 0, "127.0.0.44", "127.0.0.44", "255.0.0.0", 1), 0);
}

struct SetIpArguments {
    const char* name;
    const char* routerIp;
    const char* newIp;
    const char* mask;
};

class SetIpRefusals : public SetIp, public testing::WithParamInterface<SetIpArguments> {};

TEST_P(SetIpRefusals, SendNothing) {
    const auto& c = GetParam();
    DEVICE_INFO device = table[0];
    std::strcpy(device.ipAddress, c.routerIp);
    const int before = responder->received();
    EXPECT_EQ(IPSUDPSetIP(&device, 0, c.newIp, c.newIp, c.mask, 1), 0);
    EXPECT_EQ(responder->received(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SetIpRefusals,
    testing::Values(SetIpArguments{"RouterNeverBrowsed", "127.0.0.99", "127.0.0.44", "255.0.0.0"},
                    SetIpArguments{"AddressOctetTooBig", "127.0.0.5", "127.0.0.256", "255.0.0.0"},
                    SetIpArguments{"MaskNotDotted", "127.0.0.5", "127.0.0.44", "255.0.0"},
                    SetIpArguments{"RouterIpGarbage", "router", "127.0.0.44", "255.0.0.0"}),
    [](const testing::TestParamInfo<SetIpArguments>& info) { return info.param.name; });

TEST_F(Discovery, QueryFreeIpAvoidsLocalAndBrowsedAddresses) {
    answerWith([](const std::vector<std::uint8_t>& in) -> Datagrams {
        const auto request = decodeBrowseRequest(in);
        if (!request) {
            return {};
        }
        return {encode(reply(request->requestId, 0x7f000002, "two"))};
    });
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 0;
    IPSBrowse(table.data(), &count);
    ASSERT_EQ(count, 1);

    char buffer[16] = "127.0.0.0";
    ASSERT_EQ(IPSQueryFreeIp(buffer, buffer), 1);
    const auto proposed = parseIpv4(buffer);
    ASSERT_TRUE(proposed);
    EXPECT_EQ(*proposed & 0xffffff00, 0x7f000000u);
    EXPECT_NE(*proposed, 0x7f000001u);
    EXPECT_NE(*proposed, 0x7f000002u);
}

TEST(QueryFreeIp, BadNetworkLeavesTheResultAlone) {
    for (const char* network : {"127.0.0.1", "127.0.0", "abc", "", "127.000.000.0000"}) {
        char result[16] = "untouched";
        EXPECT_EQ(IPSQueryFreeIp(network, result), 0) << network;
        EXPECT_STREQ(result, "untouched") << network;
    }
    char unterminated[16];
    std::memset(unterminated, '1', sizeof unterminated);
    char result[16] = "untouched";
    EXPECT_EQ(IPSQueryFreeIp(unterminated, result), 0);
    EXPECT_STREQ(result, "untouched");
}

TEST(QueryFreeIp, ProposesTheLowestUnusedHost) {
    using ipslan::detail::proposeFreeAddress;
    EXPECT_EQ(proposeFreeAddress(0x0a000000, {}), 0x0a000002u);
    EXPECT_EQ(proposeFreeAddress(0x0a000000, {0x0a000002, 0x0a000003}), 0x0a000004u);
    std::set<Ipv4> all;
    for (Ipv4 h = 2; h <= 254; ++h) {
        all.insert(0x0a000000 | h);
    }
    EXPECT_EQ(proposeFreeAddress(0x0a000000, all), std::nullopt);
}

TEST(QueryFreeIp, ReadsTheArpTable) {
    std::istringstream table(
        "IP address       HW type     Flags       HW address            Mask     Device\n"
        "10.0.0.5         0x1         0x2         00:0a:95:9d:68:16     *        eth0\n"
        "garbage line\n"
        "10.0.0.9         0x1         0x0         00:00:00:00:00:00     *        eth0\n");
    EXPECT_EQ(ipslan::detail::arpTableAddresses(table), (std::set<Ipv4>{0x0a000005, 0x0a000009}));
}

TEST(DiscoveryDestinations, LoopbackOnlyOrEveryInterfaceBroadcast) {
    const std::vector<LocalInterface> interfaces = {
        {0x7f000001, 0xff000000, std::nullopt, "", 0},
        {0xc0a80122, 0xffffff00, 0xc0a801ff, "", 0},
        {0x0a000001, 0xff000000, 0x0affffff, "", 0},
    };
    ipslan::detail::Settings s;
    s.discoveryPort = 3721;
    s.targets = {false, {{0x7f000005, 0}, {0x7f000009, 4000}, {0xc0a801ff, 0}}};
    EXPECT_EQ(ipslan::detail::discoveryDestinations(s, interfaces),
              (std::vector<Destination>{
                  {0xc0a801ff, 3721}, {0x0affffff, 3721}, {0x7f000005, 3721}, {0x7f000009, 4000}}));
    s.targets.loopbackOnly = true;
    s.targets.extra.pop_back();
    EXPECT_EQ(ipslan::detail::discoveryDestinations(s, interfaces),
              (std::vector<Destination>{
                  {kLoopbackBroadcast, 3721}, {0x7f000005, 3721}, {0x7f000009, 4000}}));
}

TEST(LocalAddress, IsThisComputersAddressOnTheRoutersNetwork) {
    using ipslan::detail::localAddressFor;
    const std::vector<LocalInterface> interfaces = {
        {0x7f000001, 0xff000000, std::nullopt, "", 0},
        {0xc0a80122, 0xffffff00, 0xc0a801ff, "", 0},
    };
    EXPECT_EQ(localAddressFor(0xc0a80101, 0xffffff00, interfaces), "192.168.1.34");
    EXPECT_EQ(localAddressFor(0x7f000005, 0xffffff00, interfaces), "127.0.0.1");
    // The router's mask is narrower than the loopback interface's.
    EXPECT_EQ(localAddressFor(0x7f010203, 0xffffff00, interfaces), "127.0.0.1");
    EXPECT_EQ(localAddressFor(0x7f010203, 0xffffff00, {}), "127.0.0.1");
    // Nothing matches: the arrival interface, when known, else nothing.
    EXPECT_EQ(localAddressFor(0x0a000001, 0xff000000, interfaces), "");
    EXPECT_EQ(localAddressFor(0x0a000001, 0xff000000, interfaces, interfaces[1]), "192.168.1.34");
    EXPECT_EQ(localAddressFor(0xc0a80101, 0xffffff00, interfaces, interfaces[0]), "192.168.1.34");
}

TEST(DiscoveryReport, PlacesEachRouterUnderTheInterfaceItCameThrough) {
    const std::vector<LocalInterface> interfaces = {
        {0x7f000001, 0xff000000, std::nullopt, "lo", 1},
        {0xc0a80122, 0xffffff00, 0xc0a801ff, "eth0", 2},
        {0x0a000001, 0xff000000, 0x0affffff, "eth0", 2}, // a second address
        {0xac100001, 0xffff0000, 0xac10ffff, "eth1", 3}, // searched, silent
    };
    const auto reply = [](const char* name, Ipv4 ip) {
        ipslan::wire::BrowseReply r;
        r.name = name;
        r.ip = ip;
        r.netmask = 0xffffff00;
        return r;
    };
    ipslan::detail::Settings s;
    const auto report = ipslan::detail::discoveryReport(s, interfaces,
                                                        {{reply("on eth0", 0xc0a80101), 2},
                                                         {reply("second net", 0x0a000005), 2},
                                                         {reply("elsewhere", 0x0b000001), 2},
                                                         {reply("via lo", 0x7f000005), 1},
                                                         {reply("no\nline", 0x7f000006), 9}},
                                                        3);
    ASSERT_EQ(report.interfaces.size(), 4u);
    const auto names = [](const ipslan::SearchedInterface& i) {
        std::vector<std::pair<std::string, bool>> out;
        for (const auto& r : i.routers) {
            out.emplace_back(r.name, r.outsideNetwork);
        }
        return out;
    };
    using Row = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(names(report.interfaces[0]), (Row{{"via lo", false}}));
    EXPECT_EQ(names(report.interfaces[1]), (Row{{"on eth0", false}, {"elsewhere", true}}));
    EXPECT_EQ(names(report.interfaces[2]), (Row{{"second net", false}}));
    EXPECT_TRUE(report.interfaces[3].routers.empty());
    EXPECT_FALSE(report.interfaces[0].broadcastSent) << "lo has no broadcast address";
    ASSERT_EQ(report.unattributed.size(), 1u);

    const auto lines = ipslan::describeDiscovery(report);
    const auto has = [&lines](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(text) != l.npos; });
    };
    EXPECT_TRUE(has("discovery: 5 replies, 3 ignored"));
    EXPECT_TRUE(has("\"elsewhere\" at 11.0.0.1 mask 255.255.255.0: outside this network, "
                    "reachable only after an address change"));
    EXPECT_TRUE(has("\"no\\x0aline\"")) << "names from the network are escaped";
}

struct TargetsCase {
    const char* name;
    const char* text;
    std::optional<ipslan::DiscoveryTargets> expected;
};

class DiscoveryTargetTexts : public testing::TestWithParam<TargetsCase> {};

TEST_P(DiscoveryTargetTexts, Parse) {
    EXPECT_EQ(ipslan::parseDiscoveryTargets(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, DiscoveryTargetTexts,
    testing::Values(
        TargetsCase{"Loopback", "loopback", ipslan::DiscoveryTargets{true, {}}},
        TargetsCase{"LoopbackAndTargets", "loopback, 127.0.0.5:3721 ,127.0.0.9",
                    ipslan::DiscoveryTargets{true, {{0x7f000005, 3721}, {0x7f000009, 0}}}},
        TargetsCase{"OnlyTarget", "10.1.2.3", ipslan::DiscoveryTargets{false, {{0x0a010203, 0}}}},
        TargetsCase{"Empty", "", std::nullopt}, TargetsCase{"EmptyItem", "loopback,", std::nullopt},
        TargetsCase{"HostName", "router.local", std::nullopt},
        TargetsCase{"PortZero", "127.0.0.5:0", std::nullopt},
        TargetsCase{"PortTooBig", "127.0.0.5:65536", std::nullopt},
        TargetsCase{"PortMissing", "127.0.0.5:", std::nullopt}),
    [](const testing::TestParamInfo<TargetsCase>& info) { return info.param.name; });

} // namespace
