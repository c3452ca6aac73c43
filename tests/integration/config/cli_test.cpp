#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "support/simulated_network.h"

namespace tolvaro {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string output;
};

// The command-line tool is built next to the tests (build/src/tolvaro-cli).
fs::path cliPath() {
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" / "tolvaro-cli";
}

class CliTest : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cliPath()))
            GTEST_SKIP() << "build the tolvaro-cli target first";
        dir_ = fs::temp_directory_path() / ("tolvaro-cli-it-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    CliRun cli(const std::string& arguments) {
        // Snapshots go to the test's own directory, never the user's.
        const std::string command = "XDG_DATA_HOME=" + (dir_ / "data").string() + " " +
                                    cliPath().string() + " --discovery loopback --discovery-port " +
                                    std::to_string(net.discoveryPort()) + " " + arguments +
                                    " </dev/null 2>&1";
        CliRun run{-1, {}};
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return run;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.output.append(buffer, n);
        const int raw = ::pclose(pipe);
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return run;
    }

    routersim::Router& addRouter(int family, const std::string& name, const std::string& address,
                                 const std::string& password = {}) {
        routersim::RouterConfig config;
        config.family = family;
        config.name = name;
        config.address = address;
        config.password = password;
        return net.add(config);
    }

    std::string file(const char* name) const { return (dir_ / name).string(); }

    test::SimulatedNetwork net;
    fs::path dir_;
};

TEST_F(CliTest, DiscoverListsTheRouters) {
    addRouter(1, "CliOne", "127.0.0.81");
    addRouter(2, "CliTwo", "127.0.0.82", "pw");
    const CliRun text = cli("discover");
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.output.find("CliOne\t127.0.0.81\tfamily 1"), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("CliTwo\t127.0.0.82\tfamily 2"), std::string::npos);
    const CliRun json = cli("--json discover");
    EXPECT_NE(json.output.find("\"name\": \"CliTwo\""), std::string::npos) << json.output;
    EXPECT_NE(json.output.find("\"password\": true"), std::string::npos);
}

TEST_F(CliTest, SaveShowLoadAndDiffEndToEnd) {
    routersim::Router& router = addRouter(2, "Office", "127.0.0.83", "pw");
    const routersim::Settings before = router.settings();

    const CliRun saved = cli("--password pw save Office " + file("a.cfg"));
    ASSERT_EQ(saved.status, 0) << saved.output;
    EXPECT_EQ(fs::file_size(file("a.cfg")), 135378u + 1504u);

    const CliRun shown = cli("show " + file("a.cfg"));
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.output.find("version: 6507"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("firmware level: 65"), std::string::npos);
    EXPECT_NE(shown.output.find("0x0104 (260) mode 0 type 4 length 15: \"6.5 (240918-07)\""),
              std::string::npos);
    EXPECT_NE(cli("--json show " + file("a.cfg")).output.find("\"hex\": \"0x4024\""),
              std::string::npos);

    const CliRun loaded = cli("--password pw --yes --reset-wait 0 load Office " + file("a.cfg"));
    EXPECT_EQ(loaded.status, 0) << loaded.output;
    EXPECT_EQ(router.settings(), before);

    const CliRun same = cli("diff " + file("a.cfg") + " " + file("a.cfg"));
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.output, "");
}

