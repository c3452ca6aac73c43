// status, leases, dial and hangup against simulated routers. The routers'
// clock is the network's manual clock: a router whose dial delay is 0 is up
// at the first poll, one whose delay is an hour never comes up, and the
// tool's polls are made short so no test waits for real seconds. A router
// with a stuck line keeps it up against a hang-up.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/cli_fixture.h"

namespace tolvaro {
namespace {

using test::CliRun;

class LineCliTest : public test::CliFixture {
protected:
    routersim::Router& addRouter(const std::string& name, const std::string& address,
                                 routersim::Millis dialDelay, bool stuckLine = false) {
        routersim::RouterConfig config;
        config.name = name;
        config.address = address;
        config.dialDelay = dialDelay;
        config.stuckLine = stuckLine;
        return net.add(config);
    }
};

TEST_F(LineCliTest, DialAndHangUpGiveThePagesWordsAndStatuses) {
    routersim::Router& quick = addRouter("Quick", "127.0.0.141", routersim::Millis{0});
    routersim::Router& never = addRouter("Never", "127.0.0.142", routersim::Millis{3'600'000});
    routersim::Router& stuck = addRouter("Stuck", "127.0.0.145", routersim::Millis{0}, true);

    struct Step {
        const char* name;
        const char* command;
        int status;
        const char* words;
        bool lineUpAfter;
        routersim::Router* router;
    };
    const Step steps[] = {
        {"HangUpWithTheLineDown", "hangup Quick", 0, "Doesn't connect\n", false, &quick},
        {"DialThatComesUp", "dial Quick", 0, "Connect ISP successfully.\n", true, &quick},
        {"HangUpThatDrops", "hangup Quick", 0, "HangUp successfully\n", false, &quick},
        {"DialThatNeverComesUp", "dial Never", 1, "Fail to Connect!\n", false, &never},
        {"DialTheStuckLine", "dial Stuck", 0, "Connect ISP successfully.\n", true, &stuck},
        {"HangUpThatStaysUp", "hangup Stuck", 1, "Still connect\n", true, &stuck},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const CliRun run = cli(std::string(step.command) + " --poll-interval 1");
        EXPECT_EQ(run.status, step.status) << run.output;
        EXPECT_EQ(run.output, step.words);
        EXPECT_EQ(step.router->linkUp(), step.lineUpAfter);
    }
    // The dial command reached the router: it is still dialling.
    const CliRun log = cli("--json status Never");
    ASSERT_EQ(log.status, 0) << log.output;
    EXPECT_NE(log.output.find("Dialing"), std::string::npos) << log.output;
}

TEST_F(LineCliTest, StatusJsonHasTheAgreedShape) {
    addRouter("Branch", "127.0.0.143", routersim::Millis{0});
    ASSERT_EQ(cli("dial Branch --poll-interval 1").status, 0);
    const CliRun run = cli("--json status 127.0.0.143");
    ASSERT_EQ(run.status, 0) << run.output;
    const auto json = nlohmann::json::parse(run.output);
    EXPECT_EQ(json["router"], "Branch");
    EXPECT_EQ(json["address"], "127.0.0.143");
    // Derived from the address: locally administered, then 00-00-8F.
    EXPECT_EQ(json["hardware_address"], "02-4B-56-00-00-8F");
    EXPECT_EQ(json["firmware"], "6.5 (240918-07)");
    EXPECT_EQ(json["firmware_level"], 65);
    EXPECT_EQ(json["line_up"], true);
    EXPECT_NE(json["connection_status"].get<std::string>().find("connected"), std::string::npos);
    ASSERT_TRUE(json["connection_log"].is_array());
    EXPECT_NE(json["connection_log"].back().get<std::string>().find("Connected to ISP"),
              std::string::npos);

    EXPECT_EQ(cli("--json --timeout 100 --retries 0 status 127.0.0.199").status, 1);
}

TEST_F(LineCliTest, LeasesListTheTableWithTheDialogsWords) {
    addRouter("Leases", "127.0.0.144", routersim::Millis{0});
    const CliRun run = cli("leases Leases");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\t00-0A-95-9D-68-16\tReserve\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\tLeased\n"), std::string::npos) << run.output;
}

} // namespace
} // namespace tolvaro
