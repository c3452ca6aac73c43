// The device library against simulated routers on loopback: discovery,
// reads and writes, reset, address assignment and the ISDN line, as the
// utility uses them.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/config.h>
#include <ipslan/diagnostics.h>
#include <ipslan/ipslan.h>
#include <ipslan/wire.h>

#include "routersim/router.h"
#include "support/loopback.h"
#include "support/waits.h"

namespace {

using routersim::Millis;
namespace wire = ipslan::wire;

class Library : public ::testing::Test {
protected:
    void SetUp() override {
        IPSInitLan();
        ASSERT_TRUE(ipslan::setDiscoveryPort(discoveryPort));
        ipslan::setDiscoveryTargets({true, {}});
        ipslan::setDiscoveryWindow(150);
        ipslan::setTimeouts(tolvaro::test::kAnswerTimeoutMs, 0);
        PSSetSnmpPort(161);
        PSSetCommunity("secret");
    }

    routersim::RouterConfig config(int host, int family = 2, std::string password = "secret") {
        routersim::RouterConfig c;
        c.family = family;
        c.name = "router-" + std::to_string(host);
        c.address = address(host);
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
    std::string address(int host) const { return network + std::to_string(host); }

    std::vector<DEVICE_INFO> browse() {
        std::vector<DEVICE_INFO> table(kDeviceTableSize);
        int count = -1;
        IPSBrowse(table.data(), &count);
        table.resize(static_cast<std::size_t>(std::max(count, 0)));
        std::sort(table.begin(), table.end(), [](const DEVICE_INFO& a, const DEVICE_INFO& b) {
            return *wire::parseIpv4(a.ipAddress) < *wire::parseIpv4(b.ipAddress);
        });
        return table;
    }

    // A read that no router answers: true when it failed, after a brief wait.
    bool unanswered(const std::string& ip, std::vector<int> variables) {
        const tolvaro::test::BriefWait brief;
        return !get(ip, std::move(variables));
    }

    // Reads variables; nullopt when the library reports failure.
    std::optional<std::vector<MIB_RESPONSE>> get(const std::string& ip, std::vector<int> variables,
                                                 int mode = 0) {
        std::vector<MIB_RESPONSE> result(variables.size());
        if (IPSGetInfo(ip.c_str(), mode, static_cast<int>(variables.size()), variables.data(),
                       result.data()) != 1) {
            return std::nullopt;
        }
        return result;
    }
    int set(const std::string& ip, std::vector<int> variables, std::vector<_snmp_packet> values,
            int mode = 0) {
        return IPSSetInfo(ip.c_str(), mode, static_cast<int>(variables.size()), variables.data(),
                          values.data());
    }

    std::string network = loopback::randomNetwork();
    std::uint16_t discoveryPort = loopback::freeUdpPort();
    std::shared_ptr<routersim::ManualClock> clock = std::make_shared<routersim::ManualClock>();
    loopback::TempDir dir;
};

_snmp_packet entry(std::uint8_t type, std::size_t length, const std::string& value) {
    _snmp_packet e{};
    e.type = type;
    e.length[0] = static_cast<std::uint8_t>(length);
    e.length[1] = static_cast<std::uint8_t>(length >> 8);
    std::memcpy(e.value, value.data(), std::min(value.size(), sizeof e.value));
    return e;
}

std::int32_t integer(const MIB_RESPONSE& r) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | r.value[i];
    }
    return static_cast<std::int32_t>(v);
}
std::size_t length(const MIB_RESPONSE& r) {
    return r.length[0] | r.length[1] << 8;
}
std::string text(const MIB_RESPONSE& r) {
    return std::string(reinterpret_cast<const char*>(r.value), length(r));
}

TEST_F(Library, DiscoversEverySimulatedRouterOnTheLoopbackBroadcast) {
    auto a = start(2, 1, "");
    auto b = start(3, 2, "secret");
    auto c = start(4, 2, "other");
    const auto table = browse();
    ASSERT_EQ(table.size(), 3u);
    EXPECT_STREQ(table[0].name, "router-2");
    EXPECT_EQ(table[0].family, 1);
    EXPECT_STREQ(table[0].password, "");
    EXPECT_EQ(table[1].ipAddress, address(3));
    EXPECT_STREQ(table[1].password, "secret");
    EXPECT_EQ(table[1].family, 2);
    EXPECT_STREQ(table[1].netmask, "255.255.255.0");
    EXPECT_STREQ(table[2].password, "other");
}

