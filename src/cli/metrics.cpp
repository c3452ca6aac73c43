#include "cli/metrics.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include <ipslan/config.h>

#include "cli/inventory.h"
#include "device/catalogue.h"
#include "device/config_file.h"
#include "device/device_record.h"
#include "device/fetch.h"
#include "device/line_control.h"
#include "device/metrics.h"
#include "device/setting_names.h"

namespace tolvaro::cli {
namespace {

using Clock = std::chrono::system_clock;

// The snapshot store's folder name of a router: its hardware address with
// '-' between the pairs, as the inventory's "00:A0:C5:..." is not.
std::string storeKey(std::string hardware) {
    std::replace(hardware.begin(), hardware.end(), ':', '-');
    return hardware;
}

int logLineCount(const std::string& log) {
    int count = 0;
    bool inLine = false;
    for (const char c : log) {
        if (c == '\n') {
            count += inLine ? 1 : 0;
            inLine = false;
        } else if (c != '\r') {
            inLine = true;
        }
    }
    return count + (inLine ? 1 : 0);
}

class MetricsRun {
public:
    MetricsRun(std::vector<InventoryRouter> routers, Clock::time_point now)
        : routers_(std::move(routers)), samples_(routers_.size()), errors_(routers_.size()),
          now_(now) {}

    int run(Context& context, const std::string& file, int jobs) {
        options_ = context.options;
        if (std::any_of(routers_.begin(), routers_.end(),
                        [](const InventoryRouter& r) { return !r.remote; }))
            lan_ = discover(context.link());
        else
            context.link();
        std::vector<std::thread> workers;
        const int count = std::min<int>(jobs, static_cast<int>(routers_.size()));
        for (int i = 0; i < count; ++i)
            workers.emplace_back([this] { work(); });
        for (std::thread& t : workers)
            t.join();

        // The up-times, from the record of earlier runs; a router that did
        // not answer keeps its entry, as its line may well still be up.
        const std::string recordPath = device::LineUpRecord::defaultPath();
        device::LineUpRecord record = device::LineUpRecord::load(recordPath);
        for (device::RouterSample& s : samples_) {
            if (s.reachable)
                s.lineUpSeconds = record.observe(s.hardware, s.lineUp, now_);
        }
        std::string error;
        if (!recordPath.empty() && !record.save(recordPath, &error))
            warn("the line up-times are not kept: " + escaped(error));

        for (std::size_t i = 0; i < routers_.size(); ++i) {
            if (!errors_[i].empty())
                warn(escaped(routers_[i].name) + ": " + errors_[i]);
        }
        if (!device::writeMetricsFile(file, device::metricsText(samples_), &error)) {
            warn(escaped(error));
            return kExitFailed;
        }
        return kExitOk;
    }

private:
    void work() {
        // Each worker reaches its routers with their own community and port.
        ipslan::keepTargetToThisThread();
        const auto link = device::makeLibraryLink();
        for (std::size_t i = next_++; i < routers_.size(); i = next_++) {
            device::RouterSample& s = samples_[i];
            s.router = routers_[i].name;
            s.hardware = storeKey(routers_[i].hardware);
            std::optional<std::vector<std::uint8_t>> live;
            try {
                live = read(*link, routers_[i], s);
            } catch (const Failure& failure) {
                errors_[i] = failure.text;
            } catch (const std::exception& e) {
                errors_[i] = escaped(e.what());
            }
            snapshotFacts(s, live);
        }
    }

    // Fills what the router tells; returns its configuration as a file.
    std::optional<std::vector<std::uint8_t>>
    read(device::DeviceLink& link, const InventoryRouter& r, device::RouterSample& s) {
        const DEVICE_INFO router =
            reachInventoryRouter(link, lan_, r, device::LoginFor::Save, options_);
        device::ConfigStore store(device::familyOf(router));
        const device::FetchResult fetched = device::fetchForFile(link, router.ipAddress, store);
        if (fetched != device::FetchResult::Ok)
            throw Failure{std::string(device::fetchFailureMessage(fetched))};
        if (!device::completeForSnapshot(link, router.ipAddress, store, false))
            throw Failure{"the router did not answer every read of its configuration"};
        const auto log = device::readStatusLog(link, router.ipAddress);
        if (!log)
            throw Failure{device::line_text::kLogFailed};
        const bool lineUp = device::linkStatus(link, router.ipAddress) == 1;

        const std::string key = device::routerKey(store, router.ipAddress);
        if (key.rfind("address-", 0) != 0)
            s.hardware = key;
        s.reachable = true;
        s.lineUp = lineUp;
        s.logLines = logLineCount(log->log);
        if (store.firmwareLevel > 0)
            s.firmwareLevel = store.firmwareLevel;
        return device::snapshotFile(store);
    }

    // The age of the newest snapshot, and the drift from the newest backup.
    void snapshotFacts(device::RouterSample& s,
                       const std::optional<std::vector<std::uint8_t>>& live) const {
        if (s.hardware.empty())
            return;
        const std::vector<device::SnapshotInfo> kept = snapshotStore().list(s.hardware);
        if (!kept.empty()) {
            if (const auto taken = device::snapshotTime(kept.front().time))
                s.snapshotAgeSeconds =
                    std::chrono::duration_cast<std::chrono::seconds>(now_ - *taken).count();
        }
        const auto backup = std::find_if(kept.begin(), kept.end(), [](const auto& k) {
            return k.reason == device::reasonText(device::SnapshotReason::Backup);
        });
        if (!live || backup == kept.end())
            return;
        const auto file =
            device::readFileBytes(backup->path, device::largestFileSize() + 1, nullptr);
        const auto found = file ? device::diffConfigFiles(*live, *file) : std::nullopt;
        if (found)
            s.drift = !found->empty();
    }

    std::vector<InventoryRouter> routers_;
    std::vector<device::RouterSample> samples_;
    std::vector<std::string> errors_;
    Clock::time_point now_;
    std::vector<DEVICE_INFO> lan_;
    Options options_;
    std::atomic<std::size_t> next_{0};
};

} // namespace

void addInventoryMetricsOptions(CLI::App& command, InventoryMetrics& options) {
    command
        .add_option("--prometheus", options.file,
                    "Instead of one ROUTER, write the metrics of every router of the inventory "
                    "to FILE in the text format of a textfile collector, replacing it whole.")
        ->type_name("FILE");
    command
        .add_option("--inventory", options.inventory,
                    "With --prometheus: the inventory (default: "
                    "$XDG_CONFIG_HOME/tolvaro/inventory.toml).")
        ->type_name("FILE");
    command.add_option("--jobs", options.jobs, "With --prometheus: routers read at once (8).")
        ->type_name("N")
        ->check(CLI::Range(1, 256));
}

bool wantsInventoryMetrics(const InventoryMetrics& options, const std::string& router) {
    if (options.file.empty()) {
        if (!options.inventory.empty())
            throw UsageError{"--inventory needs --prometheus FILE"};
        return false;
    }
    if (!router.empty())
        throw UsageError{"--prometheus reads the routers of the inventory, not ROUTER"};
    return true;
}

int writeInventoryMetrics(Context& context, const InventoryMetrics& options) {
    std::vector<InventoryRouter> routers;
    try {
        routers = readInventory(options.inventory.empty() ? defaultInventory() : options.inventory);
    } catch (const InventoryError& e) {
        warn(e.text);
        return kExitUsage;
    }
    MetricsRun run(std::move(routers), Clock::now());
    return run.run(context, options.file, options.jobs);
}

} // namespace tolvaro::cli
