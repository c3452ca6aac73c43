#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <fstream>
#include <thread>
#include <tuple>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ipslan/wire.h>

#include "device/catalogue.h"
#include "device/snapshots.h"
#include "support/cli_fixture.h"

namespace tolvaro {
namespace {

namespace fs = std::filesystem;
using test::cliPath;
using test::CliRun;

class CliTest : public test::CliFixture {
protected:
    routersim::Router& addRouter(int family, const std::string& name, const std::string& address,
                                 const std::string& password = {}) {
        routersim::RouterConfig config;
        config.family = family;
        config.name = name;
        config.address = address;
        config.password = password;
        return net.add(config);
    }
};

TEST_F(CliTest, DiscoverListsTheRouters) {
    addRouter(1, "CliOne", "127.0.0.81");
    addRouter(2, "CliTwo", "127.0.0.82", "pw");
    const CliRun text = cli("discover");
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.output.find("CliOne\t127.0.0.81\tfamily 1"), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("CliTwo\t127.0.0.82\tfamily 2"), std::string::npos);
    EXPECT_EQ(text.output.find("No compatible devices"), std::string::npos);
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

    const CliRun shown = cli("show --raw " + file("a.cfg"));
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.output.find("version: 6507"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("firmware level: 65"), std::string::npos);
    EXPECT_NE(shown.output.find("0x0104 (260) mode 0 type 4 length 15: \"6.5 (240918-07)\""),
              std::string::npos);
    EXPECT_NE(cli("--json show --raw " + file("a.cfg")).output.find("\"hex\": \"0x4024\""),
              std::string::npos);
    const CliRun named = cli("show " + file("a.cfg"));
    EXPECT_NE(named.output.find("Status / Firmware Version: \"6.5 (240918-07)\""),
              std::string::npos)
        << named.output;
    EXPECT_NE(named.output.find("Option / Administrator Password: (set)"), std::string::npos);
    EXPECT_EQ(named.output.find("\"pw\""), std::string::npos);

    const CliRun loaded =
        cli("--password pw --yes --reset-wait 0 load --no-verify Office " + file("a.cfg"));
    EXPECT_EQ(loaded.status, 0) << loaded.output;
    EXPECT_EQ(router.settings(), before);

    const CliRun same = cli("diff " + file("a.cfg") + " " + file("a.cfg"));
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.output, "");

