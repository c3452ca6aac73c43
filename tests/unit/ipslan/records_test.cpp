#include <ipslan/records.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename T> bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

UserInfo sampleUser() {
    UserInfo u{};
    std::strcpy(u.name, "fifteen-chars-x");
    std::strcpy(u.password, "seven77");
    u.flags = 0x12;
    u.timeLimit = 0xfffe;
    std::strcpy(u.callback, "0123456789012345678");
    return u;
}

WkInfo sampleStation() {
    WkInfo w{{0x00, 0x0a, 0x95, 0x9d, 0x68, 0x16}, "ninechars", {192, 168, 1, 40}, 1, 4};
    return w;
}

S_ROUTE sampleRoute() {
    return S_ROUTE{"office", {10, 1, 0, 0}, {255, 255, 0, 0}, {192, 168, 1, 254}, 15, 1};
}

LOCAL_S sampleServer() {
    LOCAL_S s{};
    s.enabled = 2;
    std::memcpy(s.address, "\xc0\xa8\x01\x05", 4);
    s.spare = 7;
    std::strcpy(s.name, "webserver");
    s.protocol = 1;
    s.externalPort = 8080;
    s.internalPort = 65535;
    return s;
}

SP_AP sampleSpecial() {
    SP_AP a{};
    a.enabled = 1;
    std::strcpy(a.name, "game");
    a.outProtocol = 1;
    a.outStart = 1000;
    a.outEnd = 1010;
    a.inProtocol = 0;
    a.inStart = 2000;
    a.inEnd = 65535;
    return a;
}

// Encoding then decoding gives the record back, byte for byte (padding is
// zero in the samples), and both sides agree on the size.
TEST(RecordConverters, RoundTripsEveryRecordKind) {
    std::array<std::uint8_t, 64> buf{};

    const UserInfo user = sampleUser();
    UserInfo userBack{};
    ASSERT_EQ(IPSConvUserToByte(buf.data(), &user, buf.size()), 47);
    ASSERT_EQ(IPSConvByteToUser(&userBack, buf.data(), 47), 47);
    EXPECT_TRUE(sameBytes(user, userBack));

    const WkInfo station = sampleStation();
    WkInfo stationBack{};
    ASSERT_EQ(IPSConvStationToByte(buf.data(), &station, buf.size()), 22);
    ASSERT_EQ(IPSConvByteToStation(&stationBack, buf.data(), 22), 22);
    EXPECT_TRUE(sameBytes(station, stationBack));

    const S_GPCFG group{0x80000801u, 0xffff0001u, 2, {9, 8, 7}};
    S_GPCFG groupBack{};
    ASSERT_EQ(IPSConvGroupToByte(buf.data(), &group, buf.size()), 12);
    ASSERT_EQ(IPSConvByteToGroup(&groupBack, buf.data(), 12), 12);
    EXPECT_TRUE(sameBytes(group, groupBack));

    const S_ROUTE route = sampleRoute();
    S_ROUTE routeBack{};
    ASSERT_EQ(IPSConvRouteToByte(buf.data(), &route, buf.size()), 24);
    ASSERT_EQ(IPSConvByteToRoute(&routeBack, buf.data(), 24), 24);
    EXPECT_TRUE(sameBytes(route, routeBack));

    const LOCAL_S server = sampleServer();
    LOCAL_S serverBack{};
    ASSERT_EQ(IPSConvLocalServerToByte(buf.data(), &server, buf.size()), 21);
    ASSERT_EQ(IPSConvByteToLocalServer(&serverBack, buf.data(), 21), 21);
    EXPECT_TRUE(sameBytes(server, serverBack));

    const SP_AP special = sampleSpecial();
    SP_AP specialBack{};
    ASSERT_EQ(IPSConvSpecialAPToByte(buf.data(), &special, buf.size()), 21);
    ASSERT_EQ(IPSConvByteToSpecialAP(&specialBack, buf.data(), 21), 21);
    EXPECT_TRUE(sameBytes(special, specialBack));
}

