// tolvaro-cli against routers reached by remote management and against an
// inventory of several routers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "support/cli_fixture.h"

namespace tolvaro {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class FleetCliTest : public test::CliFixture {
protected:
    // Answers end the wait; a run that expects none sets a brief one.
    FleetCliTest() { toolOptions = kAnswerWait; }
    static constexpr const char* kAnswerWait = "--timeout 10000 --retries 0";
    static constexpr const char* kBriefWait = "--timeout 150 --retries 0";

    routersim::Router& lanRouter(const std::string& name, const std::string& address,
                                 const std::string& password) {
        routersim::RouterConfig config;
        config.name = name;
        config.address = address;
        config.password = password;
        return net.add(config);
    }

    // A router discovery does not reach: it listens for discovery on a port
    // of its own, so only its SNMP address and port lead to it.
    routersim::Router& remoteRouter(const std::string& address, const std::string& password) {
        routersim::RouterConfig config;
        config.name = "Branch";
        config.address = address;
        config.password = password;
        config.snmpPort = 0;
        config.discoveryPort = test::freeUdpPort();
        config.clock = net.clock();
        remote_ = std::make_unique<routersim::Router>(config);
        return *remote_;
    }

    void write(const char* name, const std::string& text) const {
        std::ofstream(dir_ / name) << text;
    }

    std::unique_ptr<routersim::Router> remote_;
};

TEST_F(FleetCliTest, RemoteTargetIsReachedWithoutDiscoveryWithTheDialogsMessages) {
    routersim::Router& router = remoteRouter("127.0.0.121", "pw");
    const std::string target = "127.0.0.121:" + std::to_string(router.snmpPort());

    EXPECT_EQ(cli("--password pw save 127.0.0.121 " + file("x.cfg")).status, 1);
    const CliRun saved = cli("--password pw save remote:" + target + " " + file("a.cfg"));
    ASSERT_EQ(saved.status, 0) << saved.output;
    EXPECT_EQ(fs::file_size(file("a.cfg")), 135378u + 1504u);
    const CliRun same = cli("--password pw --remote diff " + file("a.cfg") + " " + target);
    EXPECT_EQ(same.status, 0) << same.output;
    EXPECT_EQ(same.output, "");

    toolOptions = kBriefWait; // a wrong password gets no answer
    const CliRun wrong = cli("--password nope save remote:" + target + " " + file("b.cfg"));
    toolOptions = kAnswerWait;
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.output.find("Error - no response"), std::string::npos) << wrong.output;
    EXPECT_FALSE(fs::exists(file("b.cfg")));
    const CliRun noPort = cli("--password pw --remote save 127.0.0.121 " + file("b.cfg"));
    EXPECT_NE(noPort.output.find("Please Enter Port Number"), std::string::npos) << noPort.output;
    const CliRun longAddress =
        cli("--password pw save remote:127.000.000.121.0000:1 " + file("b.cfg"));
    EXPECT_NE(longAddress.output.find("at most 19 characters"), std::string::npos);
}

struct InventoryRow {
    const char* name;
    const char* toml;
    const char* says; // after "inv.toml"
};

class InventoryErrors : public FleetCliTest, public testing::WithParamInterface<InventoryRow> {};

TEST_P(InventoryErrors, NameTheLine) {
    write("inv.toml", GetParam().toml);
    const CliRun run = cli("backup --inventory " + file("inv.toml"));
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find(std::string("inv.toml") + GetParam().says), std::string::npos)
        << run.output;
}

constexpr const char* kLan = "hardware = \"00:A0:C5:00:00:01\"\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, InventoryErrors,
    testing::Values(
        InventoryRow{"Syntax", "[[router]]\nname = \"a\"\nhardware = \n", ":3:"},
        InventoryRow{"UnknownTopKey", "\ntitle = \"x\"\n", ":2: unknown key \"title\""},
        InventoryRow{"RouterNotAList", "[router]\nname = \"a\"\n", ":1: \"router\" must be"},
        InventoryRow{"UnknownRouterKey", "[[router]]\nname = \"a\"\npasword_env = \"P\"\n",
                     ":3: unknown key \"pasword_env\""},
        InventoryRow{"NumberForText", "[[router]]\nname = 5\n", ":2: name must be a text"},
        InventoryRow{"NoName", "[[router]]\nhardware = \"00:A0:C5:00:00:01\"\n",
                     ":1: a router without a name"},
        InventoryRow{"NameLeavesTheFolder", "[[router]]\nname = \"../a\"\n",
                     ":1: name \"../a\" names the backup files"},
        InventoryRow{"NameTwice",
                     "[[router]]\nname = \"a\"\nhardware = \"00:A0:C5:00:00:01\"\n"
                     "[[router]]\nname = \"a\"\nhardware = \"00:A0:C5:00:00:02\"\n",
                     ":4: name \"a\" is used twice (also on line 1)"},
        InventoryRow{"NoAddress", "[[router]]\nname = \"a\"\n", ":1: router \"a\" needs either"},
        InventoryRow{"BothAddresses",
                     "[[router]]\nname = \"a\"\nhardware = \"00:A0:C5:00:00:01\"\n"
                     "remote = \"127.0.0.1:161\"\n",
                     ":1: router \"a\" needs either"},
        InventoryRow{"BadHardware", "[[router]]\nname = \"a\"\nhardware = \"00:A0:C5\"\n",
                     ":3: hardware \"00:A0:C5\" is not a hardware address"},
        InventoryRow{"RemoteWithoutPort", "[[router]]\nname = \"a\"\nremote = \"127.0.0.1\"\n",
                     ":3: remote \"127.0.0.1\" (ADDRESS:PORT): Please Enter Port Number"},
        InventoryRow{"RemotePortTooHigh", "[[router]]\nname = \"a\"\nremote = \"1.2.3.4:65536\"\n",
                     ":3: remote \"1.2.3.4:65536\" (ADDRESS:PORT): The Port Number must be"},
        InventoryRow{"TwoPasswordSources",
                     "[[router]]\nname = \"a\"\nhardware = \"00:A0:C5:00:00:01\"\n"
                     "password_env = \"P\"\npassword_file = \"p\"\n",
                     ":1: router \"a\" has both"},
        InventoryRow{"Empty", "# nothing\n", ": no routers listed"}),
    [](const auto& info) { return info.param.name; });

