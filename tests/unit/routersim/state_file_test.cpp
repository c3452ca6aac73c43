// The router's state file: what it keeps, and that a damaged one is refused
// with a reason instead of being half read.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "routersim/state_file.h"

namespace routersim {
namespace {

ResolvedConfig config(int family) {
    RouterConfig c;
    c.family = family;
    c.address = "127.0.0.4";
    return *resolve(c).config;
}

TEST(StateFile, RoundTripKeepsEverySetting) {
    Settings settings = factorySettings(config(2));
    settings.address = 0x7f000063;
    settings.values[{0x4002, 0}] = Value::ofText("someone@isp");
    settings.values[{0x4017, 1}] = Value::ofInteger(-126);
    settings.values[{0x371b, 0}] = Value::ofBytes({0, 1, 0xff});
    const auto parsed = parseState(formatState(settings), factorySettings(config(2)));
    ASSERT_TRUE(parsed.settings) << parsed.error;
    EXPECT_EQ(*parsed.settings, settings);
}

TEST(StateFile, MissingValuesKeepFactorySettings) {
    const Settings factory = factorySettings(config(1));
    const auto parsed = parseState("tolvaro-routerd state 1\nfamily 1\n"
                                   "value 0 4008 integer 42\n",
                                   factory);
    ASSERT_TRUE(parsed.settings) << parsed.error;
    EXPECT_EQ(parsed.settings->values.at({0x4008, 0}).integer, 42);
    EXPECT_EQ(parsed.settings->values.at({0x4002, 0}), factory.values.at({0x4002, 0}));
}

TEST(StateFile, RefusesDamagedFiles) {
    struct Row {
        const char* name;
        std::string text;
        const char* reason;
    };
    const std::string head = "tolvaro-routerd state 1\nfamily 2\n";
    const Row rows[] = {
        {"empty file", "", "empty"},
        {"other header", "something else\n", "not a tolvaro-routerd state file"},
        {"no family line", "tolvaro-routerd state 1\n", "family line is missing"},
        {"other family", "tolvaro-routerd state 1\nfamily 1\n", "family 1"},
        {"unknown variable", head + "value 0 7777 integer 1\n", "no stored variable 7777"},
        {"read-only variable", head + "value 0 0104 text 41\n", "no stored variable 0104"},
        {"wrong kind", head + "value 0 4008 text 41\n", "holds integer"},
        {"integer too big", head + "value 0 4008 integer 99999999999\n", "32-bit"},
        {"odd hex", head + "value 0 4002 text 414\n", "bad or over-long"},
        {"over-long", head + "value 0 401b text " + std::string(16, '4') + "\n",
         "bad or over-long"},
        {"bad address", head + "address 127.0.0.300\n", "not a dotted address"},
        {"address outside loopback", head + "address 10.0.0.1\n", "not a usable loopback"},
        {"garbage line", head + "hello\n", "line 3: cannot read"},
    };
    for (const Row& row : rows) {
        const auto parsed = parseState(row.text, factorySettings(config(2)));
        EXPECT_FALSE(parsed.settings) << row.name;
        EXPECT_NE(parsed.error.find(row.reason), std::string::npos)
            << row.name << ": " << parsed.error;
    }
}

TEST(StateFile, SavesAtomicallyAndLoadsBack) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "routersim-state-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto file = stateFilePath(dir, {0x02, 0x4b, 0x56, 0, 0, 4});
    EXPECT_EQ(file.filename(), "router-024b56000004.state");

    const Settings factory = factorySettings(config(2));
    auto missing = loadState(file, factory);
    EXPECT_FALSE(missing.settings);
    EXPECT_TRUE(missing.error.empty()) << "no file is not an error";

    Settings settings = factory;
    settings.values[{0x4008, 0}] = Value::ofInteger(7);
    ASSERT_EQ(saveState(file, settings), "");
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".tmp"));
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "the state holds the password";
    const auto loaded = loadState(file, factory);
    ASSERT_TRUE(loaded.settings) << loaded.error;
    EXPECT_EQ(*loaded.settings, settings);

    std::ofstream(file, std::ios::app) << "value 0 4008 integer x\n";
    const auto damaged = loadState(file, factory);
    EXPECT_FALSE(damaged.settings);
    EXPECT_NE(damaged.error.find(file.string()), std::string::npos) << "names the file";
    std::filesystem::remove_all(dir);
}

TEST(RouterConfig, RefusesUnusableConfigurations) {
    struct Row {
        const char* name;
        void (*change)(RouterConfig&);
        const char* reason;
    };
    const Row rows[] = {
        {"family 3", [](RouterConfig& c) { c.family = 3; }, "family"},
        {"address outside loopback", [](RouterConfig& c) { c.address = "192.168.1.1"; },
         "127.0.0.0/8"},
        {"loopback network address", [](RouterConfig& c) { c.address = "127.0.0.0"; }, "mask"},
        {"name too long", [](RouterConfig& c) { c.name = std::string(20, 'n'); }, "name"},
        {"password too long", [](RouterConfig& c) { c.password = std::string(13, 'p'); },
         "password"},
        {"firmware without digits after the point", [](RouterConfig& c) { c.firmware = "6.x"; },
         "digits"},
        {"firmware too short for the file version",
         [](RouterConfig& c) { c.firmware = "6.5 (2409)"; }, "digits"},
        {"firmware too long for discovery",
         [](RouterConfig& c) { c.firmware = "6.5 (240918-07) beta"; }, "1 to 15"},
    };
    for (const Row& row : rows) {
        RouterConfig c;
        row.change(c);
        const auto result = resolve(c);
        EXPECT_FALSE(result.config) << row.name;
        EXPECT_NE(result.error.find(row.reason), std::string::npos)
            << row.name << ": " << result.error;
    }
    EXPECT_EQ(formatHardware(resolve(RouterConfig{}).config->hardware), "02:4B:56:00:00:02");
    EXPECT_EQ(parseHardware("02-4b-56-00-00-02"), resolve(RouterConfig{}).config->hardware);
    EXPECT_FALSE(parseHardware("02:4b:56:00:00"));
    EXPECT_FALSE(parseHardware("02:4b:56:00:00:0g"));
}

} // namespace
} // namespace routersim
