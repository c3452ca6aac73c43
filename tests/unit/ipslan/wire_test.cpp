#include <ipslan/wire.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace ipslan::wire;
using Bytes = std::vector<std::uint8_t>;

TEST(VariableOids, MapBothWays) {
    const auto oid = variableOid(0x4001, 1);
    ASSERT_TRUE(oid);
    EXPECT_EQ(oidToText(*oid), "1.3.6.1.4.1.32473.1.1.16385.0");
    const unsigned long asNetSnmp[] = {1, 3, 6, 1, 4, 1, 32473, 1, 1, 16385, 0};
    EXPECT_EQ(variableFromOid(asNetSnmp, 11), (VariableRef{0x4001, 1}));
    EXPECT_EQ(variableFromOid(oid->data(), oid->size()), (VariableRef{0x4001, 1}));
}

TEST(VariableOids, RefuseOutOfRange) {
    EXPECT_FALSE(variableOid(-1, 0));
    EXPECT_FALSE(variableOid(0x10000, 0));
    EXPECT_FALSE(variableOid(1, 2));
    EXPECT_FALSE(variableOid(1, -1));
}

struct ForeignOid {
    const char* name;
    std::vector<std::uint32_t> oid;
};

class ForeignOids : public testing::TestWithParam<ForeignOid> {};

