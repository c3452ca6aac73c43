#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/config.h>
#include <ipslan/detail/snmp_client.h>
#include <ipslan/diagnostics.h>
#include <ipslan/ipslan.h>
#include <ipslan/send_rule.h>
#include <ipslan/variables.h>
#include <ipslan/wire.h>

#include "fake_peers.h"
#include "support/waits.h"

namespace {

using ipslan_test::SnmpResponder;

struct Value {
    u_char type = ASN_OCTET_STR;
    std::vector<std::uint8_t> bytes; // integers: 4 bytes, host order
    long integer = 0;
    friend bool operator==(const Value&, const Value&) = default;
};

Value integer(long v) {
    return Value{ASN_INTEGER, {}, v};
}
Value counter(long v) {
    return Value{ASN_COUNTER, {}, v};
}
Value octets(std::vector<std::uint8_t> bytes) {
    return Value{ASN_OCTET_STR, std::move(bytes), 0};
}
Value text(const std::string& s) {
    return octets({s.begin(), s.end()});
}

// A router's variables as a fake: GET answers from the map (noSuchName for
// unknown ones), SET stores what arrived, as it arrived.
class FakeRouter {
public:
    FakeRouter()
        : responder_(std::make_unique<SnmpResponder>(
              [this](const netsnmp_pdu& request, netsnmp_pdu& response) {
                  return answer(request, response);
              })) {}

    std::map<ipslan::wire::VariableRef, Value> values;
    // Shapes the next responses: drop them, or mangle them after filling.
    bool silent = false;
    std::function<void(netsnmp_pdu&)> mangle;
    // Takes over sending a filled response: true lets it go out as it is.
    // Set through setRoute(): a retry that arrives late is answered on the
    // responder's thread while the test may already be changing the route.
    using Route = std::function<bool(netsnmp_pdu& response, SnmpResponder& out)>;
    void setRoute(Route next) {
        const std::lock_guard hold(routeMutex_);
        route_ = std::move(next);
    }

    std::uint16_t port() const { return responder_->port(); }
    int requests() const { return responder_->requests(); }
    bool ok() const { return responder_->ok(); }

private:
    bool answer(const netsnmp_pdu& request, netsnmp_pdu& response) {
        if (silent) {
            return false;
        }
        int index = 1;
        for (auto* var = response.variables; var != nullptr; var = var->next_variable, ++index) {
            const auto ref = ipslan::wire::variableFromOid(var->name, var->name_length);
            if (!ref) {
                response.errstat = SNMP_ERR_NOSUCHNAME;
                response.errindex = index;
                break;
            }
            if (request.command == SNMP_MSG_SET) {
                Value v{var->type, {}, 0};
                if (var->type == ASN_INTEGER) {
                    v.integer = *var->val.integer;
                } else {
                    v.bytes.assign(var->val.string, var->val.string + var->val_len);
                }
                values[*ref] = v;
                continue;
            }
            const auto found = values.find(*ref);
            if (found == values.end()) {
                response.errstat = SNMP_ERR_NOSUCHNAME;
                response.errindex = index;
                break;
            }
            const Value& v = found->second;
            if (v.type == ASN_OCTET_STR) {
                snmp_set_var_typed_value(var, v.type, v.bytes.data(), v.bytes.size());
            } else {
                snmp_set_var_typed_value(var, v.type, &v.integer, sizeof v.integer);
            }
        }
        if (mangle) {
            mangle(response);
        }
        const std::lock_guard hold(routeMutex_);
        return route_ ? route_(response, *responder_) : true;
    }

    std::mutex routeMutex_;
    Route route_;

    std::unique_ptr<SnmpResponder> responder_;
};

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

_snmp_packet textEntry(std::uint8_t type, const std::string& value, std::uint16_t length) {
    _snmp_packet e{};
    e.type = type;
    e.length[0] = static_cast<std::uint8_t>(length);
    e.length[1] = static_cast<std::uint8_t>(length >> 8);
    std::memcpy(e.value, value.data(), value.size());
    return e;
}

// Requests wait long for answers that come; tests that need a request to
// time out set a short timeout of their own.
using tolvaro::test::kAnswerTimeoutMs;
constexpr int kSilentTimeoutMs = 50;

class SnmpClient : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(router.ok());
        ipslan::setTimeouts(kAnswerTimeoutMs, 0);
        ASSERT_EQ(PSSetCommunity("public"), 1);
        ASSERT_EQ(PSSetSnmpPort(router.port()), 1);
    }

    FakeRouter router;
};

