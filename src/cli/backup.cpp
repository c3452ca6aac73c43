// backup: every router of an inventory, several at once, into the snapshot
// store and, with --to, into one .cfg and one .txt file per router. The .txt
// holds the named settings sorted, so that a version-control diff of the
// directory says in words what changed on which router.
//
// The inventory is TOML:
//
//     [[router]]
//     name = "head-office"                 # names the files: letters, digits, . - _
//     hardware = "00:A0:C5:12:34:56"       # on this LAN, found by discovery
//     password_env = "HEAD_OFFICE_PASSWORD"
//
//     [[router]]
//     name = "branch-north"
//     remote = "198.51.100.7:8161"         # over its WAN port, no discovery
//     password_file = "branch-north.pw"    # first line; relative to the inventory
//
// A router without password_env or password_file is reached without a
// password.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include <unistd.h>

#include <ipslan/config.h>
#include <toml++/toml.h>

#include "cli/cli.h"
#include "cli/inventory.h"
#include "device/catalogue.h"
#include "device/config_file.h"
#include "device/device_record.h"
#include "device/fetch.h"
#include "device/remote_connection.h"

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

struct Result {
    bool done = false;
    bool ok = false;
    std::string error;
    std::string snapshot;
    std::string address;
};

class Backup {
public:
    Backup(std::vector<InventoryRouter> routers, std::optional<std::string> to, bool json)
        : routers_(std::move(routers)), results_(routers_.size()), to_(std::move(to)), json_(json),
          progress_(::isatty(STDERR_FILENO) != 0) {}

    int run(Context& context, int jobs) {
        // One discovery for every router on the LAN, before the workers start.
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
        std::vector<std::thread> workers;
        const int count = std::min<int>(jobs, static_cast<int>(routers_.size()));
        for (int i = 0; i < count; ++i)
            workers.emplace_back([this] { work(); });
        for (std::thread& t : workers)
            t.join();
        return finish();
    }

private:
    void work() {
        // Each worker reaches its routers with their own community and port.
        ipslan::keepTargetToThisThread();
        const auto link = device::makeLibraryLink();
        for (std::size_t i = next_++; i < routers_.size(); i = next_++) {
            Result result;
            try {
                backUp(*link, routers_[i], result);
                result.ok = true;
            } catch (const Failure& failure) {
                result.error = failure.text;
            } catch (const std::exception& e) {
                result.error = escaped(e.what());
            }
            report(i, std::move(result));
        }
    }

    DEVICE_INFO reach(device::DeviceLink& link, const InventoryRouter& r) {
        const std::optional<std::string> password = passwordOf(r);
        if (r.remote)
            return connectRemote(link, *r.remote, password.value_or(""));
        const auto found = std::find_if(lan_.begin(), lan_.end(), [&r](const DEVICE_INFO& d) {
            return announcedHardware(d) == r.hardware;
        });
        if (found == lan_.end())
            throw Failure{"no router with the hardware address " + r.hardware +
                          " answered discovery"};
        if (!device::recordPassword(*found).empty()) {
            if (!password)
                throw Failure{"the router has a password, and the inventory gives none"};
            if (!device::passwordMatches(*found, *password))
                throw Failure{"Wrong Password"};
        }
        link.setCommunity(device::loginCommunity(*found, device::LoginFor::Save)
                              .value_or(device::kFixedCommunity)
                              .c_str());
        link.setSnmpPort(device::kLanSnmpPort);
        return *found;
    }

    void backUp(device::DeviceLink& link, const InventoryRouter& r, Result& result) {
        const DEVICE_INFO router = reach(link, r);
        result.address = device::fieldText(router.ipAddress);
        device::ConfigStore store(device::familyOf(router));
        const device::FetchResult fetched = device::fetchForFile(link, router.ipAddress, store);
        if (fetched != device::FetchResult::Ok)
            throw Failure{std::string(device::fetchFailureMessage(fetched))};
        if (!device::completeForSnapshot(link, router.ipAddress, store, false))
            throw Failure{"the router did not answer every read the backup needs"};
        const auto file = device::snapshotFile(store);
        if (!file)
            throw Failure{"the router did not report a readable firmware version"};
        const std::string text = to_ ? namedSettingsText(*file) : std::string();

        // The index of the snapshot store and the save's temporary-file
        // bookkeeping are not for several writers at once; writing is quick.
        std::lock_guard lock(filesMutex_);
        std::string error;
        const auto taken = snapshotStore().take(
            device::routerKey(store, router.ipAddress), device::SnapshotReason::Backup,
            {device::fieldText(router.name), result.address,
             device::entryText(store.read(device::kVersionSlot))},
            *file, &error);
        if (!taken)
            throw Failure{"no snapshot could be kept: " + escaped(error)};
        result.snapshot = *taken;
        if (to_) {
            const fs::path base = fs::path(*to_) / r.name;
            const std::vector<std::uint8_t> bytes(text.begin(), text.end());
            if (!device::writeFileReplacing(base.string() + ".cfg", *file, &error) ||
                !device::writeFileReplacing(base.string() + ".txt", bytes, &error))
                throw Failure{escaped(error)};
        }
    }

    std::string summary(const InventoryRouter& r, const Result& result) const {
        if (!result.ok)
            return r.name + ": failed: " + result.error;
        return r.name + ": saved " + escaped(result.address) + " (snapshot " +
               escaped(result.snapshot) + ")";
    }

    void report(std::size_t index, Result result) {
        std::lock_guard lock(outputMutex_);
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
    std::optional<std::string> to_;
    bool json_;
    bool progress_;
    std::vector<DEVICE_INFO> lan_;
    std::atomic<std::size_t> next_{0};
    std::size_t finished_ = 0;
    std::mutex filesMutex_;
    std::mutex outputMutex_;
};

Runner setUp(CLI::App& command) {
    auto inventory = std::make_shared<std::string>();
    auto jobs = std::make_shared<int>(8);
    auto to = std::make_shared<std::string>();
    command
        .add_option("--inventory", *inventory,
                    "The inventory (default: $XDG_CONFIG_HOME/tolvaro/inventory.toml).")
        ->type_name("FILE");
    command.add_option("--jobs", *jobs, "How many routers are read at once (8).")
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
                      context.options.json);
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
