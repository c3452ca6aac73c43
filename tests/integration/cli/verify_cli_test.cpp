// What a load reports after the router's restart, with the tool run in-process
// so that its waits move the simulated routers' clock, as the desktop tests'
// host does: each row is what the router did after the reset, and the exit
// status, words and time waited the tool gives for it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>

#include <ipslan/config.h>

#include "cli/cli.h"
#include "device/config_file.h"
#include "support/cli_fixture.h"

namespace tolvaro {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// The tool's clock: time passes only in its waits, and each wait moves the
// routers' clock on by as much.
class NetworkClock final : public device::WaitClock {
public:
    explicit NetworkClock(test::SimulatedNetwork& net) : net_(net) {}
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::time_point{} + waited;
    }
    void sleepFor(milliseconds duration) override {
        waited += duration;
        net_.advance(static_cast<int>(duration.count()));
        if (afterNextSleep)
            std::exchange(afterNextSleep, {})();
    }
    milliseconds waited{0};
    std::function<void()> afterNextSleep;

private:
    test::SimulatedNetwork& net_;
};

class VerifyCliTest : public test::CliFixture {
protected:
    test::CliRun here(const std::string& arguments) {
        std::vector<std::string> words{"tolvaro-cli", "--discovery", "loopback", "--discovery-port",
                                       std::to_string(net.discoveryPort())};
        std::istringstream split(arguments);
        for (std::string word; split >> word;)
            words.push_back(word);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);

        const ipslan::Timeouts timeouts = ipslan::timeouts();
        ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        std::ostringstream output;
        std::streambuf* out = std::cout.rdbuf(output.rdbuf());
        std::streambuf* err = std::cerr.rdbuf(output.rdbuf());
        const int status = cli::runCommandLine(static_cast<int>(words.size()), argv.data(), clock);
        std::cout.rdbuf(out);
        std::cerr.rdbuf(err);
        ::unsetenv("XDG_DATA_HOME");
        ipslan::setTimeouts(timeouts.timeoutMs, timeouts.retries);
        return {status, output.str()};
    }

    NetworkClock clock{net};
};

// A text setting of family 2's catalogue slot `slot` in a configuration file.
void setText(std::vector<std::uint8_t>& file, int slot, const char* text) {
    const std::size_t offset = 18 + static_cast<std::size_t>(slot) * sizeof(_snmp_packet);
    _snmp_packet entry = device::fileEntryAt(file, offset);
    device::setEntryText(entry, text);
    std::memcpy(file.data() + offset, &entry, sizeof entry);
}

constexpr int kAccountSlot = 1;   // 0x4002
constexpr int kPasswordSlot = 14; // 0x0106
const routersim::HardwareAddress kIntruder{0x02, 0x4B, 0x56, 0x00, 0x00, 0x99};

