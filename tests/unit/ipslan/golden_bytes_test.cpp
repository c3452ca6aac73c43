// The converters and the datagram codec against bytes written by hand
// (support/golden_bytes.h): each decodes them into the fields they stand for
// and encodes those fields into exactly them.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/records.h>
#include <ipslan/wire.h>

#include "support/golden_bytes.h"

namespace {

using golden::Bytes;
namespace wire = ipslan::wire;

struct RecordRow {
    std::string name;
    Bytes bytes;
    // Decodes `bytes` and compares with the record the row stands for.
    std::function<::testing::AssertionResult(const Bytes&)> decodes;
    // Encodes that record.
    std::function<Bytes()> encode;
};

template <typename Record>
RecordRow row(std::string name, const Bytes& bytes, Record expected,
              int (*toRecord)(Record*, const std::uint8_t*, std::size_t),
              int (*toBytes)(std::uint8_t*, const Record*, std::size_t)) {
    RecordRow r{std::move(name), bytes, nullptr, nullptr};
    r.decodes = [=](const Bytes& in) -> ::testing::AssertionResult {
        Record got;
        std::memset(&got, 0xee, sizeof got);
        const int used = toRecord(&got, in.data(), in.size());
        if (used != static_cast<int>(in.size()))
            return ::testing::AssertionFailure() << "consumed " << used;
        if (std::memcmp(&got, &expected, sizeof got) != 0)
            return ::testing::AssertionFailure() << "fields differ";
        return ::testing::AssertionSuccess();
    };
    r.encode = [=]() {
        Bytes out(bytes.size() + 8, 0xee);
        const int written = toBytes(out.data(), &expected, out.size());
        out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
        return out;
    };
    return r;
}

UserInfo user() {
    UserInfo u{};
    std::strcpy(u.name, "alice");
    std::strcpy(u.password, "pw1");
    u.flags = 0x1a;
    u.timeLimit = 258;
    std::strcpy(u.callback, "5551234");
    return u;
}

WkInfo station() {
    return WkInfo{{0x00, 0x0a, 0x95, 0x9d, 0x68, 0x16}, "printer", {192, 168, 1, 40}, 1, 3};
}

dhcp_tmp_s lease() {
    dhcp_tmp_s d{};
    std::memcpy(d.address, "\xc0\xa8\x01\x64", 4);
    std::memcpy(d.hardware, "\x02\x00\x00\xaa\xbb\xcc", 6);
    d.dynamic = 1;
    d.lease = 3600;
    return d;
}

LOCAL_S server() {
    LOCAL_S s{};
    s.enabled = 1;
    std::memcpy(s.address, "\xc0\xa8\x01\x05", 4);
    s.spare = 7;
    std::strcpy(s.name, "web");
    s.protocol = 1;
    s.externalPort = 8080;
    s.internalPort = 80;
    return s;
}

SP_AP special() {
    SP_AP a{};
    a.enabled = 1;
    std::strcpy(a.name, "game");
    a.outProtocol = 1;
    a.outStart = 1000;
    a.outEnd = 1010;
    a.inProtocol = 0;
    a.inStart = 2000;
    a.inEnd = 2100;
    return a;
}

class GoldenRecords : public ::testing::TestWithParam<RecordRow> {};

TEST_P(GoldenRecords, DecodeAndEncodeTheHandWrittenBytes) {
    const RecordRow& r = GetParam();
    EXPECT_TRUE(r.decodes(r.bytes));
    EXPECT_EQ(r.encode(), r.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GoldenRecords,
    ::testing::Values(
        row("User", golden::kUser, user(), IPSConvByteToUser, IPSConvUserToByte),
        row("Station", golden::kStation, station(), IPSConvByteToStation, IPSConvStationToByte),
        row("Group", golden::kGroup, S_GPCFG{0x80000801u, 0x00020004u, 2, {9, 8, 7}},
            IPSConvByteToGroup, IPSConvGroupToByte),
        row("Route", golden::kRoute,
            S_ROUTE{"branch", {10, 1, 0, 0}, {255, 255, 0, 0}, {192, 168, 1, 254}, 15, 1},
            IPSConvByteToRoute, IPSConvRouteToByte),
        row("Lease", golden::kLease, lease(), IPSConvByteToDHCPTable, IPSConvDHCPTableToByte),
        row("Server", golden::kServer, server(), IPSConvByteToLocalServer,
            IPSConvLocalServerToByte),
        row("Special", golden::kSpecial, special(), IPSConvByteToSpecialAP,
            IPSConvSpecialAPToByte)),
    [](const auto& info) { return info.param.name; });

TEST(GoldenRecords, ExposedComputer) {
    const VI_PC exposed{1, {192, 168, 1, 9}};
    Bytes out(8, 0xee);
    ASSERT_EQ(IPSConvExposedIPToByte(out.data(), &exposed, out.size()), 5);
    out.resize(5);
    EXPECT_EQ(out, golden::kExposed);
}

TEST(GoldenRecords, FilterPortsBothWays) {
    TCPUDP_PORT tcp[16]{};
    TCPUDP_PORT udp[16]{};
    std::strcpy(udp[0].name, "dns");
    udp[0].port = 53;
    std::strcpy(tcp[0].name, "web");
    tcp[0].port = 80;
    std::memcpy(tcp[1].name, "sshd22", 6);
    tcp[1].port = 22;

    Bytes tcpImage(ipslan::kPortImageBytes, 0);
    Bytes udpImage(ipslan::kPortImageBytes, 0);
    std::uint32_t values[16]{};
    ASSERT_EQ(ConvTCPUDPToByte(tcpImage.data(), udpImage.data(), values, tcp, 2, udp, 1), 3);
    EXPECT_EQ(Bytes(tcpImage.begin(), tcpImage.begin() + 12), golden::kTcpPortImage);
    EXPECT_EQ(Bytes(udpImage.begin(), udpImage.begin() + 6), golden::kUdpPortImage);
    EXPECT_EQ(std::vector<std::uint32_t>(values, values + 4),
              (std::vector<std::uint32_t>{golden::kPortValues[0], golden::kPortValues[1],
                                          golden::kPortValues[2], 0}));

    TCPUDP_PORT tcpBack[16]{};
    TCPUDP_PORT udpBack[16]{};
    int tcpCount = 2;
    int udpCount = 1;
    std::copy(golden::kPortValues, golden::kPortValues + 3, values);
    ASSERT_EQ(ConvByteToTCPUDP(tcpBack, tcpCount, udpBack, udpCount, tcpImage.data(),
                               udpImage.data(), values),
              3);
    EXPECT_STREQ(udpBack[0].name, "dns");
    EXPECT_EQ(udpBack[0].port, 53);
    EXPECT_STREQ(tcpBack[0].name, "web");
    EXPECT_EQ(tcpBack[0].port, 80);
    EXPECT_EQ(std::string(tcpBack[1].name), "sshd22");
    EXPECT_EQ(tcpBack[1].port, 22);
}

// ---- Datagrams -----------------------------------------------------------

wire::BrowseReply browseReply() {
    wire::BrowseReply r;
    r.requestId = 0x01020304;
    r.name = "Branch Office";
    r.password = "secret";
    r.family = 2;
    r.ip = 0x7f420102;
    r.netmask = 0xffffff00;
    r.hardware = {0x02, 0x00, 0x7f, 0x42, 0x01, 0x02};
    r.snmpPort = 161;
    r.firmware = "6.5 (240918-07)";
    return r;
}

const wire::SetIpRequest kSetIp{
    0x0a0b0c0d, {0x02, 0x00, 0x7f, 0x42, 0x01, 0x02}, 0x7f42014d, 0xffff0000, 1};
const wire::SetIpAck kAck{0x0a0b0c0d, {0x02, 0x00, 0x7f, 0x42, 0x01, 0x02}, 0, 0x7f42014d};

TEST(GoldenDatagrams, DecodeAndEncodeTheHandWrittenBytes) {
    EXPECT_EQ(wire::encode(wire::BrowseRequest{0x01020304}), golden::kBrowseRequest);
    EXPECT_EQ(wire::decodeBrowseRequest(golden::kBrowseRequest), wire::BrowseRequest{0x01020304});

    EXPECT_EQ(wire::encode(browseReply()), golden::kBrowseReply);
    EXPECT_EQ(wire::decodeBrowseReply(golden::kBrowseReply), browseReply());

    EXPECT_EQ(wire::encode(kSetIp), golden::kSetIpRequest);
    EXPECT_EQ(wire::decodeSetIpRequest(golden::kSetIpRequest), kSetIp);

    EXPECT_EQ(wire::encode(kAck), golden::kSetIpAck);
    EXPECT_EQ(wire::decodeSetIpAck(golden::kSetIpAck), kAck);
}

} // namespace
