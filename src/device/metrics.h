// The routers' state as metrics in the text exposition format, for a
// textfile collector that reads a directory of such files, and the record of
// when each router's ISDN line was first seen up.
//
// Every metric carries the labels router (the inventory name) and hardware
// (the hardware address, "02-4B-56-00-17-01"; empty when the router could
// not be read and the inventory gives none). A value that is not known (the
// line of a router that did not answer, the drift of a router without a
// backup) has no sample rather than a made-up one, so that an alert on it
// neither fires nor clears by accident.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace tolvaro::device {

struct RouterSample {
    std::string router;
    std::string hardware;
    bool reachable = false;
    // The rest is known only when the router answered.
    bool lineUp = false;
    std::int64_t lineUpSeconds = 0; // LineUpRecord::observe
    int logLines = 0;
    std::optional<int> firmwareLevel;
    // From the snapshot store, so known for an unreachable router too.
    std::optional<std::int64_t> snapshotAgeSeconds;
    // Whether the configuration differs from the newest backup snapshot;
    // nothing without one, or when the configuration could not be read.
    std::optional<bool> drift;
};

// The whole file: "# HELP" and "# TYPE" once for every metric, then its
// samples in the order of `routers`.
std::string metricsText(std::span<const RouterSample> routers);

// Writes the file through writeFileReplacing (temporary file in the same
// directory, fsync, rename), so that a collector never reads half a file. A
// new file is readable by everyone (0644): the collector runs as another
// user, and the file holds no secret.
bool writeMetricsFile(const std::string& path, const std::string& text, std::string* error);

// When each router's line was first seen up, kept between runs in a small
// file (one "HARDWARE<TAB>UNIX-SECONDS" line per router whose line is up).
// The routers' connection log carries no times, so this is the only honest
// source: the up-time counts from the first run that saw the line up, and a
// drop and redial between two runs goes unseen.
class LineUpRecord {
public:
    // $XDG_DATA_HOME/tolvaro/line-up, beside the snapshot store; empty when
    // neither XDG_DATA_HOME nor HOME is set.
    static std::string defaultPath();

    // A missing file is an empty record; lines that do not parse are
    // dropped (the worst outcome is an up-time counted anew).
    static LineUpRecord load(const std::string& path);

    // Records the line state of the router with this hardware address and
    // returns the seconds since its line was first seen up (0 while down).
    std::int64_t observe(const std::string& hardware, bool up,
                         std::chrono::system_clock::time_point now);

    bool save(const std::string& path, std::string* error) const;

private:
    std::map<std::string, std::int64_t> since_;
};

} // namespace tolvaro::device
