// status --prometheus against an inventory of simulated routers: one whose
// line was dialled, one that changed since its backup, one that is gone.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "device/config_file.h"
#include "device/snapshots.h"
#include "support/cli_fixture.h"

namespace tolvaro {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

class MetricsCliTest : public test::CliFixture {
protected:
    // An answer ends the wait: long enough for a loaded machine.
    MetricsCliTest() { toolOptions = "--timeout 10000 --retries 0"; }

    // An inventory line for a router on the LAN, and its label text.
    static std::string hardware(const routersim::Router& r, char separator) {
        char text[24];
        const auto h = r.hardware();
        std::snprintf(text, sizeof text, "%02X%c%02X%c%02X%c%02X%c%02X%c%02X", h[0], separator,
                      h[1], separator, h[2], separator, h[3], separator, h[4], separator, h[5]);
        return text;
    }
    routersim::Router& add(const char* name, const char* address) {
        routersim::RouterConfig config;
        config.name = name;
        config.address = address;
        config.dialDelay = routersim::Millis{0};
        return net.add(config);
    }
};

TEST_F(MetricsCliTest, EveryRouterGetsItsStateUnderItsNameAndHardwareAddress) {
    routersim::Router& up = add("Up", "127.0.0.151");
    routersim::Router& down = add("Down", "127.0.0.152");
    routersim::Router& drifted = add("Drifted", "127.0.0.153");
    std::string inventory;
    for (const auto& [name, router] :
         {std::pair{"up", &up}, {"down", &down}, {"drifted", &drifted}})
        inventory += "[[router]]\nname = \"" + std::string(name) + "\"\nhardware = \"" +
                     hardware(*router, ':') + "\"\n";
    inventory += "[[router]]\nname = \"gone\"\nhardware = \"02:4B:56:00:00:FF\"\n";
    std::ofstream(file("inv.toml")) << inventory;

    ASSERT_EQ(cli("backup --inventory " + file("inv.toml")).status, 1); // "gone" fails
    // Drifted's newest backup holds another account name than the router.
    ASSERT_EQ(cli("save Drifted " + file("d.cfg")).status, 0);
    auto bytes = *device::readFileBytes(file("d.cfg"), 1 << 20, nullptr);
    const std::uint8_t other[] = {5, 0, 'o', 't', 'h', 'e', 'r', 0}; // slot 1's entry
    std::copy(std::begin(other), std::end(other), bytes.begin() + 18 + 1504 + 2);
    std::string error;
    ASSERT_TRUE(
        device::SnapshotStore((dir_ / "data" / "tolvaro" / "snapshots").string())
            .take(hardware(drifted, '-'), device::SnapshotReason::Backup, {}, bytes, &error))
        << error;
    ASSERT_EQ(cli("dial Up --poll-interval 1").status, 0);

    const CliRun run = cli("status --inventory " + file("inv.toml") + " --jobs 3 --prometheus " +
                           file("tolvaro.prom"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("gone: no router with the hardware address"), std::string::npos)
        << run.output;
    std::ifstream in(file("tolvaro.prom"));
    std::stringstream text;
    text << in.rdbuf();
    const std::string metrics = text.str();

    struct Row {
        const char* metric;
        routersim::Router* router;
        const char* name;
        const char* value; // nullptr: no sample
    };
    const Row rows[] = {
        {"tolvaro_router_reachable", &up, "up", "1"},
        {"tolvaro_line_up", &up, "up", "1"},
        {"tolvaro_line_up", &down, "down", "0"},
        {"tolvaro_config_drift", &up, "up", "0"},
        {"tolvaro_config_drift", &drifted, "drifted", "1"},
        {"tolvaro_firmware_level", &down, "down", "65"},
        {"tolvaro_router_reachable", nullptr, "gone", "0"},
        {"tolvaro_line_up", nullptr, "gone", nullptr},
        {"tolvaro_config_drift", nullptr, "gone", nullptr},
    };
    for (const Row& row : rows) {
        const std::string sample =
            std::string(row.metric) + "{router=\"" + row.name + "\",hardware=\"" +
            (row.router ? hardware(*row.router, '-') : "02-4B-56-00-00-FF") + "\"} ";
        const auto at = metrics.find("\n" + sample);
        if (!row.value) {
            EXPECT_EQ(at, std::string::npos) << sample << "\n" << metrics;
            continue;
        }
        ASSERT_NE(at, std::string::npos) << sample << "\n" << metrics;
        EXPECT_EQ(metrics.substr(at + 1 + sample.size(),
                                 metrics.find('\n', at + 1) - at - 1 - sample.size()),
                  row.value)
            << sample;
    }
    struct stat st {};
    ASSERT_EQ(::stat(file("tolvaro.prom").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    const CliRun unwritable = cli("status --inventory " + file("inv.toml") + " --prometheus " +
                                  file("no/such/dir/tolvaro.prom"));
    EXPECT_EQ(unwritable.status, 1) << unwritable.output;
}

TEST_F(MetricsCliTest, HalfTheOptionsIsAUsageError) {
    std::ofstream(file("inv.toml"))
        << "[[router]]\nname = \"a\"\nhardware = \"02:4B:56:00:00:01\"\n";
    const struct {
        const char* arguments;
        const char* says;
    } rows[] = {
        {"status --inventory INV", "--inventory needs --prometheus FILE"},
        {"status Up --prometheus OUT", "not ROUTER"},
        {"status --prometheus OUT --inventory NONE", "no such inventory file"},
    };
    for (const auto& row : rows) {
        std::string arguments = row.arguments;
        for (const auto& [word, path] :
             {std::pair{"INV", file("inv.toml")}, {"OUT", file("t.prom")}, {"NONE", file("x")}})
            if (const auto at = arguments.find(word); at != std::string::npos)
                arguments.replace(at, std::string(word).size(), path);
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.output.find(row.says), std::string::npos) << run.output;
    }
    EXPECT_FALSE(fs::exists(file("t.prom")));
}

} // namespace
} // namespace tolvaro
