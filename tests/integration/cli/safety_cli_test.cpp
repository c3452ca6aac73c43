// tolvaro-cli as an attacker or a busy administrator would meet it: twin
// routers, many routers, an interrupt, a second writer, hidden secrets and
// snapshots that changed or belong to another router.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "device/snapshots.h"
#include "support/cli_fixture.h"

namespace tolvaro {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

class SafetyCliTest : public test::CliFixture {
protected:
    routersim::Router& addRouter(const std::string& name, const std::string& address,
                                 const std::string& password,
                                 std::optional<routersim::HardwareAddress> hardware = {}) {
        routersim::RouterConfig config;
        config.family = 2;
        config.name = name;
        config.address = address;
        config.password = password;
        config.hardware = hardware;
        return net.add(config);
    }
    std::string snapshotRoot() const { return (dir_ / "data" / "tolvaro" / "snapshots").string(); }
    static std::string hardwareOf(const routersim::Router& r) {
        return routersim::formatHardware(r.hardware());
    }
};

TEST_F(SafetyCliTest, TwinHardwareAddressesAreRefusedForEveryCommandWithTheCandidates) {
    const routersim::HardwareAddress cloned{0x02, 0x4B, 0x56, 0x00, 0x09, 0x02};
    routersim::Router& hq = addRouter("HQ", "127.0.0.141", "pw", cloned);
    routersim::Router& impostor = addRouter("HQ-copy", "127.0.0.142", "pw", cloned);
    ASSERT_EQ(cli("--password pw save 127.0.0.141 " + file("a.cfg")).status, 1);
    const routersim::Settings before = impostor.settings();
    for (const std::string& command : std::vector<std::string>{
             "save 02:4B:56:00:09:02 " + file("b.cfg"), "save HQ " + file("b.cfg"),
             "save 127.0.0.142 " + file("b.cfg"), "--yes load 02-4b-56-00-09-02 " + file("b.cfg"),
             "snapshots 127.0.0.141"}) {
        const CliRun run = cli("--password pw " + command);
        EXPECT_EQ(run.status, 1) << command << run.output;
        EXPECT_NE(run.output.find("2 routers announce the hardware address 02:4B:56:00:09:02:"),
                  std::string::npos)
            << command << run.output;
        EXPECT_NE(run.output.find("127.0.0.141 (HQ)"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("127.0.0.142 (HQ-copy)"), std::string::npos) << run.output;
    }
    EXPECT_FALSE(fs::exists(file("b.cfg")));
    EXPECT_EQ(impostor.settings(), before);
    EXPECT_FALSE(hq.restarting());
    // Discovery still lists both, so the conflict can be seen.
    const CliRun listed = cli("discover");
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.output.find("127.0.0.142"), std::string::npos) << listed.output;
}

// More routers than the desktop list's 32: the command line sees them all.
TEST_F(SafetyCliTest, FortyRoutersAreDiscoveredAndBackedUpByHardwareAddress) {
    std::string inventory;
    std::vector<routersim::Router*> routers;
    for (int i = 0; i < 40; ++i) {
        routers.push_back(
            &addRouter("R" + std::to_string(i), "127.0.2." + std::to_string(10 + i), ""));
        inventory += "[[router]]\nname = \"r" + std::to_string(i) + "\"\nhardware = \"" +
                     hardwareOf(*routers.back()) + "\"\n";
    }
    std::ofstream(file("inv.toml")) << inventory;
    ::chmod(file("inv.toml").c_str(), 0600);
    const CliRun found = cli("discover");
    EXPECT_EQ(found.status, 0);
    EXPECT_NE(found.output.find("R39\t127.0.2.49"), std::string::npos) << found.output;
    const CliRun run = cli("backup --jobs 8 --inventory " + file("inv.toml"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(device::SnapshotStore(snapshotRoot()).routers().size(), 40u);
    EXPECT_EQ(run.output.find("warning"), std::string::npos);
    EXPECT_EQ(run.output.find("readable"), std::string::npos) << "the inventory is private";
    ::chmod(file("inv.toml").c_str(), 0644);
    EXPECT_NE(cli("backup --inventory " + file("inv.toml")).output.find("readable by every user"),
              std::string::npos);
}

// The tool as a timer runs it: output to a file, the signal from outside.
TEST_F(SafetyCliTest, SigtermDuringALoadStopsBetweenWritesWithoutTheReset) {
    routersim::Router& router = addRouter("Office", "127.0.0.143", "pw");
    ASSERT_EQ(cli("--password pw save Office " + file("a.cfg")).status, 0);
    const routersim::Settings before = router.settings();
    // About 100 writes of 30 ms each: the signal lands in the middle.
    router.faults().setLatency(routersim::Millis(30));
    const std::string output = file("out.txt");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        const std::string port = std::to_string(net.discoveryPort());
        const std::string path = file("a.cfg");
        ::execl(test::cliPath().c_str(), "tolvaro-cli", "--discovery", "loopback",
                "--discovery-port", port.c_str(), "--password", "pw", "--yes", "--reset-wait", "0",
                "load", "Office", path.c_str(), nullptr);
        ::_exit(127);
    }
    // The snapshot line is out before the first write.
    std::string text;
    for (int i = 0; i < 3000 && text.find("snapshot: ") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(output);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_NE(text.find("snapshot: "), std::string::npos) << text;
    // Ten answers later the load is under way, however slow the machine, and
    // still far from its end.
    const int answered = router.faults().counts().replies;
    for (int i = 0; i < 3000 && router.faults().counts().replies < answered + 10; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(router.faults().counts().replies, answered + 10);
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    std::ifstream in(output);
    text.assign(std::istreambuf_iterator<char>(in), {});
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), 143) << text;
    EXPECT_NE(text.find("interrupted (SIGTERM) after write "), std::string::npos) << text;
    EXPECT_NE(text.find("the router was not reset"), std::string::npos) << text;
    EXPECT_NE(text.find("Its configuration from before is kept in " + snapshotRoot()),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("device reset finished"), std::string::npos) << text;
    EXPECT_FALSE(router.restarting());
    EXPECT_EQ(router.settings(), before) << "the file is the router's own";
}

TEST_F(SafetyCliTest, ASecondWriterIsRefusedWithWhoHoldsTheRouter) {
    routersim::Router& router = addRouter("Office", "127.0.0.144", "pw");
    ASSERT_EQ(cli("--password pw save Office " + file("a.cfg")).status, 0);
    device::SnapshotStore store(snapshotRoot());
    const std::string key = hardwareOf(router);
    std::string folder = key;
    std::replace(folder.begin(), folder.end(), ':', '-');
    const device::WriterLock held = store.lockWriter(folder, "tolvaro");
    ASSERT_TRUE(held.held());
    const CliRun run = cli("--password pw --yes --reset-wait 0 load Office " + file("a.cfg"));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("Another program is writing to the router " + folder +
                              ": tolvaro (PID " + std::to_string(::getpid()) + ") since "),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("snapshot:"), std::string::npos);
    EXPECT_FALSE(router.restarting());
}

TEST_F(SafetyCliTest, RawOutputHidesSecretsUnlessAsked) {
    addRouter("Office", "127.0.0.145", "s3cret-pw");
    ASSERT_EQ(cli("--password s3cret-pw save Office " + file("a.cfg")).status, 0);
    struct Row {
        std::string command;
        bool shows;
    };
    for (const Row& row : {Row{"show --raw " + file("a.cfg"), false},
                           Row{"--json show --raw " + file("a.cfg"), false},
                           Row{"show --raw --show-secrets " + file("a.cfg"), true}}) {
        const CliRun run = cli(row.command);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output.find("s3cret-pw") != std::string::npos, row.shows) << row.command;
    }
    EXPECT_NE(cli("show --raw " + file("a.cfg"))
                  .output.find("0x0106 (262) mode 0 type 4 length "
                               "9: (set)"),
              std::string::npos);
}