TEST_P(ForeignOids, AreNotVariables) {
    const auto& oid = GetParam().oid;
    EXPECT_FALSE(variableFromOid(oid.data(), oid.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Oids, ForeignOids,
    testing::Values(ForeignOid{"SystemDescription", {1, 3, 6, 1, 2, 1, 1, 1, 0}},
                    ForeignOid{"OtherEnterprise", {1, 3, 6, 1, 4, 1, 9, 1, 0, 1, 0}},
                    ForeignOid{"MissingInstance", {1, 3, 6, 1, 4, 1, 32473, 1, 0, 1}},
                    ForeignOid{"NonZeroInstance", {1, 3, 6, 1, 4, 1, 32473, 1, 0, 1, 1}},
                    ForeignOid{"ModeTwo", {1, 3, 6, 1, 4, 1, 32473, 1, 2, 1, 0}},
                    ForeignOid{"VariableTooBig", {1, 3, 6, 1, 4, 1, 32473, 1, 0, 65536, 0}},
                    ForeignOid{"Longer", {1, 3, 6, 1, 4, 1, 32473, 1, 0, 1, 0, 0}}),
    [](const testing::TestParamInfo<ForeignOid>& info) { return info.param.name; });

struct OidTextCase {
    const char* name;
    const char* text;
    bool valid;
};

class OidTexts : public testing::TestWithParam<OidTextCase> {};

TEST_P(OidTexts, ParseStrictly) {
    const auto& c = GetParam();
    const auto parsed = oidFromText(c.text);
    EXPECT_EQ(parsed.has_value(), c.valid);
    if (parsed) {
        std::string text = c.text;
        if (text.front() == '.') {
            text.erase(0, 1);
        }
        EXPECT_EQ(oidToText(*parsed), text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Oids, OidTexts,
    testing::Values(OidTextCase{"Plain", "1.3.6.1.4.1.32473.1.0.260.0", true},
                    OidTextCase{"LeadingDot", ".1.3.6", true},
                    OidTextCase{"LargestPart", "1.4294967295", true},
                    OidTextCase{"Empty", "", false}, OidTextCase{"OnlyDot", ".", false},
                    OidTextCase{"EmptyPart", "1..3", false},
                    OidTextCase{"TrailingDot", "1.3.", false}, OidTextCase{"Sign", "1.-3", false},
                    OidTextCase{"Letters", "1.3a", false},
                    OidTextCase{"PartTooBig", "1.4294967296", false}),
    [](const testing::TestParamInfo<OidTextCase>& info) { return info.param.name; });

BrowseReply sampleReply() {
    BrowseReply r;
    r.requestId = 0xdeadbeef;
    r.name = std::string(19, 'n');
    r.password = "secret";
    r.family = 1;
    r.ip = 0x7f000005;
    r.netmask = 0xffffff00;
    r.hardware = {0x00, 0x0a, 0x95, 0x9d, 0x68, 0x16};
    r.snmpPort = 16161;
    r.firmware = "6.12";
    return r;
}

TEST(DiscoveryMessages, RoundTrip) {
    const BrowseRequest request{42};
    EXPECT_EQ(encode(request).size(), kBrowseRequestSize);
    EXPECT_EQ(decodeBrowseRequest(encode(request)), request);

    const BrowseReply reply = sampleReply();
    EXPECT_EQ(encode(reply).size(), kBrowseReplySize);
    EXPECT_EQ(decodeBrowseReply(encode(reply)), reply);

    const SetIpRequest setIp{7, {1, 2, 3, 4, 5, 6}, 0x7f000009, 0xff000000, 1};
    EXPECT_EQ(encode(setIp).size(), kSetIpRequestSize);
    EXPECT_EQ(decodeSetIpRequest(encode(setIp)), setIp);

    const SetIpAck ack{7, {1, 2, 3, 4, 5, 6}, 0, 0x7f000009};
    EXPECT_EQ(encode(ack).size(), kSetIpAckSize);
    EXPECT_EQ(decodeSetIpAck(encode(ack)), ack);
}

TEST(DiscoveryMessages, HeaderIsNetworkOrder) {
    const Bytes bytes = encode(BrowseRequest{0x01020304});
    EXPECT_EQ(bytes, (Bytes{'T', 'V', 'D', 'P', 1, 1, 0, 0, 1, 2, 3, 4}));
}

TEST(DiscoveryMessages, EncoderRefusesTextsThatDoNotFit) {
    BrowseReply r = sampleReply();
    r.name = std::string(20, 'n');
    EXPECT_TRUE(encode(r).empty());
    r = sampleReply();
    r.password = std::string(13, 'p');
    EXPECT_TRUE(encode(r).empty());
    r = sampleReply();
    r.firmware = std::string("1\0"
                             "2",
                             3);
    EXPECT_TRUE(encode(r).empty());
}

struct Malformed {
    const char* name;
    std::function<void(Bytes&)> damage;
};

class MalformedReply : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedReply, IsRejected) {
    Bytes bytes = encode(sampleReply());
    GetParam().damage(bytes);
    EXPECT_FALSE(decodeBrowseReply(bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Discovery, MalformedReply,
    testing::Values(Malformed{"WrongMagic",
                              [](Bytes& b) {
                                  b[0] = 'X';
                              }},
                    Malformed{"WrongVersion",
                              [](Bytes& b) {
                                  b[4] = 2;
                              }},
                    Malformed{"WrongKind",
                              [](Bytes& b) {
                                  b[5] = 1;
                              }},
                    Malformed{"UnknownKind",
                              [](Bytes& b) {
                                  b[5] = 9;
                              }},
                    Malformed{"ReservedHeaderBytes",
                              [](Bytes& b) {
                                  b[7] = 1;
                              }},
                    Malformed{"Truncated",
                              [](Bytes& b) {
                                  b.pop_back();
                              }},
                    Malformed{"Overlong",
                              [](Bytes& b) {
                                  b.push_back(0);
                              }},
                    Malformed{"HeaderOnly",
                              [](Bytes& b) {
                                  b.resize(kHeaderSize);
                              }},
                    Malformed{"Empty",
                              [](Bytes& b) {
                                  b.clear();
                              }},
                    Malformed{"UnterminatedName",
                              [](Bytes& b) {
                                  b[12 + 19] = 'n';
                              }},
                    Malformed{"UnterminatedPassword",
                              [](Bytes& b) {
                                  std::fill(b.begin() + 32, b.begin() + 45, 'p');
                              }},
                    Malformed{"UnterminatedFirmware",
                              [](Bytes& b) {
                                  std::fill(b.begin() + 62, b.begin() + 78, 'f');
                              }},
                    Malformed{"JunkAfterNul",
                              [](Bytes& b) {
                                  b[32 + 10] = 'x';
                              }},
                    Malformed{"ReservedTail",
                              [](Bytes& b) {
                                  b.back() = 1;
                              }}),
    [](const testing::TestParamInfo<Malformed>& info) { return info.param.name; });

TEST(DiscoveryMessages, DecodersCheckTheirOwnKind) {
    const Bytes request = encode(BrowseRequest{1});
    EXPECT_FALSE(decodeSetIpRequest(request));
    EXPECT_FALSE(decodeBrowseReply(request));
    EXPECT_EQ(peekKind(request), MessageKind::BrowseRequest);
    Bytes ack = encode(SetIpAck{1, {}, 0, 1});
    EXPECT_FALSE(decodeSetIpRequest(ack));
    ack.push_back(0);
    EXPECT_FALSE(decodeSetIpAck(ack));
}

struct AddressCase {
    const char* name;
    const char* text;
    std::optional<Ipv4> value;
};

class Ipv4Texts : public testing::TestWithParam<AddressCase> {};

TEST_P(Ipv4Texts, ParseStrictly) {
    EXPECT_EQ(parseIpv4(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Addresses, Ipv4Texts,
                         testing::Values(AddressCase{"Loopback", "127.0.0.1", 0x7f000001},
                                         AddressCase{"Broadcast", "255.255.255.255", 0xffffffff},
                                         AddressCase{"LeadingZeros", "010.0.0.1", 0x0a000001},
                                         AddressCase{"OctetTooBig", "256.0.0.1", std::nullopt},
                                         AddressCase{"ThreeParts", "10.0.0", std::nullopt},
                                         AddressCase{"FiveParts", "10.0.0.1.2", std::nullopt},
                                         AddressCase{"TrailingBlank", "10.0.0.1 ", std::nullopt},
                                         AddressCase{"EmptyPart", "10..0.1", std::nullopt},
                                         AddressCase{"FourDigits", "1000.0.0.1", std::nullopt},
                                         AddressCase{"Empty", "", std::nullopt}),
                         [](const testing::TestParamInfo<AddressCase>& info) {
                             return info.param.name;
                         });

TEST(Ipv4Texts, FormatIsDottedDecimal) {
    EXPECT_EQ(formatIpv4(0xc0a80122), "192.168.1.34");
}

} // namespace