// The program's byte budgets: whole tables fit their variables.
TEST(RecordConverters, TablesFitTheirVariables) {
    EXPECT_EQ(5 * ipslan::kUserBytes, 235u);
    EXPECT_EQ(10 * ipslan::kStationBytes, 220u);
    EXPECT_EQ(10 * ipslan::kRouteBytes, 240u);
    EXPECT_EQ(10 * ipslan::kLocalServerBytes, 210u);
    EXPECT_EQ(10 * ipslan::kSpecialApBytes, 210u);
    EXPECT_LE(17 * ipslan::kLeaseBytes, 1500u);
}

// A group's byte form equals the record's memory image, since the program
// keeps records themselves in the read image and converts them again later.
TEST(RecordConverters, GroupByteFormIsTheRecordImage) {
    const S_GPCFG group{0x12345678u, 0x0000beefu, 1, {0xaa, 0xbb, 0xcc}};
    std::array<std::uint8_t, 12> buf{};
    ASSERT_EQ(IPSConvGroupToByte(buf.data(), &group, buf.size()), 12);
    EXPECT_EQ(std::memcmp(buf.data(), &group, 12), 0);
}

// The simulator encodes what the program decodes: both must agree on the layout.
TEST(RecordConverters, LeaseByteFormIsTheDocumentedLayoutBothWays) {
    const Bytes bytes = {10,   0,    0, 9,    0x00, 0x0a, 0x95, 0x9d,
                         0x68, 0x16, 1, 0xff, 0xff, 0xff, 0xff};
    dhcp_tmp_s lease{};
    ASSERT_EQ(IPSConvByteToDHCPTable(&lease, bytes.data(), bytes.size()), 15);
    EXPECT_EQ(lease.address[0], 10);
    EXPECT_EQ(lease.address[3], 9);
    EXPECT_EQ(lease.hardware[2], 0x95);
    EXPECT_EQ(lease.dynamic, 1);
    EXPECT_EQ(lease.lease, -1);
    Bytes back(15, 0);
    ASSERT_EQ(IPSConvDHCPTableToByte(back.data(), &lease, back.size()), 15);
    EXPECT_EQ(back, bytes);
}

TEST(RecordConverters, ExposedComputerIsEnabledByteThenAddress) {
    const VI_PC pc{1, {192, 168, 1, 9}};
    std::array<std::uint8_t, 5> buf{};
    ASSERT_EQ(IPSConvExposedIPToByte(buf.data(), &pc, buf.size()), 5);
    EXPECT_EQ(buf, (std::array<std::uint8_t, 5>{1, 192, 168, 1, 9}));
}

// Hostile or truncated input: nothing read past the length, the record comes
// back zero (an end-of-table record) and the result is 0.
struct HostileCase {
    const char* name;
    std::function<int(const std::uint8_t*, std::size_t, bool&)> decode;
    std::size_t size;
    std::size_t textOffset; // a text field to fill without NUL
    std::size_t textWidth;
};

template <typename Record>
std::function<int(const std::uint8_t*, std::size_t, bool&)>
decoder(int (*fn)(Record*, const std::uint8_t*, std::size_t)) {
    return [fn](const std::uint8_t* bytes, std::size_t length, bool& zero) {
        Record r;
        std::memset(&r, 0x5a, sizeof r);
        const int used = fn(&r, bytes, length);
        Record empty{};
        zero = sameBytes(r, empty);
        return used;
    };
}

class HostileBytes : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileBytes, ShortInputIsRefusedWithZeroRecord) {
    const HostileCase& c = GetParam();
    // The bytes sit at the very end of a heap block so that a read past the
    // length would be seen by the address sanitizer.
    std::vector<std::uint8_t> bytes(c.size - 1, 'x');
    bool zero = false;
    EXPECT_EQ(c.decode(bytes.data(), bytes.size(), zero), 0);
    EXPECT_TRUE(zero);
    EXPECT_EQ(c.decode(nullptr, c.size, zero), 0);
    EXPECT_TRUE(zero);
}

TEST_P(HostileBytes, LongerInputConsumesOneRecord) {
    const HostileCase& c = GetParam();
    std::vector<std::uint8_t> bytes(1500, 0);
    bool zero = false;
    EXPECT_EQ(c.decode(bytes.data(), bytes.size(), zero), static_cast<int>(c.size));
}

