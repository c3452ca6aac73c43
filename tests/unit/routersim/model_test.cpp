// The simulated router's model without sockets: what it holds, which writes
// it refuses, and its time-driven behaviour on a manual clock.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <ipslan/records.h>
#include <ipslan/variables.h>

#include "routersim/model.h"

namespace routersim {
namespace {

using Type = WireValue::Type;

WireValue integer(std::int32_t value) {
    return {Type::Integer, value, {}};
}
WireValue octets(std::string_view text) {
    return {Type::OctetString, 0, {text.begin(), text.end()}};
}
WireValue octets(std::size_t size, std::uint8_t fill = 'x') {
    return {Type::OctetString, 0, std::vector<std::uint8_t>(size, fill)};
}

struct Fixture {
    explicit Fixture(int family, std::string password = "", std::string address = "127.0.0.2",
                     std::string firmware = "") {
        RouterConfig config;
        config.firmware = std::move(firmware);
        config.family = family;
        config.password = std::move(password);
        config.address = std::move(address);
        config.restartTime = Millis{3000};
        config.dialDelay = Millis{4000};
        config.clock = clock;
        auto resolved = resolve(config);
        EXPECT_TRUE(resolved.config) << resolved.error;
        model = std::make_unique<RouterModel>(*resolved.config);
    }
    void set(int variable, WireValue value, int mode = 0) {
        ASSERT_EQ(model->checkSet(variable, mode, value), VarError::None);
        model->applySet({{VariableKey{variable, mode}, std::move(value)}});
    }
    void pass(Millis time) {
        clock->advance(time);
        model->advance();
    }
    std::int32_t number(int variable, int mode = 0) { return model->get(variable, mode)->integer; }
    std::string text(int variable, int mode = 0) { return model->get(variable, mode)->text(); }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::unique_ptr<RouterModel> model;
};

// Every variable the utility's catalogue requests, the mode-1 block and the
// extra reads name, per family: a router that lacks one fails a whole request.
std::vector<int> catalogue(int family) {
    std::vector<int> v = {0x4001, 0x4002, 0x4003, 0x4004, 0x4006, 0x4014, 0x4015, 0x3801,
                          0x3823, 0x3824, 0x4008, 0x0104, 0x0100, 0x0103, 0x0106};
    if (family == 2) {
        v.insert(v.end(), {0x4025, 0x4027, 0x4028, 0x4029, 0x402a});
    }
    v.insert(v.end(), {0x3004, 0x3006, 0x3005, 0x3012, 0x3013, 0x3014, 0x3601, 0x3602});
    if (family == 2) {
        v.insert(v.end(), {0x4026, 0x4024});
    }
    for (int base : {0x3201, 0x3401, 0x3501}) {
        for (int i = 0; i < 5; ++i) {
            v.push_back(base + i);
        }
    }
    v.insert(v.end(), {0x3301, 0x3302});
    for (int i = 0x3701; i <= 0x370a; ++i) {
        v.push_back(i);
    }
    for (int i = 0x3710; i <= 0x3717; ++i) {
        v.push_back(i);
    }
    v.insert(v.end(), {0x371e, 0x371c, 0x371b, 0x4017, 0x400d, 0x4023});
    for (int i = 0x401a; i <= 0x4020; ++i) {
        v.push_back(i);
    }
    v.insert(v.end(), {0x3806, 0x3809, 0x381c, 0x381f, 0x3822, 0x3804, 0x4009, 0x0002, 0x0001,
                       0x1006, 0x1007, 0x1008, 0x1009, 0x1023});
    v.insert(v.end(), std::begin(ipslan::kLogVariables), std::end(ipslan::kLogVariables));
    return v;
}

TEST(RouterModel, AnswersEveryVariableTheUtilityReads) {
    for (int family : {1, 2}) {
        Fixture f(family);
        for (int variable : catalogue(family)) {
            EXPECT_TRUE(f.model->get(variable, 0))
                << "family " << family << " variable 0x" << std::hex << variable;
        }
        for (int variable : {0x4017, 0x400d, 0x4023, 0x371a, 0x4018}) {
            EXPECT_TRUE(f.model->get(variable, 1)) << "mode 1 variable 0x" << std::hex << variable;
        }
    }
    EXPECT_FALSE(Fixture(1).model->get(0x4024, 0)) << "family 1 has no idle time-out in seconds";
    EXPECT_FALSE(Fixture(1).model->get(0x4027, 0));
    EXPECT_EQ(Fixture(1, "", "127.0.0.2", "6.1 (240101-01)").number(0x4024), 300)
        << "the utility reads 0x4024 from every router above firmware level 60";
}

// Firmware level: 10 x the digit before the first "." + the digit after.
// File version: digits at p-1, p+1, p+11 and p+12.
TEST(RouterModel, FirmwareTextsGiveLevelAndFileVersionFromRealDigits) {
    struct Row {
        int family;
        int level;
        int fileVersion;
    };
    for (const Row row : {Row{1, 50, 5001}, Row{2, 65, 6507}}) {
        const std::string t = Fixture(row.family).text(0x0104);
        const auto p = t.find('.');
        ASSERT_NE(p, std::string::npos);
        ASSERT_GT(t.size(), p + 12);
        auto d = [&t](std::size_t i) {
            EXPECT_TRUE(t[i] >= '0' && t[i] <= '9') << t << " at " << i;
            return t[i] - '0';
        };
        EXPECT_EQ(10 * d(p - 1) + d(p + 1), row.level);
        EXPECT_EQ(1000 * d(p - 1) + 100 * d(p + 1) + 10 * d(p + 11) + d(p + 12), row.fileVersion);
    }
}

TEST(RouterModel, ChecksWritesAgainstTheVariableTable) {
    struct Row {
        const char* name;
        int family;
        int variable;
        int mode;
        WireValue value;
        VarError expected;
    };
    const Row rows[] = {
        {"integer variable as integer", 2, 0x4008, 0, integer(300), VarError::None},
        {"integer variable given a string", 2, 0x4008, 0, octets("300"), VarError::BadValue},
        {"text variable given an integer", 2, 0x4002, 0, integer(1), VarError::BadValue},
        {"text at its limit", 2, 0x4002, 0, octets(61), VarError::None},
        {"text one byte over", 2, 0x4002, 0, octets(62), VarError::BadValue},
        {"password over 12", 2, 0x0106, 0, octets(13), VarError::BadValue},
        {"route table of 240", 2, 0x3601, 0, octets(240, 0), VarError::None},
        {"route table of 241", 2, 0x3601, 0, octets(241, 0), VarError::BadValue},
        {"unknown variable", 2, 0x7777, 0, integer(1), VarError::NoSuchName},
        {"read-only firmware", 2, 0x0104, 0, octets("9.9"), VarError::NoSuchName},
        {"read-only link status", 2, 0x0002, 0, integer(1), VarError::NoSuchName},
        {"family-2 variable on family 1", 1, 0x4024, 0, integer(60), VarError::NoSuchName},
        {"mode-1 only variable in mode 0", 2, 0x4018, 0, integer(5), VarError::NoSuchName},
        {"mode-0 only variable in mode 1", 2, 0x4001, 1, octets("0.0.0.0"), VarError::NoSuchName},
        {"line command 2 dials", 2, 0x0003, 0, integer(2), VarError::None},
        {"line command 3 is no command", 2, 0x0003, 0, integer(3), VarError::BadValue},
        {"untouched port value sent empty", 2, 0x3701, 0, octets(""), VarError::None},
        {"empty string for a plain integer", 2, 0x4008, 0, octets(""), VarError::BadValue},
        {"port list of 7 bytes", 2, 0x3301, 0, octets(7), VarError::BadValue},
        {"other ASN.1 type", 2, 0x4008, 0, WireValue{Type::Other, 0, {}}, VarError::BadValue},
    };
    for (const Row& row : rows) {
        Fixture f(row.family);
        EXPECT_EQ(f.model->checkSet(row.variable, row.mode, row.value), row.expected) << row.name;
    }
}

TEST(RouterModel, EmptyGroupDataLeavesPoliciesAlone) {
    Fixture f(2);
    const auto group = f.model->get(0x3402, 0);
    const auto port = f.model->get(0x3701, 0);
    f.set(0x3402, octets(""));
    f.set(0x3701, octets(""));
    EXPECT_EQ(f.model->get(0x3402, 0), group);
    EXPECT_EQ(f.model->get(0x3701, 0), port);
}

TEST(RouterModel, PortListsReadBackAtTheirUsedLength) {
    Fixture f(2);
    std::vector<std::uint8_t> image(96, 0);
    std::copy_n("ssh\0\0\0irc2\0\0", 12, image.begin());
    f.set(0x3302, {Type::OctetString, 0, image});
    EXPECT_EQ(f.model->get(0x3302, 0)->bytes.size(), 12u);
    f.set(0x3302, octets(std::string_view("\0\0\0\0\0\0", 6)));
    EXPECT_TRUE(f.model->get(0x3302, 0)->bytes.empty());
}

TEST(RouterModel, ModeOneIsASeparateBank) {
    Fixture f(2);
    f.set(0x4017, integer(0x82), 1);
    f.set(0x401a, octets("remote"), 1);
    EXPECT_EQ(f.number(0x4017, 1), 0x82);
    EXPECT_EQ(f.number(0x4017, 0), 0);
    EXPECT_EQ(f.text(0x401a, 1), "remote");
    EXPECT_EQ(f.text(0x401a, 0), "branch");
}

TEST(RouterModel, CommunityRules) {
    struct Row {
        const char* name;
        int family;
        const char* password;
        const char* community;
        bool accepted;
    };
    const Row rows[] = {
        {"family 2, its password", 2, "secret", "secret", true},
        {"family 2, fixed community", 2, "secret", "TiLvOrA", false},
        {"family 2, password in other case", 2, "secret", "Secret", false},
        {"family 2 without password, fixed", 2, "", "TiLvOrA", true},
        {"family 2 without password, empty", 2, "", "", false},
        {"family 1, its password", 1, "secret", "secret", true},
        {"family 1, fixed community", 1, "secret", "TiLvOrA", true},
        {"family 1, wrong", 1, "secret", "public", false},
    };
    for (const Row& row : rows) {
        Fixture f(row.family, row.password);
        EXPECT_EQ(f.model->acceptsCommunity(row.community), row.accepted) << row.name;
    }
}

TEST(RouterModel, NewPasswordTakesEffectAfterTheRestart) {
    Fixture f(2, "old");
    f.set(0x0106, octets("new"));
    EXPECT_EQ(f.text(0x0106), "new");
    EXPECT_TRUE(f.model->acceptsCommunity("old")) << "still running with the old password";

    f.set(0x0001, integer(1));
    EXPECT_TRUE(f.model->restarting());
    f.pass(Millis{2999});
    EXPECT_TRUE(f.model->restarting());
    f.clock->advance(Millis{1});
    EXPECT_TRUE(f.model->advance()) << "the restart ends now";
    EXPECT_FALSE(f.model->restarting());
    EXPECT_TRUE(f.model->acceptsCommunity("new"));
    EXPECT_FALSE(f.model->acceptsCommunity("old"));
}

TEST(RouterModel, ResetValueOtherThanOneDoesNothing) {
    Fixture f(2);
    f.set(0x0001, integer(0));
    EXPECT_FALSE(f.model->restarting());
}

TEST(RouterModel, DialUpAndHangUp) {
    Fixture f(2);
    f.set(0x0003, integer(2));
    EXPECT_EQ(f.number(0x0002), 0);
    EXPECT_NE(f.text(0x1023).find("dialing 0191011"), std::string::npos);
    f.pass(Millis{3999});
    EXPECT_EQ(f.number(0x0002), 0);
    f.pass(Millis{1});
    EXPECT_EQ(f.number(0x0002), 1);
    EXPECT_NE(f.text(0x1023).find("connected"), std::string::npos);
    EXPECT_NE(f.text(0x1023).find("Accont: office@isp.example"), std::string::npos);

    f.set(0x0003, integer(1));
    EXPECT_EQ(f.number(0x0002), 0);
    std::string log;
    for (const auto& line : f.model->logLines()) {
        log += line;
    }
    EXPECT_NE(log.find("Dialing 0191011\n"), std::string::npos);
    EXPECT_NE(log.find("Connected to ISP"), std::string::npos);
    EXPECT_NE(log.find("Disconnected by request\n"), std::string::npos);
}

TEST(RouterModel, DialFailsWithoutTelephoneNumberOrDialOut) {
    struct Row {
        const char* name;
        int variable;
        WireValue value;
        const char* logged;
    };
    const Row rows[] = {
        {"no telephone number", 0x4006, octets(""), "No telephone number"},
        {"dial-out off", 0x400d, integer(0), "Dial-out disabled"},
    };
    for (const Row& row : rows) {
        Fixture f(2);
        f.set(row.variable, row.value);
        f.set(0x0003, integer(2));
        f.pass(Millis{60000});
        EXPECT_EQ(f.number(0x0002), 0) << row.name;
        EXPECT_NE(f.model->logLines().back().find(row.logged), std::string::npos) << row.name;
    }
}

TEST(RouterModel, ResetDropsTheLinkAndStartsAFreshLog) {
    Fixture f(2);
    f.set(0x0003, integer(2));
    f.pass(Millis{4000});
    ASSERT_TRUE(f.model->linkUp());
    f.set(0x0001, integer(1));
    f.pass(Millis{3000});
    EXPECT_FALSE(f.model->linkUp());
    EXPECT_NE(f.model->logLines().front().find("System started"), std::string::npos);
}

TEST(RouterModel, LogFitsTheUtilitysLimits) {
    Fixture f(2);
    for (int i = 0; i < 200; ++i) {
        f.set(0x0003, integer(2));
        f.pass(Millis{4000});
        f.set(0x0003, integer(1));
    }
    std::string joined;
    for (int variable : ipslan::kLogVariables) {
        const std::string part = f.text(variable);
        EXPECT_LE(part.size(), 283u);
        EXPECT_TRUE(part.empty() || part.back() == '\n') << "whole lines only";
        joined += part;
    }
    EXPECT_LE(joined.size(), 2549u);
    EXPECT_GT(joined.size(), 2000u) << "the log is used, not cut short";
    EXPECT_NE(joined.find("Disconnected by request\n"), std::string::npos) << "newest kept";
}

std::vector<dhcp_tmp_s> leases(RouterModel& model) {
    std::vector<dhcp_tmp_s> result;
    for (int part = 0; part < 4; ++part) {
        const auto bytes = model.get(0x1006 + part, 0)->bytes;
        std::size_t pos = 0;
        for (int n = 0; n < 17; ++n) {
            dhcp_tmp_s lease{};
            const int used = IPSConvByteToDHCPTable(&lease, bytes.data() + pos, bytes.size() - pos);
            if (used <= 0 || lease.address[0] == 0) {
                break;
            }
            pos += static_cast<std::size_t>(used);
            result.push_back(lease);
        }
    }
    return result;
}

TEST(RouterModel, LeaseTableHoldsReservationsAndDynamicLeases) {
    Fixture f(2);
    const auto table = leases(*f.model);
    ASSERT_EQ(table.size(), 5u);
    // Reserved workstations first: pc-anna and the printer.
    EXPECT_EQ(table[0].address[3], 120);
    EXPECT_EQ(table[0].dynamic, 0);
    EXPECT_EQ(table[0].lease, -1);
    EXPECT_EQ(table[0].hardware[1], 0x0A);
    EXPECT_EQ(table[1].address[3], 121);
    for (std::size_t i = 2; i < table.size(); ++i) {
        EXPECT_NE(table[i].dynamic, 0);
        EXPECT_GT(table[i].lease, 0);
        EXPECT_GE(table[i].address[3], 100);
        EXPECT_LE(table[i].address[3], 199);
    }

    f.set(0x3004, integer(0));
    EXPECT_TRUE(leases(*f.model).empty()) << "no DHCP server, no leases";
}

TEST(RouterModel, LeaseTableSpillsSeventeenPerVariable) {
    Fixture f(2);
    // 20 reserved workstations: ten per workstation variable.
    for (int part = 0; part < 2; ++part) {
        std::vector<std::uint8_t> bytes(220, 0);
        for (int i = 0; i < 10; ++i) {
            WkInfo w{};
            const int n = part * 10 + i;
            w.hardware[5] = static_cast<std::uint8_t>(n);
            std::snprintf(w.name, sizeof w.name, "ws%d", n);
            w.address[0] = 127;
            w.address[3] = static_cast<std::uint8_t>(130 + n);
            w.reserve = 1;
            IPSConvStationToByte(bytes.data() + i * 22, &w, 22);
        }
        f.set(0x3501 + part, {Type::OctetString, 0, bytes});
    }
    dhcp_tmp_s first{};
    const auto second = f.model->get(0x1007, 0)->bytes;
    ASSERT_GT(IPSConvByteToDHCPTable(&first, second.data(), second.size()), 0);
    EXPECT_EQ(first.address[3], 130 + 17) << "the 18th lease starts the second variable";
    EXPECT_EQ(leases(*f.model).size(), 23u) << "20 reserved and 3 dynamic";
}

TEST(RouterModel, AddressAssignment) {
    struct Row {
        const char* name;
        Ipv4 address;
        Ipv4 netmask;
        bool accepted;
    };
    const Row rows[] = {
        {"loopback host", 0x7f000030, 0xffffff00, true},
        {"outside loopback", 0x0a000005, 0xffffff00, false},
        {"network address", 0x7f000000, 0xffffff00, false},
        {"broadcast address", 0x7f0000ff, 0xffffff00, false},
        {"all zero", 0, 0, false},
        {"holes in the mask", 0x7f000030, 0xff00ff00, false},
    };
    for (const Row& row : rows) {
        Fixture f(2);
        EXPECT_EQ(f.model->assignAddress(row.address, row.netmask), row.accepted) << row.name;
        EXPECT_EQ(f.model->restarting(), row.accepted) << row.name;
        f.pass(Millis{3000});
        EXPECT_EQ(f.model->address(), row.accepted ? row.address : 0x7f000002u) << row.name;
    }
}

} // namespace
} // namespace routersim