TEST_F(FleetCliTest, BackupWritesEveryRouterThatAnswersAndNamesTheOneThatFailed) {
    routersim::Router& office = lanRouter("Office", "127.0.0.122", "pw");
    routersim::Router& open = lanRouter("Open", "127.0.0.123", "");
    routersim::Router& locked = lanRouter("Locked", "127.0.0.124", "right");
    routersim::Router& branch = remoteRouter("127.0.0.125", "bpw");
    auto lan = [](const char* name, const routersim::Router& r, const char* password) {
        char text[24];
        const auto h = r.hardware();
        std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", h[0], h[1], h[2], h[3],
                      h[4], h[5]);
        return "[[router]]\nname = \"" + std::string(name) + "\"\nhardware = \"" + text + "\"\n" +
               password + "\n";
    };
    // The remote branch keeps its password in a file beside the inventory;
    // the locked router's variable holds a wrong one.
    write("branch.pw", "bpw\n");
    write("inv.toml",
          lan("office", office, "password_env = \"OFFICE_PW\"") + lan("open", open, "") +
              lan("locked", locked, "password_env = \"LOCKED_PW\"") +
              "[[router]]\nname = \"branch\"\nremote = \"127.0.0.125:" +
              std::to_string(branch.snmpPort()) + "\"\npassword_file = \"branch.pw\"\n");
    const std::string environment = "OFFICE_PW=pw LOCKED_PW=wrong";
    const std::string out = file("out");

    const CliRun run =
        cli("backup --inventory " + file("inv.toml") + " --jobs 3 --to " + out, environment);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("locked: failed: Wrong Password"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("1 of 4 routers failed: locked"), std::string::npos);
    for (const char* name : {"office", "open", "branch"}) {
        EXPECT_NE(run.output.find(std::string(name) + ": saved "), std::string::npos) << name;
        EXPECT_EQ(fs::file_size(fs::path(out) / (std::string(name) + ".cfg")), 135378u + 1504u);
    }
    EXPECT_FALSE(fs::exists(fs::path(out) / "locked.cfg"));
    const std::string text = readText(fs::path(out) / "office.txt");
    EXPECT_NE(text.find("\nQuick Setup / Account Name: "), std::string::npos) << text;

    // The same routers give the same text, whatever order the workers took.
    const CliRun json =
        cli("--json backup --inventory " + file("inv.toml") + " --jobs 4 --to " + out, environment);
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(json.output.find("\"failed\": [\n    \"locked\"\n  ]"), std::string::npos)
        << json.output;
    EXPECT_EQ(readText(fs::path(out) / "office.txt"), text);
    const CliRun listed =
        cli("--password bpw snapshots remote:127.0.0.125:" + std::to_string(branch.snmpPort()));
    EXPECT_NE(listed.output.find("backup"), std::string::npos) << listed.output;
}

TEST_F(FleetCliTest, AWriteThatFailsMidRunLeavesTheOthersWholeAndNoTemporaries) {
    routersim::Router& office = lanRouter("Office", "127.0.0.126", "");
    routersim::Router& branch = remoteRouter("127.0.0.127", "");
    char hardware[24];
    const auto h = office.hardware();
    std::snprintf(hardware, sizeof hardware, "%02X:%02X:%02X:%02X:%02X:%02X", h[0], h[1], h[2],
                  h[3], h[4], h[5]);
    write("inv.toml", "[[router]]\nname = \"office\"\nhardware = \"" + std::string(hardware) +
                          "\"\n[[router]]\nname = \"branch\"\nremote = \"127.0.0.127:" +
                          std::to_string(branch.snmpPort()) + "\"\n");
    const fs::path out = file("out");
    fs::create_directories(out / "branch.txt"); // the branch's second file cannot be written
    // A crashed run's leftover, and a file of the user's that only looks alike.
    std::ofstream(out / ".office.cfg.4242.1a2b3c") << "half";
    std::ofstream(out / ".notes.backup") << "mine";
    fs::last_write_time(out / ".office.cfg.4242.1a2b3c",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));

    const CliRun run = cli("backup --inventory " + file("inv.toml") + " --to " + out.string());
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("branch: failed: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("office: saved "), std::string::npos) << run.output;
    EXPECT_EQ(fs::file_size(out / "office.cfg"), 135378u + 1504u);
    EXPECT_FALSE(readText(out / "office.txt").empty());
    std::vector<std::string> hidden;
    for (const auto& item : fs::recursive_directory_iterator(dir_))
        if (item.path().filename().string().front() == '.')
            hidden.push_back(item.path().filename().string());
    EXPECT_EQ(hidden, std::vector<std::string>{".notes.backup"});
}

} // namespace
} // namespace tolvaro