    // One letter of the account name changed: named, and the status says so.
    fs::copy_file(file("a.cfg"), file("b.cfg"));
    {
        const int slot = *device::slotOf(device::Family::Two, 0x4002);
        std::fstream f(file("b.cfg"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(18 + slot * 1504 + 4);
        f.put('Z');
    }
    const CliRun differs = cli("diff " + file("a.cfg") + " " + file("b.cfg"));
    EXPECT_EQ(differs.status, 1);
    EXPECT_NE(differs.output.find("Quick Setup / Account Name"), std::string::npos)
        << differs.output;
    EXPECT_EQ(cli("diff --raw " + file("a.cfg") + " " + file("b.cfg")).status, 1);

    // The same bytes sent as another type are another value to the router.
    fs::copy_file(file("a.cfg"), file("c.cfg"));
    {
        const int slot = *device::slotOf(device::Family::Two, 0x4027);
        std::fstream f(file("c.cfg"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(18 + slot * 1504);
        f.put(4);
    }
    EXPECT_EQ(cli("diff --raw " + file("a.cfg") + " " + file("c.cfg")).status, 1);
}

// The routers restart on the network's manual clock, which does not move while
// the tool runs, so these loads skip the read-back (the safety tests cover it).
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
    EXPECT_EQ(dry.status, 1) << "something would change, as diff says it\n" << dry.output;
    EXPECT_EQ(dry.output.find("Firmware"), std::string::npos) << "the router keeps its own";
    EXPECT_NE(dry.output.find("Quick Setup / Account Name: "), std::string::npos) << dry.output;
    EXPECT_EQ(router.settings(), before);

    const CliRun loaded =
        cli("--password pw --yes --reset-wait 0 load --no-verify Office " + file("b.cfg"));
    ASSERT_EQ(loaded.status, 0) << loaded.output;
    net.advance(6000); // the restart ends
    EXPECT_NE(loaded.output.find("snapshot: " + (dir_ / "data" / "tolvaro" / "snapshots").string()),
              std::string::npos)
        << loaded.output;
    const CliRun listed = cli("--password pw snapshots Office");
    EXPECT_NE(listed.output.find("load"), std::string::npos) << listed.output;
    const CliRun changed = cli("--password pw diff " + file("a.cfg") + " Office");
    EXPECT_EQ(changed.status, 1) << changed.output;
    EXPECT_NE(changed.output.find("\"other\""), std::string::npos) << changed.output;

    // A later backup holds what the router holds now: restoring it would undo
    // nothing, so the default passes over it to the snapshot of the load.
    {
        device::SnapshotStore store((dir_ / "data" / "tolvaro" / "snapshots").string());
        const std::vector<std::string> routers = store.routers();
        ASSERT_EQ(routers.size(), 1u);
        std::ifstream in(file("b.cfg"), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        std::string error;
        ASSERT_TRUE(store.take(routers[0], device::SnapshotReason::Backup, {}, bytes, &error,
                               std::chrono::system_clock::now() + std::chrono::hours(1)))
            << error;
    }
    const CliRun restored = cli("--password pw --yes --reset-wait 0 restore --no-verify Office");
    ASSERT_EQ(restored.status, 0) << restored.output;
    EXPECT_NE(restored.output.find("-load.cfg"), std::string::npos) << restored.output;
    net.advance(6000);
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
    std::ofstream(file("empty.pw")).close();
    for (const char* name : {"short.cfg", "a.cfg", "absent.cfg", "empty.pw"}) {
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
    testing::Values(
        FailRow{"WrongPassword", "--password nope save Office a.cfg", 1, "Wrong Password"},
        FailRow{"NoPasswordNoTerminal", "save Office a.cfg", 1, "--password"},
        FailRow{"UnknownRouter", "--password pw save Nowhere a.cfg", 1, "Nowhere"},
        FailRow{"ShortFileRefused", "--password pw --yes load Office short.cfg", 1,
                "shorter than its layout"},
        FailRow{"LoadUnconfirmed", "--password pw load Office a.cfg", 1, "--yes"},
        FailRow{"ShowMissingFile", "show absent.cfg", 1, "absent.cfg"},
        FailRow{"UnknownCommand", "frobnicate", 2, "unknown command"},
        FailRow{"MissingArgument", "save Office", 2, "FILE is required"},
        FailRow{"DiffWithAMissingFile", "diff a.cfg absent.cfg", 2, "absent.cfg: no such file"},
        FailRow{"EmptyPasswordFile", "--password-file empty.pw save Office a.cfg", 1,
                "empty.pw is empty"},
        FailRow{"DiscoveryFindsNone", "--discovery-port 9 discover", 1, "No compatible devices"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CliTest, PasswordsComeFromAFileStandardInputOrTheEnvironment) {
    addRouter(2, "Office", "127.0.0.85", "pw");
    std::ofstream(file("pw.txt")) << "pw\n";
    const std::string pw = file("pw.txt");
    for (const auto& [shell, arguments, input] : {std::tuple<std::string, std::string, std::string>{
                                                      "", "--password-file " + pw, "/dev/null"},
                                                  {"", "--password-stdin", pw},
                                                  {"TOLVARO_PASSWORD=pw", "", "/dev/null"}}) {
        const CliRun run = cli(arguments + " save Office " + file("a.cfg"), shell, input);
        EXPECT_EQ(run.status, 0) << arguments << shell << run.output;
    }
}

TEST_F(CliTest, ANameSeveralRoutersCarryIsRefusedWithTheCandidates) {
    const routersim::Router& one = addRouter(2, "Twin", "127.0.0.86", "pw");
    const routersim::Router& two = addRouter(2, "Twin", "127.0.0.87", "pw");
    const CliRun run = cli("--password pw save Twin " + file("a.cfg"));
    EXPECT_EQ(run.status, 1);
    for (const routersim::Router* r : {&one, &two}) {
        EXPECT_NE(run.output.find(r->address() + "\t" + routersim::formatHardware(r->hardware())),
                  std::string::npos)
            << run.output;
    }
    EXPECT_FALSE(fs::exists(file("a.cfg")));
    const CliRun byHardware = cli("--password pw save " +
                                  routersim::formatHardware(two.hardware()) + " " + file("a.cfg"));
    EXPECT_EQ(byHardware.status, 0) << byHardware.output;
}

// The library refuses a value longer than the variable takes; the load and
// its dry run find it in the whole file before the first write.
TEST_F(CliTest, AValueTheLibraryCannotSendStopsTheLoadAndItsDryRun) {
    routersim::Router& router = addRouter(2, "Office", "127.0.0.88", "pw");
    ASSERT_EQ(cli("--password pw save Office " + file("a.cfg")).status, 0);
    // The ISP account name, 300 characters where the router takes 61.
    const int slot = *device::slotOf(device::Family::Two, 0x4002);
    std::fstream f(file("a.cfg"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(18 + slot * 1504 + 2);
    const char length[2] = {static_cast<char>(300 & 0xff), static_cast<char>(300 >> 8)};
    f.write(length, 2);
    f.write(std::string(300, 'a').data(), 300);
    f.close();
    const routersim::Settings before = router.settings();
    for (const auto& [command, status] :
         {std::pair<std::string, int>{"load --dry-run", 2}, {"--yes --reset-wait 0 load", 1}}) {
        const CliRun run = cli("--password pw " + command + " Office " + file("a.cfg"));
        EXPECT_EQ(run.status, status) << command << run.output;
        EXPECT_NE(run.output.find("nothing was written:\n  Quick Setup / Account Name, 0x4002 "
                                  "(mode 0): longer than the router takes"),
                  std::string::npos)
            << run.output;
        EXPECT_EQ(run.output.find("snapshot:"), std::string::npos) << run.output;
    }
    EXPECT_EQ(router.settings(), before);
    EXPECT_FALSE(router.restarting());
}

TEST_F(CliTest, ASaveOverAFileSizeLimitFailsAndLeavesNoTemporary) {
    addRouter(2, "Office", "127.0.0.89", "pw");
    const CliRun run = cli("--password pw save Office " + file("a.cfg"), "ulimit -f 16;");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("not saved"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::is_empty(dir_)) << "no temporary file with the passwords is left";
}

// A datagram from the LAN must not reach the terminal as control sequences.
TEST_F(CliTest, DiscoverEscapesControlCharactersInNames) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    // Answers one browse request, then stops (or gives up after 5 s).
    std::thread responder([fd] {
        pollfd wait{fd, POLLIN, 0};
        std::uint8_t buffer[512];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        if (::poll(&wait, 1, 5000) != 1)
            return;
        const ssize_t n =
            ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        const auto request = ipslan::wire::decodeBrowseRequest(
            {buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0))});
        if (!request)
            return;
        ipslan::wire::BrowseReply reply;
        reply.requestId = request->requestId;
        reply.name = "Evil\x1b[2J\nfake\x7f";
        reply.ip = *ipslan::wire::parseIpv4("127.0.0.1");
        reply.netmask = *ipslan::wire::parseIpv4("255.0.0.0");
        const auto bytes = ipslan::wire::encode(reply);
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    });
    const CliRun run =
        cli("--discovery 127.0.0.1:" + std::to_string(ntohs(local.sin_port)) + " discover");
    responder.join();
    ::close(fd);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("Evil\\x1b[2J\\nfake\\x7f\t127.0.0.1"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find('\x1b'), std::string::npos);
}

TEST_F(CliTest, HelpDocumentsEveryCommand) {
    const CliRun help = cli("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* command :
         {"discover", "save ROUTER FILE", "load ROUTER FILE", "show FILE", "diff FILE1 FILE2",
          "--password", "--password-file", "--password-stdin", "TOLVARO_PASSWORD", "--json"})
        EXPECT_NE(help.output.find(command), std::string::npos) << command;
}

} // namespace
} // namespace tolvaro