INSTANTIATE_TEST_SUITE_P(
    Records, HostileBytes,
    testing::Values(HostileCase{"User", decoder(IPSConvByteToUser), 47, 0, 16},
                    HostileCase{"Station", decoder(IPSConvByteToStation), 22, 6, 10},
                    HostileCase{"Group", decoder(IPSConvByteToGroup), 12, 0, 0},
                    HostileCase{"Route", decoder(IPSConvByteToRoute), 24, 0, 10},
                    HostileCase{"Lease", decoder(IPSConvByteToDHCPTable), 15, 0, 0},
                    HostileCase{"LocalServer", decoder(IPSConvByteToLocalServer), 21, 6, 10},
                    HostileCase{"SpecialAp", decoder(IPSConvByteToSpecialAP), 21, 1, 10}),
    [](const testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

class UnterminatedText : public testing::TestWithParam<HostileCase> {};

TEST_P(UnterminatedText, IsRefused) {
    const HostileCase& c = GetParam();
    std::vector<std::uint8_t> bytes(c.size, 0);
    std::memset(bytes.data() + c.textOffset, 'a', c.textWidth);
    bool zero = false;
    EXPECT_EQ(c.decode(bytes.data(), bytes.size(), zero), 0);
    EXPECT_TRUE(zero);
}

INSTANTIATE_TEST_SUITE_P(
    Records, UnterminatedText,
    testing::Values(HostileCase{"User", decoder(IPSConvByteToUser), 47, 0, 16},
                    HostileCase{"UserPassword", decoder(IPSConvByteToUser), 47, 16, 8},
                    HostileCase{"UserCallback", decoder(IPSConvByteToUser), 47, 27, 20},
                    HostileCase{"Station", decoder(IPSConvByteToStation), 22, 6, 10},
                    HostileCase{"Route", decoder(IPSConvByteToRoute), 24, 0, 10},
                    HostileCase{"LocalServer", decoder(IPSConvByteToLocalServer), 21, 6, 10},
                    HostileCase{"SpecialAp", decoder(IPSConvByteToSpecialAP), 21, 1, 10}),
    [](const testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

TEST(RecordConverters, EncodersRefuseTooSmallCapacity) {
    std::array<std::uint8_t, 64> buf{};
    buf.fill(0xee);
    const UserInfo user = sampleUser();
    const S_ROUTE route = sampleRoute();
    const VI_PC pc{1, {1, 2, 3, 4}};
    EXPECT_EQ(IPSConvUserToByte(buf.data(), &user, 46), 0);
    EXPECT_EQ(IPSConvRouteToByte(buf.data(), &route, 23), 0);
    EXPECT_EQ(IPSConvExposedIPToByte(buf.data(), &pc, 4), 0);
    EXPECT_EQ(IPSConvRouteToByte(nullptr, &route, 64), 0);
    EXPECT_TRUE(std::all_of(buf.begin(), buf.end(), [](std::uint8_t b) { return b == 0xee; }));
}

// A record whose text fills its field without a NUL still encodes to a
// terminated text, cut by one character, so the router never receives an
// unterminated name.
TEST(RecordConverters, EncoderTerminatesOverlongText) {
    S_ROUTE route = sampleRoute();
    std::memset(route.name, 'r', sizeof route.name);
    std::array<std::uint8_t, 24> buf{};
    ASSERT_EQ(IPSConvRouteToByte(buf.data(), &route, buf.size()), 24);
    S_ROUTE back{};
    ASSERT_EQ(IPSConvByteToRoute(&back, buf.data(), buf.size()), 24);
    EXPECT_EQ(std::string(back.name), std::string(9, 'r'));
    EXPECT_EQ(back.gateway[3], 254);
}

// The program walks a variable by the returned sizes: ten routes back to back
// in 240 bytes, then a zero record ends the table.
TEST(RecordConverters, TableWalkByReturnedSizes) {
    std::array<std::uint8_t, 1500> value{};
    std::size_t pos = 0;
    for (int i = 0; i < 10; ++i) {
        S_ROUTE r = sampleRoute();
        r.metric = static_cast<std::uint8_t>(i);
        pos += static_cast<std::size_t>(
            IPSConvRouteToByte(value.data() + pos, &r, value.size() - pos));
    }
    EXPECT_EQ(pos, 240u);
    pos = 0;
    int count = 0;
    S_ROUTE r{};
    while (IPSConvByteToRoute(&r, value.data() + pos, value.size() - pos) > 0 &&
           r.gateway[3] != 0) {
        EXPECT_EQ(r.metric, count);
        ++count;
        pos += ipslan::kRouteBytes;
    }
    EXPECT_EQ(count, 10);
}

struct PortsCase {
    const char* name;
    int udpIn;
    int tcpIn;
    int udpOut;
    int tcpOut;
};

class PortCounts : public testing::TestWithParam<PortsCase> {};

// Counts from the router are held so that no list, image or value is read
// out of bounds, UDP first as the numbering is.
TEST_P(PortCounts, HeldWithinSixteen) {
    const PortsCase& c = GetParam();
    std::array<std::uint8_t, ipslan::kPortImageBytes> tcpImage{}, udpImage{};
    std::array<std::uint32_t, 16> values{};
    std::array<TCPUDP_PORT, 16> tcp{}, udp{};
    int tcpCount = c.tcpIn;
    int udpCount = c.udpIn;
    EXPECT_EQ(ConvByteToTCPUDP(tcp.data(), tcpCount, udp.data(), udpCount, tcpImage.data(),
                               udpImage.data(), values.data()),
              c.udpOut + c.tcpOut);
    EXPECT_EQ(udpCount, c.udpOut);
    EXPECT_EQ(tcpCount, c.tcpOut);

    // The encoder holds the same counts: no value beyond the sixteenth.
    std::array<std::uint32_t, 32> out{};
    EXPECT_EQ(ConvTCPUDPToByte(tcpImage.data(), udpImage.data(), out.data(), tcp.data(), c.tcpIn,
                               udp.data(), c.udpIn),
              c.udpOut + c.tcpOut);
    EXPECT_TRUE(std::all_of(out.begin() + 16, out.end(), [](std::uint32_t v) { return v == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Ports, PortCounts,
                         testing::Values(PortsCase{"Empty", 0, 0, 0, 0},
                                         PortsCase{"Mixed", 3, 4, 3, 4},
                                         PortsCase{"NegativeCounts", -1, -5, 0, 0},
                                         PortsCase{"UdpOverflow", 250, 3, 16, 0},
                                         PortsCase{"TogetherAboveSixteen", 10, 10, 10, 6}),
                         [](const testing::TestParamInfo<PortsCase>& info) {
                             return info.param.name;
                         });

TEST(PortConverters, UdpFirstNumberingAndHalves) {
    std::array<TCPUDP_PORT, 2> udp{};
    std::array<TCPUDP_PORT, 1> tcp{};
    std::memcpy(udp[0].name, "dnsx\0\x7f\x7f", 8); // junk after the NUL is not sent
    udp[0].port = 53;
    std::memcpy(udp[1].name, "sixsix", 6);
    udp[1].port = 65535;
    std::memcpy(tcp[0].name, "web", 4);
    tcp[0].port = 8080;

    std::array<std::uint8_t, ipslan::kPortImageBytes> tcpImage{}, udpImage{};
    std::array<std::uint32_t, 16> values{};
    ASSERT_EQ(ConvTCPUDPToByte(tcpImage.data(), udpImage.data(), values.data(), tcp.data(), 1,
                               udp.data(), 2),
              3);
    EXPECT_EQ(values[0], 53u << 16);
    EXPECT_EQ(values[1], 65535u << 16);
    EXPECT_EQ(values[2], 8080u);
    EXPECT_EQ(values[3], 0u);
    EXPECT_EQ(std::memcmp(udpImage.data(), "dnsx\0\0sixsix", 12), 0);
    EXPECT_EQ(std::memcmp(tcpImage.data(), "web\0\0\0", 6), 0);

    std::array<TCPUDP_PORT, 16> tcpBack{}, udpBack{};
    int tcpCount = 1;
    int udpCount = 2;
    ASSERT_EQ(ConvByteToTCPUDP(tcpBack.data(), tcpCount, udpBack.data(), udpCount, tcpImage.data(),
                               udpImage.data(), values.data()),
              3);
    EXPECT_STREQ(udpBack[0].name, "dnsx");
    EXPECT_EQ(udpBack[0].port, 53);
    EXPECT_STREQ(udpBack[1].name, "sixsix");
    EXPECT_EQ(udpBack[1].port, 65535);
    EXPECT_STREQ(tcpBack[0].name, "web");
    EXPECT_EQ(tcpBack[0].port, 8080);
}

} // namespace