TEST_F(Library, ARouterHeardTwiceIsListedOnce) {
    auto a = start(2);
    auto b = start(3);
    ipslan::setDiscoveryTargets({true, {{*wire::parseIpv4(address(3)), 0}}});
    EXPECT_EQ(browse().size(), 2u);
}

TEST_F(Library, DiscoveryStopsAtThirtyTwoRouters) {
    std::vector<std::unique_ptr<routersim::Router>> routers;
    for (int host = 2; host < 2 + 33; ++host) {
        routers.push_back(start(host));
    }
    ipslan::setDiscoveryWindow(400);
    EXPECT_EQ(browse().size(), 32u);
}

// A peer on the broadcast address that answers every request with broken
// replies, one valid reply to another request and one impostor record.
class BadPeer {
public:
    BadPeer(std::uint16_t port, std::string impostor) : impostor_(std::move(impostor)) {
        listen_ = bound("127.255.255.255", port);
        thread_ = std::thread([this] { run(); });
    }
    ~BadPeer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }

private:
    static int bound(const std::string& address, std::uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &local.sin_addr);
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        return fd;
    }
    void run() {
        while (!stop_) {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                continue;
            }
            std::vector<std::uint8_t> in(512);
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t n = ::recvfrom(listen_, in.data(), in.size(), 0,
                                         reinterpret_cast<sockaddr*>(&from), &size);
            in.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
            const auto request = wire::decodeBrowseRequest(in);
            if (!request) {
                continue;
            }
            wire::BrowseReply reply;
            reply.requestId = request->requestId + 1; // stale
            reply.name = "stale";
            reply.ip = *wire::parseIpv4(impostor_);
            auto stale = wire::encode(reply);
            auto truncated = stale;
            truncated.resize(40);
            auto unknownKind = stale;
            unknownKind[5] = 9;
            reply.requestId = request->requestId; // current, but the name has no NUL
            std::vector<std::uint8_t> name = wire::encode(reply);
            std::fill(name.begin() + 12, name.begin() + 32, 'A');
            const int out = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            for (const auto& bytes :
                 {stale, truncated, unknownKind, name, std::vector<std::uint8_t>(300, 0xff)}) {
                ::sendto(out, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&from),
                         sizeof from);
            }
            ::close(out);
        }
    }

    std::string impostor_;
    int listen_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(Library, MalformedRepliesAreIgnored) {
    auto router = start(2);
    BadPeer peer(discoveryPort, address(77));
    const auto table = browse();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].ipAddress, address(2));
}

TEST_F(Library, WrongCommunityAndAbsentRouterBothFail) {
    auto router = start(2);
    browse();
    ASSERT_TRUE(get(address(2), {0x4027}));
    PSSetCommunity("wrong");
    EXPECT_TRUE(unanswered(address(2), {0x4027}));
    PSSetCommunity("secret");
    EXPECT_TRUE(unanswered(address(99), {0x4027})) << "nobody there";
    EXPECT_TRUE(get(address(2), {0x4027}));
}

TEST_F(Library, ReadsTheFamilyTwoCatalogueWithTypes) {
    auto router = start(2);
    browse();
    const auto main = get(
        address(2), {0x4001, 0x4002, 0x4003, 0x4004, 0x4006, 0x4014, 0x4015, 0x3801, 0x3823, 0x3824,
                     0x4008, 0x0104, 0x0100, 0x0103, 0x0106, 0x4025, 0x4027, 0x4028, 0x4029, 0x402a,
                     0x3004, 0x3006, 0x3005, 0x3012, 0x3013, 0x3014, 0x3601, 0x3602, 0x4026});
    ASSERT_TRUE(main);
    EXPECT_EQ((*main)[7].type, kTypeInteger);
    EXPECT_EQ(integer((*main)[7]), 6);
    EXPECT_EQ((*main)[11].type, kTypeOctetString);
    EXPECT_EQ(text((*main)[11]), "6.5 (240918-07)");
    EXPECT_EQ(length((*main)[26]), 240u);
    EXPECT_EQ(text((*main)[14]), "secret");

    const auto block = get(address(2), {0x4017, 0x400d, 0x4023, 0x371a, 0x4018}, 1);
    ASSERT_TRUE(block);
    EXPECT_EQ(integer((*block)[0]), 2);
    EXPECT_EQ(integer((*block)[4]), 10);
    EXPECT_TRUE(get(address(2), {0x4024}));
}

