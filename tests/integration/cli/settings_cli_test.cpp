// get, set, apply and address against simulated routers: the settings sheet
// run without a screen, so the pages' own checks and messages decide. These
// routers keep real time, restarting in 20 ms, since the read-back after
// the reset runs inside the tool, where no test can move a manual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "device/snapshots.h"
#include "support/cli_fixture.h"

namespace tolvaro {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

class SettingsCliTest : public test::CliFixture {
protected:
    SettingsCliTest() { toolOptions = "--reset-wait 100"; }

    routersim::Router& addRouter(int family, const std::string& name, const std::string& address) {
        routersim::RouterConfig config;
        config.family = family;
        config.name = name;
        config.address = address;
        config.snmpPort = 0;
        config.discoveryPort = net.discoveryPort();
        config.restartTime = routersim::Millis{20};
        config.dialDelay = routersim::Millis{0};
        routers_.push_back(std::make_unique<routersim::Router>(config));
        return *routers_.back();
    }

    void write(const char* name, const std::string& text) const {
        std::ofstream(dir_ / name) << text;
    }

    std::vector<std::unique_ptr<routersim::Router>> routers_;

    std::size_t snapshotCount() const {
        const fs::path root = dir_ / "data" / "tolvaro" / "snapshots";
        if (!fs::exists(root))
            return 0;
        std::size_t n = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            n += entry.path().extension() == ".cfg" ? 1 : 0;
        return n;
    }
};

TEST_F(SettingsCliTest, AKeyOfEveryPageIsSetAndReadBack) {
    addRouter(2, "Pages", "127.0.0.151");
    struct Row {
        const char* key;
        const char* value;
    };
    // Access Control holds only tables: its workstations are in the rows test.
    const Row rows[] = {
        {"quick_setup.account_name", "branch7"},
        {"option.remote_management", "on"},
        {"option.web_port", "8080"},
        {"lan.dns_2", "10.1.2.3"},
        {"dialin.idle_timeout", "15"},
        {"internet_application.exposed_computer", "on"},
        {"internet_application.exposed_address", "127.0.0.50"},
        {"lan_to_lan.enabled", "on"},
        {"lan_to_lan.remote_address", "10.9.0.0"},
        {"isdn.initial_string", "ATZ"},
        {"isdn.usage", "Always use 2 B Channels"},
    };
    std::string assignments, keys;
    for (const Row& row : rows) {
        assignments += std::string(" '") + row.key + "=" + row.value + "'";
        keys += std::string(" ") + row.key;
    }
    // LAN-to-LAN on asks to turn Internet Access off: --yes answers.
    const CliRun set = cli("--yes set Pages" + assignments);
    ASSERT_EQ(set.status, 0) << set.output;
    EXPECT_NE(set.output.find("LAN-toLAN cannot be used with Internet Access"), std::string::npos);
    EXPECT_NE(set.output.find("snapshot: "), std::string::npos) << set.output;
    EXPECT_EQ(snapshotCount(), 1u);

    const CliRun got = cli("--json get Pages" + keys);
    ASSERT_EQ(got.status, 0) << got.output;
    const auto json = nlohmann::json::parse(got.output);
    for (const Row& row : rows)
        EXPECT_EQ(json.value(row.key, "(missing)"), row.value) << row.key;
}

TEST_F(SettingsCliTest, RowsAreAddedEditedAndDeletedByKeyThroughTheDialogs) {
    routersim::Router& router = addRouter(2, "Rows", "127.0.0.158");
    const CliRun set =
        cli("set Rows "
            "'access_control.workstations[+]=name=lap\\,top,hardware_address=00-16-3E-00-00-07'"
            " 'internet_application.virtual_servers[web]=external_port=8080'"
            " 'dialin.users[carla]=delete'"
            " 'lan.routes[10.1.0.0]=delete'"
            " 'lan.routes[+]=name=office,destination=10.7.0.0,mask=255.255.0.0,"
            "gateway=127.0.0.250,metric=3,interface=WAN'");
    ASSERT_EQ(set.status, 0) << set.output;
    const CliRun got =
        cli("get Rows access_control.workstations internet_application.virtual_servers"
            " dialin.users lan.routes");
    ASSERT_EQ(got.status, 0) << got.output;
    struct Row {
        const char* name;
        const char* text;
        bool present;
    };
    const Row rows[] = {
        {"Added",
         "access_control.workstations[lap,top] = Name: lap,top, Group: Everyone, "
         "H/W Address: 00 : 16 : 3E : 00 : 00 : 07",
         true},
        {"EditedOneFieldOnly",
         "virtual_servers[web] = Enable: On, Name: web, Protocol: TCP, "
         "Ext. Port: 8080, Int. Port: 80",
         true},
        {"Deleted", "dialin.users[carla]", false},
        {"OthersKept", "dialin.users[bernd]", true},
        {"RouteDeleted", "lan.routes[10.1.0.0]", false},
        {"RouteAdded",
         "lan.routes[10.7.0.0] = Destination: 10 . 7 . 0 . 0, Mask: 255 . 255 . 0 . 0, "
         "Gateway: 127 . 0 . 0 . 250, Interface: WAN, Metric: 3",
         true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(got.output.find(row.text) != std::string::npos, row.present) << row.name << "\n"
                                                                               << got.output;

    // The dialog's own check refuses, and nothing is written.
    const routersim::Settings before = router.settings();
    const CliRun bad = cli("set Rows 'lan.routes[+]=name=bad,destination=10.7.0.300'");
    EXPECT_EQ(bad.status, 2) << bad.output;
    EXPECT_NE(bad.output.find("Destination Address error."), std::string::npos) << bad.output;
    EXPECT_EQ(cli("set Rows 'lan.routes[9.9.9.9]=delete'").status, 2);
    EXPECT_EQ(cli("set Rows 'lan.routes[+]=colour=red'").status, 2);
    EXPECT_EQ(router.settings(), before);
}

TEST_F(SettingsCliTest, ARefusalWritesNothingAndGivesThePagesText) {
    routersim::Router& router = addRouter(1, "Refuse", "127.0.0.152");
    const routersim::Settings before = router.settings();
    struct Row {
        const char* name;
        const char* assignment;
        const char* text;
    };
    const Row rows[] = {
        {"DnsOctetAbove255", "lan.dns_1=10.0.0.300", "DNS1 Address error."},
        {"DnsPartlyEmpty", "quick_setup.dns=10.0.0", "Please fill each DNS field "},
        {"IdleTimeOutEmpty",
         "quick_setup.idle_timeout=", "Idle Time Limit should be 0-99, it will be changed to99"},
        {"IdleTimeOutTooLongForTheField", "quick_setup.idle_timeout=100", "at most 2 characters"},
        {"NotAChoice", "isdn.usage=sometimes", "is not one of the choices"},
        {"UnknownKey", "quick_setup.no_such=1", "unknown key"},
        // One bad value stops the good ones before it too.
        {"GoodThenBad", "isdn.initial_string=ATZ lan.dns_1=1.2.3.999", "DNS1 Address error."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run = cli(std::string("set Refuse ") + row.assignment);
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_NE(run.output.find(row.text), std::string::npos) << run.output;
        EXPECT_EQ(router.settings(), before);
    }
    EXPECT_EQ(snapshotCount(), 0u);
}

TEST_F(SettingsCliTest, AnotherWriterHoldingTheRouterStopsSetBeforeAnyWrite) {
    routersim::Router& router = addRouter(2, "Held", "127.0.0.163");
    const routersim::Settings before = router.settings();
    const auto hardware = router.hardware();
    const device::SnapshotStore store((dir_ / "data" / "tolvaro" / "snapshots").string());
    const device::WriterLock lock = store.lockWriter(
        device::routerKey(std::span<const std::uint8_t, 6>(hardware.data(), 6), "127.0.0.163"),
        "a test");
    ASSERT_TRUE(lock.held()) << lock.error();

    const CliRun run = cli("set Held isdn.initial_string=ATZ");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("a test"), std::string::npos) << run.output;
    EXPECT_EQ(router.settings(), before);
}

TEST_F(SettingsCliTest, TheLinkQuestionIsAnsweredOnlyByYes) {
    routersim::Router& router = addRouter(2, "Busy", "127.0.0.153");
    ASSERT_EQ(cli("dial Busy --poll-interval 1").status, 0);
    const routersim::Settings before = router.settings();

    const CliRun refused = cli("set Busy isdn.outgoing_msn=12345");
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_NE(refused.output.find("The ISDNLink is in use."), std::string::npos);
    EXPECT_EQ(router.settings(), before);
    EXPECT_TRUE(router.linkUp());

    const CliRun yes = cli("--yes set Busy isdn.outgoing_msn=12345");
    EXPECT_EQ(yes.status, 0) << yes.output;
    EXPECT_NE(cli("get Busy isdn.outgoing_msn").output.find("= 12345"), std::string::npos);
}

TEST_F(SettingsCliTest, ApplyIsIdempotentAndDryRunWritesNothing) {
    routersim::Router& router = addRouter(2, "Branch", "127.0.0.154");
    write("base.toml", "[lan]\ndns_1 = \"192.0.2.1\"\ndns_2 = \"192.0.2.2\"\n");
    write("branch.toml", "include = [\"base.toml\"]\nquick_setup.idle_timeout = 420\n"
                         "lan.dns_2 = \"192.0.2.9\"\nlan.dhcp_server = true\n");

    const routersim::Settings before = router.settings();
    const CliRun dry = cli("--json apply Branch " + file("branch.toml") + " --dry-run");
    EXPECT_EQ(dry.status, 1) << dry.output;
    const auto plan = nlohmann::json::parse(dry.output);
    EXPECT_EQ(plan["changed"], true);
    EXPECT_EQ(plan["snapshot"], nullptr);
    // The including file wins over the included one.
    bool sawDns2 = false;
    for (const auto& d : plan["differences"])
        if (d["key"] == "lan.dns_2") {
            sawDns2 = true;
            EXPECT_EQ(d["after"], "192.0.2.9");
            EXPECT_EQ(d["name"], "LAN / DNS IP Address 2.");
        }
    EXPECT_TRUE(sawDns2) << dry.output;
    EXPECT_EQ(router.settings(), before);
    EXPECT_EQ(snapshotCount(), 0u);

    const CliRun first = cli("--json apply Branch " + file("branch.toml"));
    ASSERT_EQ(first.status, 0) << first.output;
    const auto applied = nlohmann::json::parse(first.output);
    EXPECT_EQ(applied["changed"], true);
    EXPECT_TRUE(applied["snapshot"].is_string());
    EXPECT_EQ(snapshotCount(), 1u);

    // With the line up, a write would ask about it and a reset would drop it.
    ASSERT_EQ(cli("dial Branch --poll-interval 1").status, 0);
    const routersim::Settings appliedSettings = router.settings();
    const CliRun second = cli("--json apply Branch " + file("branch.toml"));
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_EQ(nlohmann::json::parse(second.output)["changed"], false);
    EXPECT_EQ(router.settings(), appliedSettings);
    EXPECT_TRUE(router.linkUp());
    EXPECT_EQ(snapshotCount(), 1u);
    EXPECT_EQ(cli("apply Branch " + file("branch.toml")).output, "no changes\n");
}

TEST_F(SettingsCliTest, ApplyMakesTablesHoldTheRowsTheStateLists) {
    addRouter(2, "Tables", "127.0.0.162");
    write("rows.toml", "[lan.routes.\"10.8.0.0\"]\nname = \"lab8\"\nmask = \"255.255.0.0\"\n"
                       "gateway = \"127.0.0.249\"\nmetric = 4\n"
                       "[lan.routes]\n\"172.16.5.0\" = \"absent\"\n"
                       "[access_control.workstations.scanner]\n"
                       "hardware_address = \"00:16:3e:00:00:09\"\n"
                       "[internet_application.virtual_servers.mail]\nexternal_port = 2525\n");
    const CliRun first = cli("--json apply Tables " + file("rows.toml"));
    ASSERT_EQ(first.status, 0) << first.output;
    std::set<std::string> keys;
    const auto plan = nlohmann::json::parse(first.output);
    for (const auto& d : plan["differences"])
        keys.insert(d["key"].get<std::string>());
    for (const char* key : {"lan.routes[10.8.0.0].metric", "lan.routes[172.16.5.0]",
                            "access_control.workstations[scanner].hardware_address",
                            "internet_application.virtual_servers[mail].external_port"})
        EXPECT_EQ(keys.count(key), 1u) << key << "\n" << first.output;
    // Only the field that differs: the server's other fields stay as they were.
    EXPECT_EQ(keys.count("internet_application.virtual_servers[mail].internal_port"), 0u);

    const CliRun rows = cli("get Tables lan.routes internet_application.virtual_servers");
    EXPECT_NE(rows.output.find("lan.routes[10.8.0.0] = Destination: 10 . 8 . 0 . 0"),
              std::string::npos)
        << rows.output;
    EXPECT_EQ(rows.output.find("lan.routes[172.16.5.0]"), std::string::npos) << rows.output;
    EXPECT_NE(rows.output.find("Ext. Port: 2525, Int. Port: 25,"), std::string::npos);

    // A hardware address in another spelling is the same address.
    EXPECT_EQ(cli("apply Tables " + file("rows.toml")).output, "no changes\n");
}

TEST_F(SettingsCliTest, AnInventoryGetsOneLineEachAndFailuresAreNamed) {
    addRouter(2, "East", "127.0.0.159");
    addRouter(2, "West", "127.0.0.160");
    write("state.toml", "lan.dns_3 = \"192.0.2.33\"\n");
    write("inventory.toml", "[[router]]\nname = \"east\"\nhardware = \"02-4B-56-00-00-9F\"\n"
                            "[[router]]\nname = \"west\"\nhardware = \"02-4B-56-00-00-A0\"\n"
                            "[[router]]\nname = \"gone\"\nhardware = \"02-4B-56-00-00-FE\"\n");
    const std::string command =
        "apply --inventory " + file("inventory.toml") + " " + file("state.toml") + " --jobs 2";
    const CliRun first = cli(command);
    EXPECT_EQ(first.status, 1) << first.output;
    EXPECT_NE(first.output.find("east: changed 1 setting(s)\n"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find("west: changed 1 setting(s)\n"), std::string::npos);
    EXPECT_NE(first.output.find("gone: failed: "), std::string::npos);
    EXPECT_NE(first.output.find("failed: gone\n"), std::string::npos);

    const CliRun second = cli(command);
    EXPECT_NE(second.output.find("east: no changes\n"), std::string::npos) << second.output;
    EXPECT_NE(second.output.find("west: no changes\n"), std::string::npos);
}

// The password is the community: the read-back after the restart must use
// the new one, or a change that took would be reported as lost.
TEST_F(SettingsCliTest, ANewAdministratorPasswordIsReadBackWithItself) {
    addRouter(2, "Locked", "127.0.0.161");
    write("pw.toml", "option.administrator_password = \"n3w\"\nisdn.initial_string = \"ATZ\"\n");
    const CliRun first = cli("apply Locked " + file("pw.toml"));
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_NE(first.output.find("Option / Administrator Password: empty -> set"), std::string::npos)
        << first.output;
    EXPECT_EQ(first.output.find("n3w"), std::string::npos) << "a secret was shown";
    const CliRun again = cli("--password n3w apply Locked " + file("pw.toml"));
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(again.output, "no changes\n");
}

TEST_F(SettingsCliTest, AnUnknownKeyInAStateIsRefusedBeforeAnyRead) {
    routersim::Router& router = addRouter(2, "Strict", "127.0.0.155");
    write("bad.toml", "quick_setup.idle_timeout = 7\nquick_setup.idle_timout = 8\n");
    const int repliesBefore = router.faults().counts().replies;
    const CliRun run = cli("--json apply Strict " + file("bad.toml"));
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("\"error\": \"unknown key quick_setup.idle_timout"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(router.faults().counts().replies, repliesBefore);
}

TEST_F(SettingsCliTest, ReaddressThenStatusAtTheNewAddress) {
    addRouter(2, "Moved", "127.0.0.156");
    const CliRun refused = cli("address Moved 127.0.0.256");
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_NE(refused.output.find("IP Address error."), std::string::npos) << refused.output;

    const CliRun moved = cli("address Moved 127.0.0.157 255.255.255.0");
    ASSERT_EQ(moved.status, 0) << moved.output;
    EXPECT_NE(moved.output.find("found Moved at 127.0.0.157"), std::string::npos) << moved.output;
    const CliRun status = cli("--json status 127.0.0.157");
    ASSERT_EQ(status.status, 0) << status.output;
    EXPECT_EQ(nlohmann::json::parse(status.output)["router"], "Moved");
}

} // namespace
} // namespace tolvaro