TEST_F(SnmpClient, ReadsIntegersCountersAndStringsIntoEntries) {
    router.values[{0x4017, 0}] = integer(-2);
    router.values[{0x0002, 0}] = counter(0xfffffffe);
    router.values[{0x0104, 0}] = text("6.12");
    const int vars[] = {0x4017, 0x0002, 0x0104};
    std::vector<MIB_RESPONSE> result(3);
    std::memset(result.data(), 0xcc, result.size() * sizeof(MIB_RESPONSE));

    ASSERT_EQ(IPSGetInfo("127.0.0.1", 0, 3, vars, result.data()), 1);

    EXPECT_EQ(result[0].type, kTypeInteger);
    EXPECT_EQ(le16(result[0].length), 4);
    EXPECT_EQ(le32(result[0].value), 0xfffffffeu); // -2
    EXPECT_EQ(result[1].type, kTypeCounter);
    EXPECT_EQ(le32(result[1].value), 0xfffffffeu);
    EXPECT_EQ(result[2].type, kTypeOctetString);
    EXPECT_EQ(le16(result[2].length), 4);
    // Texts are read as NUL-terminated: the rest of the value is zero.
    EXPECT_STREQ(reinterpret_cast<const char*>(result[2].value), "6.12");
}

TEST_F(SnmpClient, TwentyNineFullValuesInOneRequest) {
    std::vector<int> vars;
    for (int i = 0; i < 29; ++i) {
        vars.push_back(0x7001 + i); // unknown to the table: the entry type decides
        router.values[{0x7001 + i, 0}] = octets(std::vector<std::uint8_t>(1500, std::uint8_t(i)));
    }
    std::vector<MIB_RESPONSE> result(29);
    ASSERT_EQ(IPSGetInfo("127.0.0.1", 0, 29, vars.data(), result.data()), 1);
    EXPECT_EQ(le16(result[28].length), 1500);
    EXPECT_EQ(result[28].value[1499], 28);

    std::vector<_snmp_packet> entries(29);
    for (int i = 0; i < 29; ++i) {
        entries[i] = textEntry(kTypeOctetString, std::string(1500, char('a' + i % 26)), 1500);
    }
    ASSERT_EQ(IPSSetInfo("127.0.0.1", 0, 29, vars.data(), entries.data()), 1);
    EXPECT_EQ(router.values[(ipslan::wire::VariableRef{0x7001 + 28, 0})].bytes.size(), 1500u);
}

// Failed reads leave the caller's area as it was.
struct BadResponse {
    const char* name;
    std::function<void(netsnmp_pdu&)> mangle;
    // What lastRequestFailure() then tells a front end.
    ipslan::RequestFailure::Kind kind;
    int variable = 0;
    int errorStatus = 0;
};

class SnmpBadResponses : public SnmpClient, public testing::WithParamInterface<BadResponse> {};

TEST_P(SnmpBadResponses, FailTheRead) {
    router.values[{0x0100, 0}] = text("abc");
    router.values[{0x0103, 0}] = text("def");
    router.mangle = GetParam().mangle;
    const int vars[] = {0x0100, 0x0103};
    std::vector<MIB_RESPONSE> result(2);
    std::memset(result.data(), 0xcc, result.size() * sizeof(MIB_RESPONSE));
    EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, 2, vars, result.data()), 0);
    EXPECT_EQ(result[0].type, 0xcc);
    EXPECT_EQ(result[1].value[0], 0xcc);
    const ipslan::RequestFailure failure = ipslan::lastRequestFailure();
    EXPECT_EQ(failure.kind, GetParam().kind);
    EXPECT_EQ(failure.variable, GetParam().variable);
    EXPECT_EQ(failure.errorStatus, GetParam().errorStatus);
    EXPECT_EQ(failure.peer, "udp:127.0.0.1:" + std::to_string(router.port()));
}

INSTANTIATE_TEST_SUITE_P(
    Responses, SnmpBadResponses,
    testing::Values(BadResponse{"ErrorStatus",
                                [](netsnmp_pdu& r) {
                                    r.errstat = SNMP_ERR_GENERR;
                                    r.errindex = 2;
                                },
                                ipslan::RequestFailure::ErrorStatus, 0x0103, 5},
                    BadResponse{"MissingVarbind",
                                [](netsnmp_pdu& r) {
                                    snmp_free_varbind(r.variables->next_variable);
                                    r.variables->next_variable = nullptr;
                                },
                                ipslan::RequestFailure::WrongVariables},
                    BadResponse{"SwappedOids",
                                [](netsnmp_pdu& r) {
                                    auto* second = r.variables->next_variable;
                                    std::swap(r.variables->name_loc, second->name_loc);
                                },
                                ipslan::RequestFailure::WrongVariables},
                    BadResponse{"ValueTooLong",
                                [](netsnmp_pdu& r) {
                                    const std::vector<std::uint8_t> big(1501, 'x');
                                    snmp_set_var_typed_value(r.variables, ASN_OCTET_STR, big.data(),
                                                             big.size());
                                },
                                ipslan::RequestFailure::BadValue, 0x0100},
                    BadResponse{"NullValue",
                                [](netsnmp_pdu& r) {
                                    snmp_set_var_typed_value(r.variables, ASN_NULL, nullptr, 0);
                                },
                                ipslan::RequestFailure::BadValue, 0x0100}),
    [](const testing::TestParamInfo<BadResponse>& info) { return info.param.name; });