TEST_F(VerifyCliTest, LoadReportsWhatTheRouterDidAfterItsRestart) {
    // What the router does: after the reset, or before it comes to one.
    enum class After {
        ComesBack,
        KeepsItsOldAccount,
        NeverComesBack,
        IsReplaced,
        RefusesTheAccount,
        FallsSilentAtTheAccount,
        RefusesTheReset,
    };
    struct Row {
        const char* name;
        const char* address;
        After after;
        const char* password; // the file's administrator password
        int status;
        std::vector<std::string> words;
        int waitedMs; // the reset wait, then the wait for an answer
    };
    const Row table[] = {
        {"EverythingTook",
         "127.0.0.171",
         After::ComesBack,
         "pw",
         0,
         {"device reset finished\n"},
         6000},
        {"AValueDidNotTake",
         "127.0.0.172",
         After::KeepsItsOldAccount,
         "pw",
         1,
         {"did not take: Quick Setup / Account Name: the router has \"{account}\", sent "
          "\"branch7@isp.example\"\n",
          "the router restarted without every setting of "},
         6000},
        {"NeverCameBack",
         "127.0.0.173",
         After::NeverComesBack,
         "pw",
         1,
         {"After the restart the router did not answer at 127.0.0.173, and discovery did not "
          "find it elsewhere."},
         16000},
        {"AnotherRouterAnswers",
         "127.0.0.174",
         After::IsReplaced,
         "pw",
         1,
         {"After the restart another router (hardware address 02-4B-56-00-00-99) answered at "
          "127.0.0.174, and discovery did not find this one elsewhere."},
         6000},
        {"AValueWasRefused",
         "127.0.0.176",
         After::RefusesTheAccount,
         "pw",
         1,
         {"the router refused the value for Quick Setup / Account Name, 0x4002 (mode 0)\n",
          "the router restarted with only part of "},
         6000},
        {"SilentMidLoad",
         "127.0.0.177",
         After::FallsSilentAtTheAccount,
         "pw",
         1,
         {"the router stopped answering at Quick Setup / Account Name, 0x4002 (mode 0), write ",
          "nothing more was sent and the router was not reset. It may now hold part of "},
         0},
        {"ResetNotAcknowledged",
         "127.0.0.178",
         After::RefusesTheReset,
         "pw",
         1,
         {"the router did not acknowledge the reset. Its configuration from before is kept in "},
         0},
        {"PasswordChanged",
         "127.0.0.175",
         After::ComesBack,
         "n3w",
         0,
         {"the administrator password changed: the router now answers to the one in ",
          "device reset finished\n"},
         6000},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        routersim::RouterConfig config;
        config.name = std::string("R") + (row.address + 8);
        config.address = row.address;
        config.password = "pw";
        if (row.after == After::NeverComesBack || row.after == After::IsReplaced)
            config.restartTime = routersim::Millis{3'600'000};
        if (row.after == After::KeepsItsOldAccount)
            config.ignoredWrites = {0x4002};
        if (row.after == After::RefusesTheAccount)
            config.refusedWrites = {0x4002};
        if (row.after == After::RefusesTheReset)
            config.refusedWrites = {0x0001};
        routersim::Router& router = net.add(config);
        const std::string account = router.value(0x4002).value().text();
        if (row.after == After::FallsSilentAtTheAccount)
            router.faults().pauseAtWriteOf(0x4002);

        const std::string path = file("load.cfg");
        ASSERT_EQ(here("--password pw save " + std::string(row.address) + " " + path).status, 0);
        std::vector<std::uint8_t> bytes;
        {
            std::ifstream in(path, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        setText(bytes, kAccountSlot, "branch7@isp.example");
        setText(bytes, kPasswordSlot, row.password);
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));

        // Another router takes the address and port while this one is away.
        std::unique_ptr<routersim::Router> intruder;
        if (row.after == After::IsReplaced) {
            clock.afterNextSleep = [&] {
                routersim::RouterConfig other;
                other.name = "Intruder";
                other.address = row.address;
                other.password = "pw";
                other.hardware = kIntruder;
                other.snmpPort = router.snmpPort();
                other.discoveryPort = net.discoveryPort();
                other.clock = net.clock();
                intruder = std::make_unique<routersim::Router>(other);
            };
        }
        // Requests that are answered wait long; only what is sure to go
        // unanswered waits briefly, each silent ask costing real time.
        if (row.after == After::NeverComesBack)
            clock.afterNextSleep = [] {
                ipslan::setTimeouts(25, 0);
            };
        const std::string silence =
            row.after == After::FallsSilentAtTheAccount ? "--timeout 1000 --retries 0 " : "";
        clock.waited = milliseconds{0};
        const test::CliRun run = here(silence + "--password pw --yes --reset-wait 6000 load " +
                                      std::string(row.address) + " " + path);
        EXPECT_EQ(run.status, row.status) << run.output;
        for (std::string words : row.words) {
            if (const auto at = words.find("{account}"); at != std::string::npos)
                words.replace(at, 9, account);
            EXPECT_NE(run.output.find(words), std::string::npos) << words << "\n" << run.output;
        }
        EXPECT_EQ(run.output.find("device reset finished") != std::string::npos, row.status == 0)
            << run.output;
        EXPECT_EQ(clock.waited, milliseconds{row.waitedMs});

        // The snapshot says so when the load changed the password, never what to.
        std::string key = routersim::formatHardware(router.hardware());
        std::replace(key.begin(), key.end(), ':', '-');
        const auto kept =
            device::SnapshotStore((dir_ / "data" / "tolvaro" / "snapshots").string()).list(key);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].note, std::string(row.password) == "pw" ? "" : "password changed");
    }
}

} // namespace
} // namespace tolvaro