TEST_F(Library, IntegersTravelAsNumbersWhateverTheLengthWord) {
    auto router = start(2);
    browse();
    // The pages write some numbers with length 1 and no type tag.
    ASSERT_EQ(set(address(2), {0x4024, 0x3801, 0x4028},
                  {entry(kTypeInteger, 1, "9999"), entry(0, 1, "-1"), entry(0, 1, "8088")}),
              1);
    EXPECT_EQ(router->value(0x4024)->integer, 9999);
    EXPECT_EQ(router->value(0x3801)->integer, -1);
    EXPECT_EQ(router->value(0x4028)->integer, 8088);
    EXPECT_EQ(set(address(2), {0x4002}, {entry(kTypeOctetString, 4, "anne@isp")}), 1);
    EXPECT_EQ(router->value(0x4002)->text(), "anne") << "strings go at the length word";
    EXPECT_EQ(set(address(2), {0x401b}, {entry(kTypeOctetString, 8, "12345678")}), 0)
        << "too long for the router";
    EXPECT_EQ(router->value(0x401b)->text(), "br4nch");
}

TEST_F(Library, TwentyNineEntriesOf1500Bytes) {
    auto router = start(2);
    browse();
    const std::string big(1500, 'q');
    ASSERT_EQ(set(address(2), std::vector<int>(29, 0x371b),
                  std::vector<_snmp_packet>(29, entry(kTypeOctetString, 1500, big))),
              1);
    const auto read = get(address(2), std::vector<int>(29, 0x371b));
    ASSERT_TRUE(read);
    for (const auto& r : *read) {
        EXPECT_EQ(text(r), big);
    }
}

TEST_F(Library, ResetRestartsTheRouterWithItsNewPassword) {
    auto router = start(2);
    browse();
    ASSERT_EQ(set(address(2), {0x0106}, {entry(kTypeOctetString, 4, "next")}), 1);
    ASSERT_EQ(set(address(2), {0x0001}, {entry(kTypeInteger, 1, "1")}), 1);
    router->sync();
    EXPECT_TRUE(unanswered(address(2), {0x0104})) << "away while restarting";
    clock->advance(Millis{3000});
    router->sync();
    EXPECT_TRUE(unanswered(address(2), {0x0104})) << "the old password is gone";
    PSSetCommunity("next");
    EXPECT_TRUE(get(address(2), {0x0104}));
    ASSERT_EQ(browse().size(), 1u);
    EXPECT_STREQ(browse()[0].password, "next");
}

TEST_F(Library, AddressAssignmentMovesTheRouter) {
    auto router = start(2);
    auto table = browse();
    ASSERT_EQ(table.size(), 1u);
    const std::string moved = address(88);
    EXPECT_EQ(IPSUDPSetIP(&table[0], 0, "10.0.0.8", "10.0.0.8", "255.255.255.0", 1), 0)
        << "never outside loopback";
    ASSERT_EQ(IPSUDPSetIP(&table[0], 0, moved.c_str(), moved.c_str(), "255.255.255.0", 1), 1);
    clock->advance(Millis{3000});
    router->sync();
    table = browse();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].ipAddress, moved);
    EXPECT_TRUE(get(moved, {0x0104}));
    EXPECT_TRUE(unanswered(address(2), {0x0104}));
}

TEST_F(Library, DialUpAndHangUp) {
    auto router = start(2);
    browse();
    ASSERT_EQ(set(address(2), {0x0003}, {entry(kTypeInteger, 1, "2")}), 1);
    EXPECT_EQ(integer(get(address(2), {0x0002})->at(0)), 0);
    clock->advance(Millis{4000});
    router->sync();
    EXPECT_EQ(integer(get(address(2), {0x0002})->at(0)), 1);
    ASSERT_EQ(set(address(2), {0x0003}, {entry(kTypeInteger, 1, "1")}), 1);
    EXPECT_EQ(integer(get(address(2), {0x0002})->at(0)), 0);

    const auto log = get(address(2), {0x1014, 0x1015, 0x1016, 0x1017, 0x1018, 0x1019, 0x1020,
                                      0x1021, 0x1022, 0x1023});
    ASSERT_TRUE(log);
    std::string joined;
    for (int i = 0; i < 9; ++i) {
        joined += text((*log)[i]);
    }
    EXPECT_NE(joined.find("Dialing 0191011\n"), std::string::npos) << joined;
    EXPECT_NE(joined.find("Disconnected by request\n"), std::string::npos) << joined;
}

