#include "device/metrics.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "device/config_file.h"

namespace tolvaro::device {
namespace {

// A label value may hold any text; these three are the format's escapes.
std::string labelValue(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

struct Metric {
    const char* name;
    const char* help;
    // The value of one router, or nothing when it is not known.
    std::function<std::optional<std::int64_t>(const RouterSample&)> value;
};

std::optional<std::int64_t> whenRead(const RouterSample& r, std::int64_t value) {
    return r.reachable ? std::optional(value) : std::nullopt;
}

const std::vector<Metric>& metrics() {
    static const std::vector<Metric> list = {
        {"tolvaro_router_reachable", "1 when the router answered the last status read.",
         [](const RouterSample& r) {
             return std::optional<std::int64_t>(r.reachable ? 1 : 0);
         }},
        {"tolvaro_line_up", "1 while the router's ISDN line is connected.",
         [](const RouterSample& r) {
             return whenRead(r, r.lineUp ? 1 : 0);
         }},
        {"tolvaro_line_up_seconds",
         "Seconds since this tool first saw the ISDN line up in an unbroken run of reads; 0 "
         "while it is down.",
         [](const RouterSample& r) {
             return whenRead(r, r.lineUp ? r.lineUpSeconds : 0);
         }},
        {"tolvaro_connection_log_lines", "Lines in the router's connection log.",
         [](const RouterSample& r) {
             return whenRead(r, r.logLines);
         }},
        {"tolvaro_firmware_level", "Firmware level of the router, from its version text.",
         [](const RouterSample& r) {
             return r.reachable && r.firmwareLevel ? std::optional<std::int64_t>(*r.firmwareLevel)
                                                   : std::nullopt;
         }},
        {"tolvaro_snapshot_age_seconds", "Seconds since the newest snapshot of the router.",
         [](const RouterSample& r) {
             return r.snapshotAgeSeconds;
         }},
        {"tolvaro_config_drift",
         "1 when the router's configuration differs from its newest backup snapshot.",
         [](const RouterSample& r) {
             return r.drift ? std::optional<std::int64_t>(*r.drift ? 1 : 0) : std::nullopt;
         }},
    };
    return list;
}

std::int64_t unixSeconds(std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

} // namespace

std::string metricsText(std::span<const RouterSample> routers) {
    std::string out;
    for (const Metric& m : metrics()) {
        out += std::string("# HELP ") + m.name + " " + m.help + "\n";
        out += std::string("# TYPE ") + m.name + " gauge\n";
        for (const RouterSample& r : routers) {
            if (const auto value = m.value(r))
                out += std::string(m.name) + "{router=\"" + labelValue(r.router) +
                       "\",hardware=\"" + labelValue(r.hardware) + "\"} " + std::to_string(*value) +
                       "\n";
        }
    }
    return out;
}

bool writeMetricsFile(const std::string& path, const std::string& text, std::string* error) {
    // A replaced file keeps its mode, so a new one is made 0644 first (empty,
    // which a collector reads as no metrics) rather than the private 0600 of
    // a configuration file.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd >= 0) {
        ::fchmod(fd, 0644);
        ::close(fd);
    }
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return writeFileReplacing(path, bytes, error);
}

std::string LineUpRecord::defaultPath() {
    namespace fs = std::filesystem;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return (fs::path(data) / "tolvaro" / "line-up").string();
    if (const char* home = std::getenv("HOME"); home && *home)
        return (fs::path(home) / ".local" / "share" / "tolvaro" / "line-up").string();
    return {};
}

LineUpRecord LineUpRecord::load(const std::string& path) {
    LineUpRecord record;
    // A record of thousands of routers stays far below this.
    const auto bytes = readFileBytes(path, 1 << 20, nullptr);
    if (!bytes)
        return record;
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const auto tab = line.find('\t');
        if (tab == 0 || tab == std::string_view::npos)
            continue;
        const std::string_view number = line.substr(tab + 1);
        std::int64_t seconds = 0;
        const auto [at, fault] =
            std::from_chars(number.data(), number.data() + number.size(), seconds);
        if (fault == std::errc{} && at == number.data() + number.size() && !number.empty())
            record.since_[std::string(line.substr(0, tab))] = seconds;
    }
    return record;
}

std::int64_t LineUpRecord::observe(const std::string& hardware, bool up,
                                   std::chrono::system_clock::time_point now) {
    if (!up) {
        since_.erase(hardware);
        return 0;
    }
    const std::int64_t seconds = unixSeconds(now);
    const auto it = since_.emplace(hardware, seconds).first;
    // A clock set back must not give a negative up-time.
    return std::max<std::int64_t>(0, seconds - it->second);
}

bool LineUpRecord::save(const std::string& path, std::string* error) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::string text;
    for (const auto& [hardware, seconds] : since_)
        text += hardware + "\t" + std::to_string(seconds) + "\n";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return writeFileReplacing(path, bytes, error);
}

} // namespace tolvaro::device