// A device that is not a router answers noSuchName for our variables; the
// failure names the variable, and a later success clears it.
TEST_F(SnmpClient, TheLastFailureNamesTheVariableTheDeviceDoesNotKnow) {
    const int vars[] = {0x0104};
    MIB_RESPONSE result{};
    EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, 1, vars, &result), 0);
    EXPECT_EQ(ipslan::lastRequestFailure().kind, ipslan::RequestFailure::ErrorStatus);
    EXPECT_EQ(ipslan::lastRequestFailure().errorStatus, ipslan::RequestFailure::kNoSuchName);
    EXPECT_EQ(ipslan::lastRequestFailure().variable, 0x0104);
    EXPECT_EQ(ipslan::errorStatusName(2), "noSuchName");
    router.values[{0x0104, 0}] = text("6.12");
    ASSERT_EQ(IPSGetInfo("127.0.0.1", 0, 1, vars, &result), 1);
    EXPECT_EQ(ipslan::lastRequestFailure().kind, ipslan::RequestFailure::None);
}

TEST_F(SnmpClient, SilentRouterTimesOutWithinTheConfiguredTime) {
    router.silent = true;
    const int vars[] = {0x0104};
    MIB_RESPONSE result{};
    // A changed retry count takes effect on the next request, though the
    // peer is the same one.
    for (const int retries : {1, 3}) {
        ipslan::setTimeouts(kSilentTimeoutMs, retries);
        const int before = router.requests();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, 1, vars, &result), 0);
        EXPECT_EQ(router.requests() - before, 1 + retries); // one attempt and the retries
        EXPECT_EQ(ipslan::lastRequestFailure().kind, ipslan::RequestFailure::NoResponse);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }
}

TEST_F(SnmpClient, TheLargestRequestGoesOutAndOneMoreIsRefused) {
    const int most = ipslan::detail::kMaxRequestVariables;
    std::vector<int> vars;
    for (int i = 0; i <= most; ++i) {
        vars.push_back(0x7001 + i);
        router.values[{0x7001 + i, 0}] = integer(i);
    }
    std::vector<MIB_RESPONSE> result(vars.size());
    ASSERT_EQ(IPSGetInfo("127.0.0.1", 0, most, vars.data(), result.data()), 1);
    EXPECT_EQ(le32(result[most - 1].value), static_cast<std::uint32_t>(most - 1));
    const int before = router.requests();
    EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, most + 1, vars.data(), result.data()), 0);
    EXPECT_EQ(router.requests(), before);
}

TEST_F(SnmpClient, WrongCommunityFails) {
    router.values[{0x0104, 0}] = text("6.12");
    ipslan::setTimeouts(kSilentTimeoutMs, 0); // the router ignores a wrong community
    ASSERT_EQ(PSSetCommunity("not-the-password"), 1);
    const int vars[] = {0x0104};
    MIB_RESPONSE result{};
    EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, 1, vars, &result), 0);
}

TEST_F(SnmpClient, ModeSelectsTheSubtree) {
    router.values[{0x4017, 1}] = integer(0x82);
    const int vars[] = {0x4017};
    MIB_RESPONSE result{};
    EXPECT_EQ(IPSGetInfo("127.0.0.1", 0, 1, vars, &result), 0);
    ASSERT_EQ(IPSGetInfo("127.0.0.1", 1, 1, vars, &result), 1);
    EXPECT_EQ(le32(result.value), 0x82u);
}