TEST_F(CliTest, LoadKeepsASnapshotThatDiffAndRestoreUse) {
    routersim::Router& router = addRouter(2, "Office", "127.0.0.85", "pw");
    const routersim::Settings before = router.settings();
    ASSERT_EQ(cli("--password pw save Office " + file("a.cfg")).status, 0);
    // A changed copy: the account name of slot 1 (entry at 18 + 1504).
    ASSERT_EQ(cli("--password pw save Office " + file("b.cfg")).status, 0);
    {
        std::FILE* f = std::fopen(file("b.cfg").c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        std::fseek(f, 18 + 1504 + 2, SEEK_SET);
        const unsigned char entry[] = {5, 0, 'o', 't', 'h', 'e', 'r', 0};
        std::fwrite(entry, 1, sizeof entry, f);
        std::fclose(f);
    }

    const CliRun dry = cli("--password pw load --dry-run Office " + file("b.cfg"));
    EXPECT_EQ(dry.status, 0) << dry.output;
    EXPECT_NE(dry.output.find("Quick Setup / Account Name: "), std::string::npos) << dry.output;
    EXPECT_EQ(router.settings(), before);

    const CliRun loaded = cli("--password pw --yes --reset-wait 0 load Office " + file("b.cfg"));
    ASSERT_EQ(loaded.status, 0) << loaded.output;
    EXPECT_NE(loaded.output.find("snapshot: " + (dir_ / "data" / "tolvaro" / "snapshots").string()),
              std::string::npos)
        << loaded.output;
    const CliRun listed = cli("--password pw snapshots Office");
    EXPECT_NE(listed.output.find("load"), std::string::npos) << listed.output;
    const CliRun changed = cli("--password pw diff " + file("a.cfg") + " Office");
    EXPECT_EQ(changed.status, 1) << changed.output;
    EXPECT_NE(changed.output.find("\"other\""), std::string::npos) << changed.output;

    const CliRun restored = cli("--password pw --yes --reset-wait 0 restore Office");
    ASSERT_EQ(restored.status, 0) << restored.output;
    EXPECT_EQ(router.settings(), before);
    const CliRun same = cli("--password pw diff " + file("a.cfg") + " Office");
    EXPECT_EQ(same.status, 0) << same.output;
    EXPECT_EQ(same.output, "");
}

struct FailRow {
    const char* name;
    const char* arguments; // FILE stands for a saved file
    int status;
    const char* says;
};

class CliFailures : public CliTest, public testing::WithParamInterface<FailRow> {};

TEST_P(CliFailures, ExitNonZeroWithAClearMessage) {
    addRouter(2, "Office", "127.0.0.84", "pw");
    ASSERT_EQ(cli("--password pw save Office " + file("a.cfg")).status, 0);
    fs::copy_file(file("a.cfg"), file("short.cfg"));
    fs::resize_file(file("short.cfg"), 5000);
    std::string arguments = GetParam().arguments;
    for (const char* name : {"short.cfg", "a.cfg", "absent.cfg"}) {
        const auto at = arguments.find(name);
        if (at != std::string::npos)
            arguments.replace(at, std::string(name).size(), file(name));
    }
    const CliRun run = cli(arguments);
    EXPECT_EQ(run.status, GetParam().status) << run.output;
    EXPECT_NE(run.output.find(GetParam().says), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFailures,
    testing::Values(FailRow{"WrongPassword", "--password nope save Office a.cfg", 1,
                            "Wrong Password"},
                    FailRow{"NoPasswordNoTerminal", "save Office a.cfg", 1, "--password"},
                    FailRow{"UnknownRouter", "--password pw save Nowhere a.cfg", 1, "Nowhere"},
                    FailRow{"ShortFileRefused", "--password pw --yes load Office short.cfg", 1,
                            "shorter than its layout"},
                    FailRow{"LoadUnconfirmed", "--password pw load Office a.cfg", 1, "--yes"},
                    FailRow{"ShowMissingFile", "show absent.cfg", 1, "absent.cfg"},
                    FailRow{"UnknownCommand", "frobnicate", 2, "unknown command"},
                    FailRow{"MissingArgument", "save Office", 2, "save needs ROUTER and FILE"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CliTest, HelpDocumentsEveryCommand) {
    const CliRun help = cli("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"discover", "save ROUTER FILE", "load ROUTER FILE", "show FILE",
                                "diff FILE1 FILE2", "--password", "--json"})
        EXPECT_NE(help.output.find(command), std::string::npos) << command;
}

} // namespace
} // namespace tolvaro