TEST_F(Library, WritesSurviveARestartOfTheSimulator) {
    auto c = config(2);
    c.stateDirectory = dir.path();
    {
        routersim::Router router(c);
        browse();
        ASSERT_EQ(set(address(2), {0x4006, 0x4008},
                      {entry(kTypeOctetString, 7, "0800123"), entry(kTypeInteger, 1, "15")}),
                  1);
    }
    routersim::Router again(c);
    browse();
    const auto read = get(address(2), {0x4006, 0x4008});
    ASSERT_TRUE(read);
    EXPECT_EQ(text((*read)[0]), "0800123");
    EXPECT_EQ(integer((*read)[1]), 15);
}

// A batch's failure says why, as a single read's does: the first failed
// read's first failed variable, whether the batch ran alone or in a fleet.
TEST_F(Library, AFailedBatchTellsWhyItsFirstFailedReadFailed) {
    using Failure = ipslan::RequestFailure;
    struct Row {
        const char* name;
        std::function<void(routersim::Router&)> fault;
        int second; // the variable of the second of three reads
        std::vector<int> statuses;
        Failure::Kind kind;
        int errorStatus;
        int variable;
    };
    const auto none = [](routersim::Router&) {
    };
    const Row rows[] = {
        {"router silent",
         [](routersim::Router& r) { r.faults().pause(); },
         0x4002,
         {0, 0, 0},
         Failure::NoResponse,
         0,
         0x4008},
        {"variable unknown to the router, inside a packed request",
         none,
         0x7777,
         {1, 0, 1},
         Failure::ErrorStatus,
         Failure::kNoSuchName,
         0x7777},
        {"even one variable too big for the router",
         [](routersim::Router& r) { r.faults().limitAnswers(20); },
         0x4002,
         {0, 0, 0},
         Failure::ErrorStatus,
         SNMP_ERR_TOOBIG,
         0x4008},
        {"all answered, after failures", none, 0x4002, {1, 1, 1}, Failure::None, 0, 0},
    };
    int host = 2;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto router = start(host);
        browse();
        row.fault(*router);
        const std::string ip = address(host++);
        const int variables[] = {0x4008, row.second, 0x4002};
        MIB_RESPONSE results[3]{};
        IPS_READ reads[3];
        for (int i = 0; i < 3; ++i) {
            reads[i] = IPS_READ{0, 1, &variables[i], &results[i], 0, 9};
        }
        const bool all = row.kind == Failure::None;
        std::optional<tolvaro::test::BriefWait> brief;
        if (row.kind == Failure::NoResponse)
            brief.emplace();
        EXPECT_EQ(IPSGetInfoBatch(ip.c_str(), reads, 3), all ? 1 : 0);
        EXPECT_EQ((std::vector<int>{reads[0].status, reads[1].status, reads[2].status}),
                  row.statuses);

        struct Seen {
            Failure batch = ipslan::lastRequestFailure();
            Failure inFleet;
        } seen;
        IPS_ROUTER fleet{ip.c_str(), nullptr, 0, reads, 3, 9};
        const IPS_FLEET_STEP done = [](void* context, int) {
            static_cast<Seen*>(context)->inFleet = ipslan::lastRequestFailure();
        };
        EXPECT_EQ(IPSGetInfoFleet(&fleet, 1, 1, nullptr, done, &seen), all ? 1 : 0);
        for (const Failure& failure : {seen.batch, seen.inFleet}) {
            EXPECT_EQ(failure.kind, row.kind);
            EXPECT_EQ(failure.errorStatus, row.errorStatus);
            EXPECT_EQ(failure.variable, row.variable);
            EXPECT_EQ(failure.peer,
                      all ? "" : "udp:" + ip + ":" + std::to_string(router->snmpPort()));
        }
    }
}

} // namespace