TEST_F(SafetyCliTest, AChangedOrForeignSnapshotIsNotRestoredWithoutForce) {
    routersim::Router& office = addRouter("Office", "127.0.0.146", "pw");
    routersim::Router& branch = addRouter("Branch", "127.0.0.147", "pw");
    std::ofstream(file("inv.toml")) << "[[router]]\nname = \"office\"\nhardware = \"" +
                                           hardwareOf(office) +
                                           "\"\npassword_env = \"PW\"\n[[router]]\nname = "
                                           "\"branch\"\nhardware = \"" +
                                           hardwareOf(branch) + "\"\npassword_env = \"PW\"\n";
    ASSERT_EQ(cli("backup --inventory " + file("inv.toml"), "PW=pw").status, 0);
    device::SnapshotStore store(snapshotRoot());
    std::string officeKey = hardwareOf(office);
    std::replace(officeKey.begin(), officeKey.end(), ':', '-');
    const std::string officeSnapshot = store.list(officeKey).at(0).path;
    // Off line: the index knows the router by its hardware address and name.
    toolOptions = "--discovery-port 9";
    for (const std::string& name : {hardwareOf(office), std::string("Office")}) {
        const CliRun listed = cli("snapshots " + name);
        EXPECT_EQ(listed.status, 0) << listed.output;
        EXPECT_NE(listed.output.find(officeSnapshot), std::string::npos) << listed.output;
    }
    toolOptions = "--password pw --yes --reset-wait 0";
    std::string branchKey = hardwareOf(branch);
    std::replace(branchKey.begin(), branchKey.end(), ':', '-');

    std::vector<std::uint8_t> kept;
    {
        std::ifstream in(officeSnapshot, std::ios::binary);
        kept.assign(std::istreambuf_iterator<char>(in), {});
    }
    struct Row {
        const char* name;
        const char* router;
        bool tampered;
        const char* force;
        int status;
        std::string words;
    };
    const Row table[] = {
        {"TamperedFile", "Office", true, "", 1,
         " is not the file that was kept: its SHA-256 differs from the one the snapshot index "
         "recorded, so it was changed since. Nothing was written. Use --force to restore it "
         "anyway."},
        {"OtherRoutersSnapshot", "Branch", false, "", 1,
         " is a snapshot of the router " + officeKey + ", not of this one (" + branchKey +
             "). Nothing was written."},
        {"GoodSnapshot", "Office", false, "", 0, "device reset finished"},
        {"TamperedButForced", "Office", true, "--force ", 0, "device reset finished"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> bytes = kept;
        if (row.tampered)
            std::copy_n("evil", 4, bytes.begin() + 18 + 1504 + 4);
        std::ofstream(officeSnapshot, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        routersim::Router& target = std::string(row.router) == "Office" ? office : branch;
        const routersim::Settings before = target.settings();
        const CliRun run = cli(std::string("restore --no-verify ") + row.force + row.router + " " +
                               officeSnapshot);
        EXPECT_EQ(run.status, row.status) << run.output;
        EXPECT_NE(run.output.find(row.words), std::string::npos) << run.output;
        EXPECT_EQ(target.restarting(), row.status == 0);
        if (row.status != 0) {
            EXPECT_EQ(target.settings(), before);
        }
        net.advance(6000); // a restart ends
    }
}

} // namespace
} // namespace tolvaro
