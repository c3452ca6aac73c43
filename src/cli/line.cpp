// status, leases, dial, hangup: what the Status page and the DHCP lease
// dialog show and do, through the same device calls, with the page's words
// and its outcomes as exit statuses.
#include <chrono>
#include <cstdio>
#include <iostream>

#include <unistd.h>

#include <ipslan/variables.h>

#include "cli/cli.h"
#include "cli/metrics.h"
#include "device/config_store.h"
#include "device/device_record.h"
#include "device/dotted_text.h"
#include "device/line_control.h"

namespace tolvaro::cli {
namespace {

struct RouterArgument {
    std::shared_ptr<std::string> router = std::make_shared<std::string>();
    void require(std::string_view name) const {
        if (router->empty())
            throw UsageError{std::string(name) + " needs ROUTER"};
    }
};

RouterArgument addRouter(CLI::App& command) {
    RouterArgument argument;
    command.add_option("ROUTER", *argument.router,
                       "The router: its IP address, hardware address or name as discovery "
                       "lists it.");
    return argument;
}

std::vector<std::string> logLines(const std::string& log) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : log) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

int status(Context& context, const std::string& wanted) {
    const DEVICE_INFO router = login(context, wanted, device::LoginFor::Setup);
    device::DeviceLink& link = context.link();
    const int variables[] = {ipslan::var::kFirmwareVersion, ipslan::var::kHardwareAddress,
                             ipslan::var::kHardwareId};
    MIB_RESPONSE system[3]{};
    if (link.getInfo(router.ipAddress, 0, 3, variables, system) == 0)
        throw Failure{"the router did not answer"};
    const auto log = device::readStatusLog(link, router.ipAddress);
    if (!log)
        throw Failure{device::line_text::kLogFailed};
    const bool lineUp = device::linkStatus(link, router.ipAddress) == 1;
    const std::string firmware = device::entryText(system[0]);
    const int level = device::firmwareLevelOf(firmware);
    const std::string hardware = device::hyphenatedHardware(system[1].value);
    const std::string hardwareId = device::hyphenatedHardware(system[2].value);
    const std::vector<std::string> lines = logLines(log->log);

    if (context.options.json) {
        nlohmann::ordered_json out;
        out["router"] = device::fieldText(router.name);
        out["address"] = device::fieldText(router.ipAddress);
        out["hardware_address"] = hardware;
        out["hardware_id"] = hardwareId;
        out["firmware"] = firmware;
        out["firmware_level"] = level > 0 ? nlohmann::ordered_json(level) : nullptr;
        out["line_up"] = lineUp;
        out["connection_status"] = log->status;
        out["connection_log"] = lines;
        printJson(out);
        return kExitOk;
    }
    std::cout << "Router: " << escaped(device::fieldText(router.name)) << " ("
              << escaped(device::fieldText(router.ipAddress)) << ")\n"
              << "Firmware Version: " << escaped(firmware) << "\n"
              << "Hardware Address: " << hardware << "\n"
              << "Hardware ID: " << hardwareId << "\n"
              << "ISDN line: " << (lineUp ? "up" : "down") << "\n"
              << "Connection Status:\n";
    for (const std::string& line : logLines(log->status))
        std::cout << "  " << escaped(line) << "\n";
    std::cout << "Connection Log:\n";
    for (const std::string& line : lines)
        std::cout << "  " << escaped(line) << "\n";
    return kExitOk;
}

int leases(Context& context, const std::string& wanted) {
    const DEVICE_INFO router = login(context, wanted, device::LoginFor::Setup);
    const auto table = device::readLeases(context.link(), router.ipAddress);
    if (!table)
        throw Failure{"Get DHCP Status fail"};
    if (context.options.json) {
        auto out = nlohmann::ordered_json::array();
        for (const device::Lease& lease : *table)
            out.push_back({{"address", device::formatDotted(lease.address)},
                           {"hardware_address", device::hyphenatedHardware(lease.hardware.data())},
                           {"status", lease.leased ? device::kLeasedText : device::kReservedText}});
        printJson(out);
        return kExitOk;
    }
    for (const device::Lease& lease : *table)
        std::cout << device::formatDotted(lease.address) << "\t"
                  << device::hyphenatedHardware(lease.hardware.data()) << "\t"
                  << (lease.leased ? device::kLeasedText : device::kReservedText) << "\n";
    return kExitOk;
}

// Waits one poll; on a terminal a progress line says which.
device::PollWait pollWait(device::WaitClock& clock, int intervalMs, const char* what) {
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return [&clock, intervalMs, what, terminal](int poll, int polls) {
        if (terminal)
            std::cerr << "\r" << what << " (" << poll + 1 << " of " << polls << ")" << std::flush;
        clock.sleepFor(std::chrono::milliseconds(intervalMs));
    };
}

void endProgressLine() {
    if (::isatty(STDERR_FILENO) == 1)
        std::cerr << "\r\033[K" << std::flush;
}

int dial(Context& context, const std::string& wanted, int intervalMs) {
    const DEVICE_INFO router = login(context, wanted, device::LoginFor::Setup);
    const device::DialOutcome outcome = device::dialUp(
        context.link(), router.ipAddress,
        pollWait(context.clock, intervalMs, "Dialing up: waiting for the line to come up"));
    endProgressLine();
    std::cout << device::outcomeText(outcome) << "\n";
    return outcome == device::DialOutcome::Connected ? kExitOk : kExitFailed;
}

int hangup(Context& context, const std::string& wanted, int intervalMs) {
    const DEVICE_INFO router = login(context, wanted, device::LoginFor::Setup);
    const device::HangUpOutcome outcome = device::hangUp(
        context.link(), router.ipAddress,
        pollWait(context.clock, intervalMs, "Hanging up: waiting for the line to drop"));
    endProgressLine();
    std::cout << device::outcomeText(outcome) << "\n";
    // A line that was down already is where the command wants it.
    return outcome == device::HangUpOutcome::StillConnected ? kExitFailed : kExitOk;
}

Runner setUpStatus(CLI::App& command) {
    const RouterArgument argument = addRouter(command);
    auto metrics = std::make_shared<InventoryMetrics>();
    addInventoryMetricsOptions(command, *metrics);
    return [argument, metrics](Context& context) {
        if (wantsInventoryMetrics(*metrics, *argument.router))
            return writeInventoryMetrics(context, *metrics);
        argument.require("status");
        return status(context, *argument.router);
    };
}

Runner setUpLeases(CLI::App& command) {
    const RouterArgument argument = addRouter(command);
    return [argument](Context& context) {
        argument.require("leases");
        return leases(context, *argument.router);
    };
}

template <int (*Run)(Context&, const std::string&, int)> Runner setUpLine(CLI::App& command) {
    const RouterArgument argument = addRouter(command);
    auto interval = std::make_shared<int>(device::kLinePollMs);
    command.add_option("--poll-interval", *interval, "Time between two polls of the line (2000).")
        ->type_name("MS")
        ->check(CLI::Range(0, 60000));
    return [argument, interval, name = command.get_name()](Context& context) {
        argument.require(name);
        return Run(context, *argument.router, *interval);
    };
}

const Registration kStatus{70, "status ROUTER | --prometheus FILE [--inventory FILE]",
                           "Show what the Status page shows: firmware version, hardware address "
                           "and ID, whether the ISDN line is up, the connection status and the "
                           "connection log. With --prometheus: write those of every router of "
                           "the inventory as metrics for a textfile collector, with the line's "
                           "up-time, the age of the newest snapshot and the drift from the last "
                           "backup.",
                           setUpStatus};
const Registration kLeases{71, "leases ROUTER",
                           "List the router's DHCP lease table: address, hardware address, "
                           "\"Leased\" or \"Reserve\".",
                           setUpLeases};
const Registration kDial{72, "dial ROUTER",
                         "Dial the ISDN line up as the Status page's \"Dial up\" does: polls the "
                         "line up to 10 times, 2000 ms apart. Prints \"Connect ISP "
                         "successfully.\" (status 0) or \"Fail to Connect!\" (status 1).",
                         setUpLine<dial>};
const Registration kHangUp{73, "hangup ROUTER",
                           "Hang the ISDN line up as the Status page's \"Hang up\" does: polls up "
                           "to 5 times, 2000 ms apart. Prints \"HangUp successfully\" or, with the "
                           "line down already, \"Doesn't connect\" (both status 0), or \"Still "
                           "connect\" (status 1).",
                           setUpLine<hangup>};

} // namespace
} // namespace tolvaro::cli