// Integer variables go out as INTEGER parsed from the entry's text, whatever
// its length word or type byte says; others as OCTET STRING of the length.
TEST_F(SnmpClient, WritesIntegersFromTextAndStringsByLength) {
    ASSERT_EQ(ipslan::variableKind(0x0001, 0), ipslan::VarKind::Integer);
    ASSERT_EQ(ipslan::variableKind(0x4001, 0), ipslan::VarKind::Text);
    const int vars[] = {0x0001, 0x4001, 0x371e};
    std::vector<_snmp_packet> entries = {
        textEntry(kTypeInteger, "1", 1),
        textEntry(kTypeOctetString, "10.0.0.1 and junk", 8),
        textEntry(0, std::string("\x01\x0a\x00\x00\x05", 5), 5),
    };
    ASSERT_EQ(IPSSetInfo("127.0.0.1", 0, 3, vars, entries.data()), 1);
    EXPECT_EQ(router.values[(ipslan::wire::VariableRef{0x0001, 0})], integer(1));
    EXPECT_EQ(router.values[(ipslan::wire::VariableRef{0x4001, 0})], text("10.0.0.1"));
    const auto exposed = router.values[(ipslan::wire::VariableRef{0x371e, 0})];
    EXPECT_EQ(exposed.type, ASN_OCTET_STR);
    EXPECT_EQ(exposed.bytes.size(), 5u);
}

// The program sends never-edited group data as zeroed entries; for variables
// the router keeps on empty writes they go out as empty strings, not as a
// refused integer.
TEST_F(SnmpClient, UntouchedEntriesOfKeptVariablesGoOutEmpty) {
    ASSERT_TRUE(ipslan::findVariable(0x3701, 0)->keepOnEmpty);
    const int vars[] = {0x3701, 0x3401};
    const std::vector<_snmp_packet> entries(2);
    ASSERT_EQ(IPSSetInfo("127.0.0.1", 0, 2, vars, entries.data()), 1);
    EXPECT_EQ(router.values[(ipslan::wire::VariableRef{0x3701, 0})], octets({}));
}

TEST_F(SnmpClient, RefusedWritesSendNothing) {
    const int integerVar[] = {0x0001};
    const int textVar[] = {0x4001};
    const _snmp_packet notANumber = textEntry(kTypeInteger, "1x", 2);
    const _snmp_packet empty = textEntry(kTypeInteger, "", 0);
    const _snmp_packet tooLong = textEntry(kTypeOctetString, "abc", 1501);
    EXPECT_EQ(IPSSetInfo("127.0.0.1", 0, 1, integerVar, &notANumber), 0);
    EXPECT_EQ(IPSSetInfo("127.0.0.1", 0, 1, integerVar, &empty), 0);
    EXPECT_EQ(IPSSetInfo("127.0.0.1", 0, 1, textVar, &tooLong), 0);
    EXPECT_EQ(router.requests(), 0);
}

// The library's own rule of what it sends, asked without sending: the load
// and its dry run rely on it matching IPSSetInfo exactly.
struct SendRow {
    const char* name;
    int variable;
    int mode;
    _snmp_packet entry;
    ipslan::SendCheck check;
};

class SendRule : public SnmpClient, public testing::WithParamInterface<SendRow> {};

