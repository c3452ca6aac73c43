// Net-SNMP's own command-line tools read and write a simulated router: the
// responder speaks plain SNMPv1, not just whatever our library accepts.
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <ipslan/wire.h>

#include "routersim/router.h"
#include "support/loopback.h"

namespace {

struct ToolResult {
    int status = -1;
    std::string output;
};

class NetSnmpTools : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v snmpget >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "Net-SNMP tools (package snmp) are not installed";
        }
        routersim::RouterConfig c;
        c.address = loopback::randomNetwork() + "5";
        c.password = "secret";
        c.snmpPort = 0;
        c.discoveryPort = loopback::freeUdpPort();
        router = std::make_unique<routersim::Router>(c);
    }

    static std::string oid(int variable, int mode = 0) {
        const auto id = *ipslan::wire::variableOid(variable, mode);
        return ipslan::wire::oidToText(id);
    }

    // Runs a tool against the router, numeric output, no MIBs, and no
    // configuration or persistent files outside the scratch directory.
    // The wait is long unless no answer is expected: an answer ends it.
    ToolResult run(const std::string& tool, const std::string& community,
                   const std::string& arguments, const char* wait = "10") {
        const std::string command = "SNMPCONFPATH=" + dir.path().string() +
                                    " SNMP_PERSISTENT_DIR=" + dir.path().string() + " " + tool +
                                    " -v1 -c " + community + " -t " + wait +
                                    " -r 0 -m '' -M /dev/null -On -Oe " + router->address() + ":" +
                                    std::to_string(router->snmpPort()) + " " + arguments + " 2>&1";
        ToolResult result;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return result;
        }
        std::array<char, 512> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
            result.output += buffer.data();
        }
        result.status = ::pclose(pipe);
        return result;
    }

    loopback::TempDir dir;
    std::unique_ptr<routersim::Router> router;
};

TEST_F(NetSnmpTools, SnmpgetReadsTextAndIntegers) {
    const auto r = run("snmpget", "secret", oid(0x0104) + " " + oid(0x4024) + " " + oid(0x4017, 1));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find(oid(0x0104) + " = STRING: \"6.5 (240918-07)\""), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find(oid(0x4024) + " = INTEGER: 300"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(oid(0x4017, 1) + " = INTEGER: 2"), std::string::npos) << r.output;
}

TEST_F(NetSnmpTools, SnmpsetWritesAndTheRouterKeepsIt) {
    const auto r = run("snmpset", "secret", oid(0x4024) + " i 900 " + oid(0x4002) + " s tool@isp");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(router->value(0x4024)->integer, 900);
    EXPECT_EQ(router->value(0x4002)->text(), "tool@isp");
}

TEST_F(NetSnmpTools, SnmpsetOfTheWrongTypeIsRefused) {
    const auto r = run("snmpset", "secret", oid(0x4024) + " s 900");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("badValue"), std::string::npos) << r.output;
    EXPECT_EQ(router->value(0x4024)->integer, 300);
}

TEST_F(NetSnmpTools, WrongCommunityGetsNoAnswer) {
    const auto r = run("snmpget", "public", oid(0x0104), "0.3");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("Timeout"), std::string::npos) << r.output;
}

TEST_F(NetSnmpTools, SnmpwalkListsTheIncomingProfile) {
    const auto r = run("snmpwalk", "secret", "1.3.6.1.4.1.32473.1.1");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find(oid(0x4018, 1) + " = INTEGER: 10"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find(".1.3.6.1.4.1.32473.1.0."), std::string::npos) << "mode 1 only";
}

} // namespace
