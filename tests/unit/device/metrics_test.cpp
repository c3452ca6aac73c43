#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/stat.h>

#include "device/metrics.h"

namespace tolvaro::device {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// Written by hand from the exposition format: a swapped label, a sample of
// an unknown value or a missing escape shows up as a differing line.
TEST(Metrics, TextHasEveryMetricOnceAndOnlyKnownSamples) {
    const std::vector<RouterSample> routers = {
        {"head-office", "02-4B-56-00-17-01", true, true, 4200, 7, 65, 60, false},
        {"branch", "02-4B-56-00-17-02", true, false, 0, 5, 50, std::nullopt, std::nullopt},
        {"far \"one\"\\\n", "", false, true, 99, 3, 65, 86400, true},
    };
    const std::string expected =
        "# HELP tolvaro_router_reachable 1 when the router answered the last status read.\n"
        "# TYPE tolvaro_router_reachable gauge\n"
        "tolvaro_router_reachable{router=\"head-office\",hardware=\"02-4B-56-00-17-01\"} 1\n"
        "tolvaro_router_reachable{router=\"branch\",hardware=\"02-4B-56-00-17-02\"} 1\n"
        "tolvaro_router_reachable{router=\"far \\\"one\\\"\\\\\\n\",hardware=\"\"} 0\n"
        "# HELP tolvaro_line_up 1 while the router's ISDN line is connected.\n"
        "# TYPE tolvaro_line_up gauge\n"
        "tolvaro_line_up{router=\"head-office\",hardware=\"02-4B-56-00-17-01\"} 1\n"
        "tolvaro_line_up{router=\"branch\",hardware=\"02-4B-56-00-17-02\"} 0\n"
        "# HELP tolvaro_line_up_seconds Seconds since this tool first saw the ISDN line up in "
        "an unbroken run of reads; 0 while it is down.\n"
        "# TYPE tolvaro_line_up_seconds gauge\n"
        "tolvaro_line_up_seconds{router=\"head-office\",hardware=\"02-4B-56-00-17-01\"} 4200\n"
        "tolvaro_line_up_seconds{router=\"branch\",hardware=\"02-4B-56-00-17-02\"} 0\n"
        "# HELP tolvaro_connection_log_lines Lines in the router's connection log.\n"
        "# TYPE tolvaro_connection_log_lines gauge\n"
        "tolvaro_connection_log_lines{router=\"head-office\",hardware=\"02-4B-56-00-17-01\"} 7\n"
        "tolvaro_connection_log_lines{router=\"branch\",hardware=\"02-4B-56-00-17-02\"} 5\n"
        "# HELP tolvaro_firmware_level Firmware level of the router, from its version text.\n"
        "# TYPE tolvaro_firmware_level gauge\n"
        "tolvaro_firmware_level{router=\"head-office\",hardware=\"02-4B-56-00-17-01\"} 65\n"
        "tolvaro_firmware_level{router=\"branch\",hardware=\"02-4B-56-00-17-02\"} 50\n"
        "# HELP tolvaro_snapshot_age_seconds Seconds since the newest snapshot of the router.\n"
        "# TYPE tolvaro_snapshot_age_seconds gauge\n"
        "tolvaro_snapshot_age_seconds{router=\"head-office\",hardware=\"02-4B-56-00-17-01\"} 60\n"
        "tolvaro_snapshot_age_seconds{router=\"far \\\"one\\\"\\\\\\n\",hardware=\"\"} 86400\n"
        "# HELP tolvaro_config_drift 1 when the router's configuration differs from its newest "
        "backup snapshot.\n"
        "# TYPE tolvaro_config_drift gauge\n"
        "tolvaro_config_drift{router=\"head-office\",hardware=\"02-4B-56-00-17-01\"} 0\n"
        "tolvaro_config_drift{router=\"far \\\"one\\\"\\\\\\n\",hardware=\"\"} 1\n";
    EXPECT_EQ(metricsText(routers), expected);
}

TEST(Metrics, LineUpCountsFromTheFirstReadThatSawItUp) {
    struct Read {
        int at; // seconds
        bool up;
        std::int64_t expected;
    };
    struct Row {
        const char* name;
        std::vector<Read> reads;
    };
    const Row rows[] = {
        {"UpFromTheFirstRead", {{0, true, 0}, {60, true, 60}, {180, true, 180}}},
        {"DownRestartsTheCount", {{0, true, 0}, {60, false, 0}, {120, true, 0}, {150, true, 30}}},
        {"ClockSetBackGivesNoNegative", {{100, true, 0}, {40, true, 0}}},
    };
    const auto t0 = std::chrono::system_clock::time_point{} + seconds(1'765'000'000);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineUpRecord record;
        for (const Read& r : row.reads)
            EXPECT_EQ(record.observe("02-4B-56-00-17-01", r.up, t0 + seconds(r.at)), r.expected);
    }
}

TEST(Metrics, LineUpRecordSurvivesARunAndDropsWhatDoesNotParse) {
    const fs::path dir = fs::path(testing::TempDir()) / "line-up-record";
    fs::remove_all(dir);
    const std::string path = (dir / "tolvaro" / "line-up").string();
    const auto t0 = std::chrono::system_clock::time_point{} + seconds(1'765'000'000);

    LineUpRecord first;
    first.observe("02-4B-56-00-17-01", true, t0);
    first.observe("02-4B-56-00-17-02", true, t0);
    first.observe("02-4B-56-00-17-02", false, t0);
    std::string error;
    ASSERT_TRUE(first.save(path, &error)) << error;
    {
        std::ofstream out(path, std::ios::app);
        out << "02-4B-56-00-17-03\t12x\n\t5\nno tab\n02-4B-56-00-17-04\t\n";
    }
    LineUpRecord next = LineUpRecord::load(path);
    EXPECT_EQ(next.observe("02-4B-56-00-17-01", true, t0 + seconds(90)), 90);
    // Down when saved, or a line that did not parse: counted from now.
    EXPECT_EQ(next.observe("02-4B-56-00-17-02", true, t0 + seconds(90)), 0);
    EXPECT_EQ(next.observe("02-4B-56-00-17-03", true, t0 + seconds(90)), 0);
    EXPECT_EQ(next.observe("02-4B-56-00-17-04", true, t0 + seconds(90)), 0);
    fs::remove_all(dir);
}

TEST(Metrics, NewFileIsReadableByTheCollectorAnExistingOneKeepsItsMode) {
    const fs::path dir = fs::path(testing::TempDir()) / "metrics-file";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto modeOf = [](const fs::path& p) {
        struct stat st {};
        EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
        return st.st_mode & 0777;
    };
    std::string error;
    ASSERT_TRUE(writeMetricsFile((dir / "new.prom").string(), "a 1\n", &error)) << error;
    EXPECT_EQ(modeOf(dir / "new.prom"), 0644u);
    std::ofstream(dir / "kept.prom") << "old\n";
    fs::permissions(dir / "kept.prom", fs::perms(0640));
    ASSERT_TRUE(writeMetricsFile((dir / "kept.prom").string(), "b 2\n", &error)) << error;
    EXPECT_EQ(modeOf(dir / "kept.prom"), 0640u);
    std::ifstream in(dir / "kept.prom");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "b 2\n");
    // Nothing but the two files: no temporary left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    fs::remove_all(dir);
}

} // namespace
} // namespace tolvaro::device