TEST_P(SendRule, MatchesWhatIPSSetInfoSends) {
    const SendRow& row = GetParam();
    EXPECT_EQ(ipslan::checkSend(row.variable, row.mode, row.entry), row.check);
    EXPECT_EQ(IPSSetInfo("127.0.0.1", row.mode, 1, &row.variable, &row.entry),
              row.check == ipslan::SendCheck::Sendable ? 1 : 0);
    EXPECT_EQ(router.requests(), row.check == ipslan::SendCheck::Sendable ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SendRule,
    testing::Values(
        // The account name (0x4002) takes 61 bytes.
        SendRow{"TextAtItsLimit", 0x4002, 0, textEntry(kTypeOctetString, std::string(61, 'a'), 61),
                ipslan::SendCheck::Sendable},
        SendRow{"TextOneByteLonger", 0x4002, 0,
                textEntry(kTypeOctetString, std::string(62, 'a'), 62), ipslan::SendCheck::TooLong},
        SendRow{"IntegerWithAnyLengthWord", 0x0001, 0, textEntry(0, "12", 1),
                ipslan::SendCheck::Sendable},
        SendRow{"IntegerThatIsNoNumber", 0x0001, 0, textEntry(kTypeInteger, "1x", 2),
                ipslan::SendCheck::NotANumber},
        SendRow{"UntouchedKeptTable", 0x3701, 0, _snmp_packet{}, ipslan::SendCheck::Sendable},
        SendRow{"UnknownVariableFullEntry", 0x7777, 0,
                textEntry(kTypeOctetString, std::string(1500, 'x'), 1500),
                ipslan::SendCheck::Sendable},
        SendRow{"UnknownVariableBeyondAnEntry", 0x7777, 0, textEntry(kTypeOctetString, "x", 1501),
                ipslan::SendCheck::TooLong}),
    [](const auto& info) { return info.param.name; });

struct BadArguments {
    const char* name;
    const char* ip;
    int mode;
    int count;
    int variable;
};

class SnmpBadArguments : public SnmpClient, public testing::WithParamInterface<BadArguments> {};

TEST_P(SnmpBadArguments, AreRefusedWithoutTraffic) {
    const auto& c = GetParam();
    const int vars[] = {c.variable};
    MIB_RESPONSE result{};
    EXPECT_EQ(IPSGetInfo(c.ip, c.mode, c.count, vars, &result), 0);
    EXPECT_EQ(router.requests(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SnmpBadArguments,
    testing::Values(BadArguments{"NullIp", nullptr, 0, 1, 0x104},
                    BadArguments{"HostName", "localhost", 0, 1, 0x104},
                    BadArguments{"TransportSpecifier", "udp:127.0.0.1", 0, 1, 0x104},
                    BadArguments{"ZeroCount", "127.0.0.1", 0, 0, 0x104},
                    BadArguments{"NegativeCount", "127.0.0.1", 0, -1, 0x104},
                    BadArguments{"ModeTwo", "127.0.0.1", 2, 1, 0x104},
                    BadArguments{"VariableTooBig", "127.0.0.1", 0, 1, 0x10000}),
    [](const testing::TestParamInfo<BadArguments>& info) { return info.param.name; });

TEST(SnmpSettings, PortAndCommunityAreChecked) {
    EXPECT_EQ(PSSetSnmpPort(0), 0);
    EXPECT_EQ(PSSetSnmpPort(65536), 0);
    EXPECT_EQ(PSSetCommunity(nullptr), 0);
    EXPECT_EQ(PSSetCommunity(std::string(256, 'c').c_str()), 0);
    EXPECT_EQ(PSSetCommunity(std::string(255, 'c').c_str()), 1);
}

struct IntegerText {
    const char* name;
    std::string text; // NUL added by the test
    std::optional<std::int32_t> value;
};

class IntegerTexts : public testing::TestWithParam<IntegerText> {};

TEST_P(IntegerTexts, ParseStrictly) {
    std::vector<std::uint8_t> area(GetParam().text.begin(), GetParam().text.end());
    area.push_back(0);
    EXPECT_EQ(ipslan::detail::parseIntegerText(area.data(), area.size()), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, IntegerTexts,
    testing::Values(IntegerText{"One", "1", 1}, IntegerText{"Negative", "-5", -5},
                    IntegerText{"Plus", "+7", 7}, IntegerText{"SignedPortValue", "-65536", -65536},
                    IntegerText{"Smallest", "-2147483648", INT32_MIN},
                    IntegerText{"UnsignedTop", "4294967295", -1},
                    IntegerText{"TooBig", "4294967296", std::nullopt},
                    IntegerText{"TooSmall", "-2147483649", std::nullopt},
                    IntegerText{"Empty", "", std::nullopt},
                    IntegerText{"OnlySign", "-", std::nullopt},
                    IntegerText{"TrailingJunk", "12a", std::nullopt},
                    IntegerText{"Blank", " 1", std::nullopt},
                    IntegerText{"Hex", "0x10", std::nullopt}),
    [](const testing::TestParamInfo<IntegerText>& info) { return info.param.name; });

TEST(IntegerTexts, UnterminatedTextIsRefused) {
    const std::vector<std::uint8_t> area(16, '7');
    EXPECT_EQ(ipslan::detail::parseIntegerText(area.data(), area.size()), std::nullopt);
}

// ---- Batches of reads with several requests outstanding ---------------------

class SnmpBatch : public SnmpClient {
protected:
    void SetUp() override {
        SnmpClient::SetUp();
        ipslan::detail::forgetPacking();
        ipslan::setReadWindow(8);
        // Set once, before any request: the responder thread reads them.
        for (int i = 0; i < 8; ++i) {
            router.values[{kFirst + i, 0}] = integer(100 + i);
        }
    }
    void TearDown() override { ipslan::setReadWindow(ipslan::kDefaultReadWindow); }

    // Eight one-variable reads of 0x4001.. into their own entries.
    int readEight() {
        for (int i = 0; i < 8; ++i) {
            reads[i] = IPS_READ{0, 1, &variables[i], &results[i], 1, 9};
        }
        return IPSGetInfoBatch("127.0.0.1", reads, 8);
    }
    std::vector<long> values() const {
        std::vector<long> v;
        for (const auto& r : results) {
            v.push_back(static_cast<std::int32_t>(le32(r.value)));
        }
        return v;
    }

    static constexpr int kFirst = 0x4001;
    const int variables[8] = {kFirst,     kFirst + 1, kFirst + 2, kFirst + 3,
                              kFirst + 4, kFirst + 5, kFirst + 6, kFirst + 7};
    IPS_READ reads[8]{};
    MIB_RESPONSE results[8]{};
};

int firstVariable(const netsnmp_pdu& pdu) {
    return ipslan::wire::variableFromOid(pdu.variables->name, pdu.variables->name_length)->variable;
}

int variableCount(const netsnmp_pdu& pdu) {
    int n = 0;
    for (auto* var = pdu.variables; var != nullptr; var = var->next_variable) {
        ++n;
    }
    return n;
}

// The number of variables of every request a router saw, in order.
class RequestLog {
public:
    void add(int variables) {
        const std::lock_guard hold(mutex_);
        sizes_.push_back(variables);
    }
    std::vector<int> sizes() const {
        const std::lock_guard hold(mutex_);
        return sizes_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<int> sizes_;
};

TEST_F(SnmpBatch, PacksIndependentReadsAndFallsBackWhereTheRouterRefuses) {
    struct Row {
        const char* name;
        std::function<void(netsnmp_pdu&)> refuse; // shapes the answer to a request
        std::vector<int> requests;                // variables per request, in order
        std::vector<int> again;                   // the same for the next batch
    };
    const Row rows[] = {
        {"all in one request", nullptr, {8}, {8}},
        {"answers above 4 variables are tooBig: halves, in flight together",
         [](netsnmp_pdu& r) {
             if (variableCount(r) > 4) {
                 r.errstat = SNMP_ERR_TOOBIG;
             }
         },
         {8, 4, 4},
         {4, 4}},
        {"answers above 3 variables are tooBig: halves until they fit",
         [](netsnmp_pdu& r) {
             if (variableCount(r) > 3) {
                 r.errstat = SNMP_ERR_TOOBIG;
             }
         },
         {8, 4, 4, 2, 2, 2, 2},
         {2, 2, 2, 2}},
        {"genErr to several: one variable per request",
         [](netsnmp_pdu& r) {
             if (variableCount(r) > 1) {
                 r.errstat = SNMP_ERR_GENERR;
             }
         },
         {8, 1, 1, 1, 1, 1, 1, 1, 1},
         {1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ipslan::detail::forgetPacking();
        auto log = std::make_shared<RequestLog>();
        router.mangle = [log, refuse = row.refuse](netsnmp_pdu& r) {
            log->add(variableCount(r));
            if (refuse) {
                refuse(r);
            }
        };
        std::fill(std::begin(results), std::end(results), MIB_RESPONSE{});
        EXPECT_EQ(readEight(), 1);
        EXPECT_EQ(values(), (std::vector<long>{100, 101, 102, 103, 104, 105, 106, 107}));
        std::vector<int> sizes = log->sizes();
        // Requests in flight together may arrive in any order.
        std::sort(sizes.begin() + 1, sizes.end(), std::greater<>());
        EXPECT_EQ(sizes, row.requests);
        // What the router taught holds for the next batch.
        const std::size_t before = log->sizes().size();
        EXPECT_EQ(readEight(), 1);
        const std::vector<int> after = log->sizes();
        EXPECT_EQ(
            std::vector<int>(after.begin() + static_cast<std::ptrdiff_t>(before), after.end()),
            row.again);
    }
    router.mangle = nullptr;
}

TEST_F(SnmpBatch, AnUnknownVariableFailsOnlyTheReadsThatNameIt) {
    auto log = std::make_shared<RequestLog>();
    router.mangle = [log](netsnmp_pdu& r) {
        log->add(variableCount(r));
    };
    const int unknown = 0x4077;
    const int pair[] = {kFirst, kFirst + 1};
    const int withUnknown[] = {kFirst + 2, unknown};
    MIB_RESPONSE a[2]{}, b[2]{}, c{};
    b[0].type = 0x77;
    IPS_READ batch[] = {
        {0, 2, pair, a, 1, 9},
        {0, 2, withUnknown, b, 0, 9}, // fails, does not stop
        {0, 1, &pair[1], &c, 1, 9},   // the same variable again: asked once
    };
    EXPECT_EQ(IPSGetInfoBatch("127.0.0.1", batch, 3), 0);
    EXPECT_EQ(batch[0].status, 1);
    EXPECT_EQ(batch[1].status, 0);
    EXPECT_EQ(batch[2].status, 1);
    EXPECT_EQ(le32(a[1].value), 101u);
    EXPECT_EQ(le32(c.value), 101u);
    EXPECT_EQ(b[0].type, 0x77) << "a failed read leaves its area as it was";
    EXPECT_EQ(log->sizes(), (std::vector<int>{4, 3})) << "the rest asked again without it";
    router.mangle = nullptr;
}

// The eight reads, each stopping the batch when it fails, travel as one
// request; its answer is spoiled, and the failure names the first read it
// spoils.
TEST_F(SnmpBatch, ASpoiledAnswerIsTheFailureOfTheFirstReadItSpoils) {
    using Failure = ipslan::RequestFailure;
    struct Row {
        const char* name;
        std::function<void(netsnmp_pdu&)> spoil;
        std::vector<int> statuses;
        Failure::Kind kind;
        int variable;
        int errorStatus;
        int valueType;
    };
    const Row rows[] = {
        {"first two names swapped",
         [](netsnmp_pdu& r) {
             std::swap(r.variables->name_loc, r.variables->next_variable->name_loc);
         },
         {0, -1, -1, -1, -1, -1, -1, -1},
         Failure::WrongVariables,
         0,
         0,
         0},
        {"third value without an entry form",
         [](netsnmp_pdu& r) {
             snmp_set_var_typed_value(r.variables->next_variable->next_variable, ASN_NULL, nullptr,
                                      0);
         },
         {1, 1, 0, -1, -1, -1, -1, -1},
         Failure::BadValue,
         kFirst + 2,
         0,
         ASN_NULL},
        {"fourth variable refused with badValue",
         [](netsnmp_pdu& r) {
             r.errstat = SNMP_ERR_BADVALUE;
             r.errindex = 4;
         },
         {1, 1, 1, 0, -1, -1, -1, -1},
         Failure::ErrorStatus,
         kFirst + 3,
         SNMP_ERR_BADVALUE,
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        router.mangle = [&row](netsnmp_pdu& r) {
            if (variableCount(r) == 8) {
                row.spoil(r);
            }
        };
        EXPECT_EQ(readEight(), 0);
        std::vector<int> statuses;
        for (const auto& read : reads) {
            statuses.push_back(read.status);
        }
        EXPECT_EQ(statuses, row.statuses);
        const Failure failure = ipslan::lastRequestFailure();
        EXPECT_EQ(failure.kind, row.kind);
        EXPECT_EQ(failure.variable, row.variable);
        EXPECT_EQ(failure.errorStatus, row.errorStatus);
        EXPECT_EQ(failure.valueType, row.valueType);
    }
    router.mangle = nullptr;
}

TEST_F(SnmpBatch, AnswersMatchTheirRequestsWhateverTheWireDoes) {
    using Route = FakeRouter::Route;
    struct Row {
        const char* name;
        std::function<Route()> make;
        int requests;
        int timeoutMs = kAnswerTimeoutMs;
    };
    // The router refuses requests of several variables, so the eight reads
    // go as eight requests in flight together; the first, packed request
    // and its refusal pass untouched.
    const auto single = [](Route route) {
        return Route([route](netsnmp_pdu& response, SnmpResponder& out) {
            return variableCount(response) > 1 || route(response, out);
        });
    };
    const Row rows[] = {
        {"answers in reverse order",
         [&] {
             auto stash = std::make_shared<std::vector<netsnmp_pdu*>>();
             return single([stash](netsnmp_pdu& response, SnmpResponder& out) {
                 stash->push_back(snmp_clone_pdu(&response));
                 if (stash->size() == 8) {
                     for (auto it = stash->rbegin(); it != stash->rend(); ++it) {
                         out.send(*it);
                     }
                 }
                 return false;
             });
         },
         9},
        {"one answer of eight lost, its retry answered",
         [&] {
             auto lost = std::make_shared<bool>(false);
             return single([lost](netsnmp_pdu& response, SnmpResponder&) {
                 if (firstVariable(response) == kFirst + 3 && !*lost) {
                     *lost = true;
                     return false;
                 }
                 return true;
             });
         },
         10,
         // Only the lost answer may time out: the seven others must come
         // within this, even on a loaded machine.
         1000},
        {"every answer twice",
         [&] {
             return single([](netsnmp_pdu& response, SnmpResponder& out) {
                 out.send(snmp_clone_pdu(&response));
                 return true;
             });
         },
         9},
        {"an answer to a request id never sent comes first",
         [&] {
             return single([](netsnmp_pdu& response, SnmpResponder& out) {
                 netsnmp_pdu* stray = snmp_clone_pdu(&response);
                 stray->reqid += 100000;
                 const long bogus = -1;
                 snmp_set_var_typed_value(stray->variables, ASN_INTEGER, &bogus, sizeof bogus);
                 out.send(stray);
                 return true;
             });
         },
         9},
    };
    router.mangle = [](netsnmp_pdu& r) {
        if (variableCount(r) > 1) {
            r.errstat = SNMP_ERR_GENERR;
        }
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ipslan::detail::forgetPacking();
        ipslan::setTimeouts(row.timeoutMs, 1);
        router.setRoute(row.make());
        const int before = router.requests();
        std::fill(std::begin(results), std::end(results), MIB_RESPONSE{});
        EXPECT_EQ(readEight(), 1);
        EXPECT_EQ(values(), (std::vector<long>{100, 101, 102, 103, 104, 105, 106, 107}));
        for (const auto& read : reads) {
            EXPECT_EQ(read.status, 1);
        }
        EXPECT_EQ(router.requests() - before, row.requests);
    }
    router.setRoute(nullptr);
    router.mangle = nullptr;
    EXPECT_EQ(readEight(), 1) << "nothing left over confuses the next batch";
}

// The router holds every answer until a resent request shows that the
// client has stopped sending, and counts the requests it holds unanswered.
TEST_F(SnmpBatch, NeverMoreRequestsInFlightThanTheWindow) {
    // Taught first that this router takes one variable per request, so the
    // eight reads travel as eight requests rather than one.
    router.mangle = [](netsnmp_pdu& r) {
        if (variableCount(r) > 1) {
            r.errstat = SNMP_ERR_GENERR;
        }
    };
    ASSERT_EQ(readEight(), 1);
    router.mangle = nullptr;
    ipslan::setReadWindow(3);
    // Each resend releases the held answers, so a short timeout keeps the
    // test quick; the many retries only matter when the machine is so busy
    // that the router's thread sees no resend for a long while.
    ipslan::setTimeouts(40, 100);
    auto held = std::make_shared<std::vector<netsnmp_pdu*>>();
    auto answered = std::make_shared<std::set<long>>();
    auto most = std::make_shared<std::size_t>(0);
    router.setRoute([held, answered, most](netsnmp_pdu& response, SnmpResponder& out) {
        if (answered->count(response.reqid) != 0) {
            return false; // a late resend of a request already answered
        }
        const bool resent = std::any_of(held->begin(), held->end(),
                                        [&](netsnmp_pdu* p) { return p->reqid == response.reqid; });
        if (!resent) {
            held->push_back(snmp_clone_pdu(&response));
            *most = std::max(*most, held->size());
            return false;
        }
        for (netsnmp_pdu* p : *held) {
            answered->insert(p->reqid);
            out.send(p);
        }
        held->clear();
        return false;
    });
    EXPECT_EQ(readEight(), 1);
    EXPECT_EQ(values(), (std::vector<long>{100, 101, 102, 103, 104, 105, 106, 107}));
    EXPECT_EQ(*most, 3u);
    router.setRoute(nullptr);
}

TEST_F(SnmpBatch, StopsAndOrdersLikeSeparateReadsAtAnyWindow) {
    router.values[{0x4001, 0}] = integer(1);
    router.values[{0x4002, 0}] = integer(2);
    router.values[{0x4003, 0}] = integer(3);
    const int unknown = 0x4077;
    const int v1 = 0x4001, v2 = 0x4002, v3 = 0x4003;
    for (const int window : {1, 8}) {
        SCOPED_TRACE(window);
        ipslan::setReadWindow(window);
        MIB_RESPONSE shared{}, skipped{}, untouched{};
        untouched.type = 0x77;
        skipped.type = 0x77;
        IPS_READ batch[] = {
            {0, 1, &unknown, &untouched, 0, 9}, // fails, the batch goes on
            {0, 1, &v1, &shared, 1, 9},
            {0, 1, &v2, &shared, 1, 9},         // same entry: the later read wins
            {0, 1, &unknown, &untouched, 1, 9}, // fails and ends the batch
            {0, 1, &v3, &skipped, 1, 9},
        };
        EXPECT_EQ(IPSGetInfoBatch("127.0.0.1", batch, 5), 0);
        std::vector<int> statuses;
        for (const auto& read : batch) {
            statuses.push_back(read.status);
        }
        EXPECT_EQ(statuses, (std::vector<int>{0, 1, 1, 0, -1}));
        EXPECT_EQ(le32(shared.value), 2u);
        EXPECT_EQ(untouched.type, 0x77);
        EXPECT_EQ(skipped.type, 0x77) << "a read after the stop leaves its area alone";
    }
}

} // namespace
