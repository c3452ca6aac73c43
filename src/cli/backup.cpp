// backup: every router of an inventory, several at once, into the snapshot
// store and, with --to, into one .cfg and one .txt file per router. The .txt
// holds the named settings sorted, so that a version-control diff of the
// directory says in words what changed on which router. The inventory is
// described in cli/inventory.h.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <map>
#include <span>

#include <unistd.h>

#include <toml++/toml.h>

#include "cli/cli.h"
#include "cli/inventory.h"
#include "device/catalogue.h"
#include "device/config_file.h"
#include "device/deferred_sync.h"
#include "device/device_record.h"
#include "device/fetch.h"
#include "device/remote_connection.h"
#include "device/snapshots.h"
#include "device/write_session.h"

namespace tolvaro::cli {
namespace {

namespace fs = std::filesystem;

// The named settings of a configuration file, one "name: value" line each,
// sorted by name.
std::string namedSettingsText(const std::vector<std::uint8_t>& file) {
    std::int32_t version = 0;
    std::memcpy(&version, file.data() + 10, sizeof version);
    const device::CheckedFile checked = device::checkConfigFile(file, device::Family::Two, version);
    std::vector<std::string> lines;
    for (const device::FileWrite& w : checked.writes) {
        const device::SettingName* known = device::settingName(w.variable, w.mode);
        const device::SettingName setting =
            known ? *known : device::unnamedSetting(w.variable, w.mode);
        for (const device::NamedValue& v :
             device::describeEntry(setting, device::fileEntryAt(file, w.offset)))
            lines.push_back(escaped(v.name) + ": " + escaped(v.value));
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool sameContent(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto old = device::readFileBytes(path, bytes.size() + 1, nullptr);
    return old && std::equal(old->begin(), old->end(), bytes.begin(), bytes.end());
}

struct Result {
    bool done = false;
    bool ok = false;
    std::string error;
    std::string snapshot;
    std::string address;
};

// Files become durable together after this many routers (and at the end):
// one flush of the disk for all of them instead of one per file.
constexpr std::size_t kRoutersPerCommit = 64;
constexpr int kDefaultJobs = 64;

// All routers are read from one thread, up to --jobs at once, through the
// library's fleet reads; a router's store exists only from its last answer
// until its files are written, so memory follows --jobs, not the fleet.
class Backup {
public:
    Backup(std::vector<InventoryRouter> routers, std::optional<std::string> to, bool json,
           const Options& options)
        : routers_(std::move(routers)), results_(routers_.size()), jobs_(routers_.size()),
          to_(std::move(to)), json_(json), options_(options),
          progress_(::isatty(STDERR_FILENO) != 0) {}

    int run(Context& context, int jobs) {
        const auto started = std::chrono::system_clock::now();
        // One discovery for every router on the LAN, before any read.
        if (std::any_of(routers_.begin(), routers_.end(),
                        [](const InventoryRouter& r) { return !r.remote; }))
            lan_ = discover(context.link());
        else
            context.link();
        if (to_) {
            std::error_code ec;
            fs::create_directories(*to_, ec);
            if (!fs::is_directory(*to_))
                throw Failure{"cannot make the folder " + escaped(*to_)};
        }
        removeLeftovers(started);
        for (std::size_t i = 0; i < routers_.size(); ++i) {
            try {
                prepare(context.link(), i);
            } catch (const Failure& failure) {
                report(i, Result{false, false, failure.text, {}, {}});
            }
        }
        if (!wire_.empty())
            context.link().getInfoFleet(wire_.data(), static_cast<int>(wire_.size()), jobs,
                                        &Backup::bindStep, &Backup::doneStep, this);
        commit();
        endCommit();
        return finish();
    }

private:
    // A router between its login and its files.
    struct Job {
        DEVICE_INFO router{};
        std::string community;
        int port = 0;
        std::unique_ptr<device::FetchPlan> plan;
        std::unique_ptr<device::ConfigStore> store;
    };
    // A router whose files wait for the next commit.
    struct Written {
        std::size_t index;
        Result result;
        std::vector<std::string> files;
    };

    // The temporary files a run that ended without cleaning up left behind.
    void removeLeftovers(std::chrono::system_clock::time_point started) const {
        if (to_)
            device::removeStaleTemporaries(*to_, started);
        std::error_code ec;
        for (const auto& item : fs::directory_iterator(snapshotStore().root(), ec))
            if (item.is_directory(ec))
                device::removeStaleTemporaries(item.path().string(), started);
    }

    // Checks the password and plans the reads; nothing is sent.
    void prepare(device::DeviceLink& link, std::size_t i) {
        const InventoryRouter& r = routers_[i];
        Job& job = jobs_[i];
        const std::optional<std::string> password = passwordOf(r);
        if (r.remote) {
            const std::string typed = password.value_or("");
            const device::RemoteOutcome checked =
                device::checkRemoteFields(r.remote->address, r.remote->port, typed);
            if (checked != device::RemoteOutcome::Answered)
                throw Failure{std::string(device::remoteMessage(checked))};
            device::setField(job.router.name, "Remote");
            device::setField(job.router.ipAddress, r.remote->address);
            device::setField(job.router.password, typed);
            job.router.family = 2;
            job.community = typed.empty() ? device::kFixedCommunity : typed;
            job.port = *device::remotePort(r.remote->port);
        } else {
            const auto found = std::find_if(lan_.begin(), lan_.end(), [&r](const DEVICE_INFO& d) {
                return announcedHardware(d) == r.hardware;
            });
            if (found == lan_.end())
                throw Failure{"no router with the hardware address " + r.hardware +
                              " answered discovery"};
            refuseTwins(link, lan_, *found);
            // The checks and messages of every login; the community it sets
            // on the link is the one this router's reads carry below.
            logInTo(link, *found, password, device::LoginFor::Save, options_);
            job.router = *found;
            job.community = device::loginCommunity(*found, device::LoginFor::Save)
                                .value_or(device::kFixedCommunity);
            job.port = device::kLanSnmpPort;
        }
        // A remote router's connection test rides with its reads.
        job.plan = std::make_unique<device::FetchPlan>(
            device::familyOf(job.router), device::FetchPlan::Extent::File, r.remote.has_value());
        const std::span<IPS_READ> reads = job.plan->reads();
        wire_.push_back(IPS_ROUTER{job.router.ipAddress, job.community.c_str(), job.port,
                                   reads.data(), static_cast<int>(reads.size()), 0});
        wireIndex_.push_back(i);
    }

    static void bindStep(void* self, int index) {
        auto& backup = *static_cast<Backup*>(self);
        Job& job = backup.jobs_[backup.wireIndex_[static_cast<std::size_t>(index)]];
        job.store = std::make_unique<device::ConfigStore>(job.plan->family());
        job.plan->bind(*job.store);
    }

    static void doneStep(void* self, int index) {
        auto& backup = *static_cast<Backup*>(self);
        backup.written(backup.wireIndex_[static_cast<std::size_t>(index)]);
    }

    void written(std::size_t i) {
        Job& job = jobs_[i];
        Written w{i, {}, {}};
        w.result.address = device::fieldText(job.router.ipAddress);
        try {
            save(routers_[i], job, w);
            w.result.ok = true;
        } catch (const Failure& failure) {
            w.result.error = failure.text;
        } catch (const std::exception& e) {
            w.result.error = escaped(e.what());
        }
        job = Job{};
        if (!w.result.ok) {
            report(i, std::move(w.result));
            return;
        }
        waiting_.push_back(std::move(w));
        if (waiting_.size() >= kRoutersPerCommit)
            commit();
    }

    void save(const InventoryRouter& r, const Job& job, Written& w) {
        const device::ConfigStore& store = *job.store;
        const device::FetchResult fetched = job.plan->finish(*job.store);
        if (fetched == device::FetchResult::NoAnswer)
            throw Failure{noResponse(*r.remote)};
        if (fetched != device::FetchResult::Ok)
            throw Failure{std::string(device::fetchFailureMessage(fetched))};
        const auto file = device::snapshotFile(store);
        if (!file)
            throw Failure{"the router did not report a readable firmware version"};

        std::string error;
        const device::HardwareAddress hardware = device::hardwareAddressOf(store);
        const bool known = std::any_of(hardware.begin(), hardware.end(), [](auto b) { return b; });
        const std::string key = device::routerKey(hardware, w.result.address);
        const auto taken = snapshotStore().take(
            key, device::SnapshotReason::Backup,
            {device::fieldText(job.router.name), w.result.address,
             device::entryText(store.read(device::kVersionSlot)), known ? key : std::string()},
            *file, &error, std::chrono::system_clock::now(), &sync_);
        if (!taken)
            throw Failure{"no snapshot could be kept: " + escaped(error)};
        w.result.snapshot = *taken;
        w.files.push_back(*taken);
        if (to_) {
            const std::string text = namedSettingsText(*file);
            const fs::path base = fs::path(*to_) / r.name;
            const std::vector<std::uint8_t> bytes(text.begin(), text.end());
            for (const auto& [path, content] :
                 {std::pair{base.string() + ".cfg", std::span<const std::uint8_t>(*file)},
                  std::pair{base.string() + ".txt", std::span<const std::uint8_t>(bytes)}}) {
                // An unchanged router leaves its files alone: nothing to flush,
                // and their times say when they last changed.
                if (sameContent(path, content))
                    continue;
                device::FileWriteOptions options;
                options.deferred = &sync_;
                std::string warning;
                if (!device::writeFileReplacing(path, content, &error, &warning, options))
                    throw Failure{escaped(error)};
                if (!warning.empty())
                    warn(escaped(warning));
                w.files.push_back(path);
            }
        }
    }

    // Makes the files written so far durable on a thread of its own while
    // the reads go on, after the previous batch's commit has ended; a router
    // is reported saved only once its files are in place.
    void commit() {
        endCommit();
        committing_ =
            std::async(std::launch::async, [batch = sync_.detach()] { return batch->commit(); });
        committed_ = std::move(waiting_);
        waiting_.clear();
    }

    void endCommit() {
        if (!committing_.valid())
            return;
        const std::vector<device::DeferredSync::Failure> failures = committing_.get();
        for (Written& w : committed_) {
            for (const auto& failure : failures) {
                const bool mine = std::any_of(w.files.begin(), w.files.end(), [&](auto& path) {
                    std::error_code ec;
                    return fs::weakly_canonical(path, ec) ==
                           fs::weakly_canonical(failure.target, ec);
                });
                if (mine && w.result.ok) {
                    w.result.ok = false;
                    w.result.error = escaped(failure.reason);
                }
            }
            report(w.index, std::move(w.result));
        }
        committed_.clear();
    }

    std::string summary(const InventoryRouter& r, const Result& result) const {
        if (!result.ok)
            return r.name + ": failed: " + result.error;
        return r.name + ": saved " + escaped(result.address) + " (snapshot " +
               escaped(result.snapshot) + ")";
    }

    void report(std::size_t index, Result result) {
        results_[index] = std::move(result);
        results_[index].done = true;
        ++finished_;
        if (progress_)
            std::cerr << "\r\033[K";
        if (!json_)
            std::cout << summary(routers_[index], results_[index]) << std::endl;
        if (progress_)
            std::cerr << "backup: " << finished_ << " of " << routers_.size() << " routers"
                      << std::flush;
    }

    int finish() {
        if (progress_)
            std::cerr << "\r\033[K" << std::flush;
        std::vector<std::string> failed;
        for (std::size_t i = 0; i < routers_.size(); ++i)
            if (!results_[i].ok)
                failed.push_back(routers_[i].name);
        if (json_) {
            auto list = nlohmann::ordered_json::array();
            for (std::size_t i = 0; i < routers_.size(); ++i) {
                const Result& r = results_[i];
                nlohmann::ordered_json entry = {
                    {"name", routers_[i].name}, {"ok", r.ok}, {"address", r.address}};
                if (r.ok)
                    entry["snapshot"] = r.snapshot;
                else
                    entry["error"] = r.error;
                if (r.ok && to_) {
                    const fs::path base = fs::path(*to_) / routers_[i].name;
                    entry["files"] = {base.string() + ".cfg", base.string() + ".txt"};
                }
                list.push_back(entry);
            }
            printJson({{"routers", list}, {"failed", failed}});
        }
        if (failed.empty())
            return kExitOk;
        std::string names;
        for (const std::string& name : failed)
            names += (names.empty() ? "" : ", ") + name;
        warn(std::to_string(failed.size()) + " of " + std::to_string(routers_.size()) +
             " routers failed: " + names);
        return kExitFailed;
    }

    std::vector<InventoryRouter> routers_;
    std::vector<Result> results_;
    std::vector<Job> jobs_;
    std::vector<IPS_ROUTER> wire_;       // the routers that are read ...
    std::vector<std::size_t> wireIndex_; // ... and their places in routers_
    std::vector<Written> waiting_;       // files written, not yet committed
    std::vector<Written> committed_;     // files of the commit under way
    device::DeferredSync sync_;
    std::future<std::vector<device::DeferredSync::Failure>> committing_;
    std::optional<std::string> to_;
    bool json_;
    Options options_;
    bool progress_;
    std::vector<DEVICE_INFO> lan_;
    std::size_t finished_ = 0;
};

Runner setUp(CLI::App& command) {
    auto inventory = std::make_shared<std::string>();
    // Routers in flight cost a socket and their answers, not a thread: a
    // fleet of 64 goes out in one round trip.
    auto jobs = std::make_shared<int>(kDefaultJobs);
    auto to = std::make_shared<std::string>();
    command
        .add_option("--inventory", *inventory,
                    "The inventory (default: $XDG_CONFIG_HOME/tolvaro/inventory.toml).")
        ->type_name("FILE");
    command
        .add_option("--jobs", *jobs,
                    "How many routers are read at once (" + std::to_string(kDefaultJobs) + ").")
        ->type_name("N")
        ->check(CLI::Range(1, 256));
    command
        .add_option("--to", *to,
                    "Also write DIR/<name>.cfg and DIR/<name>.txt (the named settings, "
                    "sorted) for every router.")
        ->type_name("DIR");
    return [inventory, jobs, to](Context& context) {
        std::vector<InventoryRouter> routers;
        try {
            routers = readInventory(inventory->empty() ? defaultInventory() : *inventory);
        } catch (const InventoryError& e) {
            warn(e.text);
            return kExitUsage;
        }
        Backup backup(std::move(routers), to->empty() ? std::nullopt : std::optional(*to),
                      context.options.json, context.options);
        return backup.run(context, *jobs);
    };
}

const Registration kBackup{
    70, "backup [--inventory FILE] [--jobs N] [--to DIR]",
    "Read every router of the inventory, several at once, and keep a snapshot of each; with "
    "--to also its configuration file and its named settings as sorted text. One line per "
    "router; status 1 when any failed, with the failures named. The inventory is TOML: "
    "[[router]] tables with name, hardware (a router on this LAN) or remote "
    "(ADDRESS:PORT), and password_env or password_file (none: no password).",
    setUp};

} // namespace
} // namespace tolvaro::cli
