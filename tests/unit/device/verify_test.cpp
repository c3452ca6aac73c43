// The verify after a restart, one row per thing a router may have done with
// what it was sent: each row says which routers answer where and what they
// hold, and what the verify must conclude.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <ipslan/variables.h>

#include "device/config_store.h"
#include "device/verify.h"
#include "support/read_entry.h"
#include "support/recording_device.h"

namespace tolvaro::device {
namespace {

namespace var = ipslan::var;

constexpr HardwareAddress kOurs{0x02, 0, 0, 0, 0, 0x01};
constexpr HardwareAddress kOther{0x02, 0, 0, 0, 0, 0x02};
const std::string kOld = "192.168.1.1";
const std::string kNew = "192.168.1.50";

// Routers on the simulated LAN: their hardware by address, and what they
// hold. Each starts as the one that took everything.
struct Lan {
    std::map<std::string, HardwareAddress> at{{kOld, kOurs}};
    std::map<std::string, std::map<int, MIB_RESPONSE>> held;
    std::set<std::pair<std::string, int>> unreadable;

    void holds(const std::string& ip, int variable, std::int32_t value) {
        test::setReadInteger(held[ip][variable], value);
    }
    void holdsText(const std::string& ip, int variable, std::string_view text) {
        test::setReadText(held[ip][variable], text);
    }
    void holdsBytes(const std::string& ip, int variable, std::vector<std::uint8_t> bytes) {
        test::setReadEntry(held[ip][variable], kTypeOctetString, bytes.data(), bytes.size());
    }
    // The router with our hardware took everything and now answers at `ip`.
    void tookAllAt(const std::string& ip) {
        at[ip] = kOurs;
        holds(ip, var::kIdleMinutes, 5);
        holdsText(ip, var::kAccountName, "new@isp");
        std::vector<std::uint8_t> route(240, 0);
        route[0] = 'b';
        route[20] = 0xfe;
        holdsBytes(ip, var::kRouteFirst, route);
    }
};

_snmp_packet sentText(std::string_view text) {
    _snmp_packet p{};
    p.type = kTypeOctetString;
    setEntryText(p, text);
    return p;
}

// Ten bytes of the route table: the write covers only them.
_snmp_packet sentRoute() {
    _snmp_packet p{};
    p.type = kTypeOctetString;
    p.value[0] = 'b';
    setEntryLength(p, 10);
    return p;
}

std::vector<SentEntry> sent() {
    _snmp_packet idle = sentText("5");
    idle.type = kTypeInteger;
    return {{var::kIdleMinutes, 0, idle},
            {var::kAccountName, 0, sentText("new@isp")},
            {var::kRouteFirst, 0, sentRoute()},
            // Never compared: the restart itself, and a read-only variable.
            {var::kReset, 0, sentText("1")},
            {var::kHardwareAddress, 0, sentText("zzzzzz")}};
}

struct Row {
    const char* name;
    std::function<void(Lan&)> router;
    HardwareAddress known;
    VerifyOutcome outcome;
    std::string address;
    // The variables named as different, in order.
    std::vector<int> different;
};

class Verify : public testing::TestWithParam<Row> {};

TEST_P(Verify, ConcludesWhatTheRouterDid) {
    const Row& row = GetParam();
    Lan lan;
    lan.tookAllAt(kOld);
    row.router(lan);

    test::RecordingDevice device;
    for (const auto& [ip, hardware] : lan.at)
        device.routers.push_back(test::makeRouter("Office", ip));
    std::vector<std::string> readFrom;
    device.getHandler = [&](const test::DeviceCall& call, MIB_RESPONSE* result) {
        const auto router = lan.at.find(call.text);
        if (router == lan.at.end())
            return 0;
        for (std::size_t i = 0; i < call.variables.size(); ++i) {
            const int variable = call.variables[i];
            if (variable == var::kHardwareAddress) {
                test::setReadEntry(result[i], kTypeOctetString, router->second.data(), 6);
                continue;
            }
            readFrom.push_back(call.text);
            if (lan.unreadable.count({call.text, variable}))
                return 0;
            result[i] = lan.held[call.text][variable];
        }
        return 1;
    };

    const auto entries = sent();
    const VerifyResult result = verifyWrites(device, kOld, row.known, entries);
    EXPECT_EQ(result.outcome, row.outcome);
    EXPECT_EQ(result.address, row.address);
    EXPECT_EQ(result.moved, row.address != kOld);
    // A table names the field that differs, under the table's key.
    std::vector<std::string> keys;
    for (const auto& d : result.differences)
        keys.push_back(d.key.substr(0, d.key.find_first_of(".[", d.key.find('.') + 1)));
    std::vector<std::string> expected;
    for (const int variable : row.different)
        expected.emplace_back(settingName(variable, 0)->key);
    EXPECT_EQ(keys, expected);
    if (row.outcome != VerifyOutcome::NotFound) {
        // Three settings read back, all from where the router answers.
        EXPECT_EQ(readFrom, std::vector<std::string>(3, row.address));
    }
}

constexpr int kIdleKey = var::kIdleMinutes;
constexpr int kAccountKey = var::kAccountName;
constexpr int kRouteKey = var::kRouteFirst;

INSTANTIATE_TEST_SUITE_P(
    RouterDid, Verify,
    testing::Values(Row{"TookEverything", [](Lan&) {}, kOurs, VerifyOutcome::AllTook, kOld, {}},
                    Row{"KeptItsOldInteger",
                        [](Lan& l) { l.holds(kOld, var::kIdleMinutes, 4); },
                        kOurs,
                        VerifyOutcome::Differences,
                        kOld,
                        {kIdleKey}},
                    Row{"KeptItsOldText",
                        [](Lan& l) { l.holdsText(kOld, var::kAccountName, "new@is"); },
                        kOurs,
                        VerifyOutcome::Differences,
                        kOld,
                        {kAccountKey}},
                    Row{"KeptOneTableByte",
                        [](Lan& l) {
                            std::vector<std::uint8_t> route(240, 0);
                            route[0] = 'b';
                            route[9] = 1;
                            l.holdsBytes(kOld, var::kRouteFirst, route);
                        },
                        kOurs,
                        VerifyOutcome::Differences,
                        kOld,
                        {kRouteKey}},
                    Row{"HoldsAShorterTable",
                        [](Lan& l) {
                            l.holdsBytes(kOld, var::kRouteFirst, {'b', 0, 0});
                        },
                        kOurs,
                        VerifyOutcome::Differences,
                        kOld,
                        {kRouteKey}},
                    Row{"CannotReadOne",
                        [](Lan& l) {
                            l.unreadable.insert({kOld, var::kAccountName});
                        },
                        kOurs,
                        VerifyOutcome::Differences,
                        kOld,
                        {kAccountKey}},
                    Row{"AnotherRouterAnswersAtTheOldAddress",
                        [](Lan& l) { l.at[kOld] = kOther; },
                        kOurs,
                        VerifyOutcome::NotFound,
                        kOld,
                        {}},
                    Row{"MovedAndAnotherTookItsAddress",
                        [](Lan& l) {
                            l.at[kOld] = kOther;
                            l.tookAllAt(kNew);
                        },
                        kOurs,
                        VerifyOutcome::AllTook,
                        kNew,
                        {}},
                    Row{"MovedAndKeptAnOldValue",
                        [](Lan& l) {
                            l.at.erase(kOld);
                            l.tookAllAt(kNew);
                            l.holds(kNew, var::kIdleMinutes, 9);
                        },
                        kOurs,
                        VerifyOutcome::Differences,
                        kNew,
                        {kIdleKey}},
                    Row{"SilentWithoutAHardwareAddressToLookFor",
                        [](Lan& l) {
                            l.at.erase(kOld);
                            l.tookAllAt(kNew);
                        },
                        HardwareAddress{},
                        VerifyOutcome::NotFound,
                        kOld,
                        {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvaro::device
