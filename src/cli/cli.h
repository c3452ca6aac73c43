// Shared pieces of tolvaro-cli: the global options, the router and file
// helpers every command uses, and the registry through which a command file
// adds itself. A new command is one new file in this folder:
//
//     namespace tolvaro::cli {
//     Runner setUp(CLI::App& command) {
//         auto file = std::make_shared<std::string>();
//         command.add_option("FILE", *file, "The file.");
//         return [file](Context& context) { ...; return kExitOk; };
//     }
//     const Registration kMine{60, "mine FILE", "What it does.", setUp};
//     }
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>
#include <ipslan/diagnostics.h>
#include <ipslan/ipslan.h>
#include <nlohmann/json.hpp>

#include "device/config_store.h"
#include "device/device_link.h"
#include "device/fetch.h"
#include "device/login_rule.h"
#include "device/setting_names.h"
#include "device/snapshots.h"
#include "device/write_session.h"

namespace tolvaro::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Ends the program with status 2 and the text, followed by a pointer to --help.
struct UsageError {
    std::string text;
};

// Ends the program with status 1 and the text.
struct Failure {
    std::string text;
};

struct Options {
    std::optional<std::string> password;
    std::optional<std::string> passwordFile;
    bool passwordStdin = false;
    bool yes = false;
    bool json = false;
    bool remote = false; // ROUTER is ADDRESS[:PORT], reached without discovery
    std::optional<int> port;
    int resetWaitMs = 6000;
    // The options as given before the command, for the runs a command
    // starts of this program (apply --inventory).
    std::vector<std::string> given;
};

// What a command runs with: the options, the clock every wait goes through
// and, made on first use, the link to the routers.
class Context {
public:
    explicit Context(device::WaitClock& clock) : clock(clock) {}
    Options options;
    device::WaitClock& clock;
    device::DeviceLink& link();

private:
    std::unique_ptr<device::DeviceLink> link_;
};

using Runner = std::function<int(Context&)>;

// A command registers itself by defining one of these at namespace scope.
// `synopsis` is its name and arguments as --help lists them ("save ROUTER
// FILE"); `order` places it in that list.
class Registration {
public:
    using SetUp = Runner (*)(CLI::App& command);
    Registration(int order, const char* synopsis, const char* summary, SetUp setUp);

    int order;
    std::string synopsis;
    std::string summary;
    SetUp setUp;
};

std::vector<const Registration*>& registry();

// The whole command line of tolvaro-cli: parses `argv`, runs the command and
// turns what it throws into its message and exit status. Every wait of the
// command goes through `clock`. Signal handlers are the caller's.
int runCommandLine(int argc, char** argv, device::WaitClock& clock);

// ---- command arguments ------------------------------------------------------

// A command's ROUTER and FILE arguments, in that order; filled when it runs.
struct RouterAndFile {
    std::shared_ptr<std::string> router = std::make_shared<std::string>();
    std::shared_ptr<std::string> path = std::make_shared<std::string>();
};
// Both are required: CLI11 refuses the command without them.
RouterAndFile addRouterAndFile(CLI::App& command, const char* fileHelp);

// ---- text -------------------------------------------------------------------

// "0x%04x".
std::string hex(int variable);

// Text from routers and files as it may reach a terminal: control
// characters, backslashes and bytes above 0x7e become \n, \t, \\ or \xHH, so
// a router name cannot move the cursor, clear the screen or add a line.
std::string escaped(std::string_view text);

// "0A:1B:2C:3D:4E:5F".
std::string hardwareText(const std::uint8_t (&bytes)[6]);

// Prints one JSON document on standard output.
void printJson(const nlohmann::ordered_json& document);

// Writes "tolvaro-cli: TEXT" to standard error.
void warn(std::string_view text);

// ---- routers ------------------------------------------------------------------

// Every router that answers discovery (not only the desktop list's 32).
std::vector<DEVICE_INFO> discover(device::DeviceLink& link);

// The next discover() returns `found` instead of asking the network: for a
// forked copy of this program whose parent discovered already, and which
// holds what the library learnt from it (each router's port and hardware
// address).
void seedDiscovery(std::vector<DEVICE_INFO> found);

// The hardware address a router announced in discovery, as text; empty when
// unknown.
std::string announcedHardware(const DEVICE_INFO& router);

// The router a ROUTER argument names: its IP address, its hardware address
// (as discovery announced it) or its name. A name several routers carry is
// refused with the list of them, and so is a router whose hardware address
// another router announces too (device::twinsOf).
DEVICE_INFO findRouter(device::DeviceLink& link, const std::string& wanted);

// Throws Failure with device::twinMessage when `router` has twins in `found`.
void refuseTwins(device::DeviceLink& link, const std::vector<DEVICE_INFO>& found,
                 const DEVICE_INFO& router);

// The login without asking anything: checks `password` against what the
// router announced, as the desktop program's password dialog does, and sets
// community and port. Every command that reaches a discovered router, one by
// one or by the inventory, logs in through this.
void logInTo(device::DeviceLink& link, const DEVICE_INFO& router,
             const std::optional<std::string>& password, device::LoginFor operation,
             const Options& options);

// The first line of a password file; an empty one is refused. Warns when
// the file is readable by group or others.
std::string readPasswordFile(const std::string& path);

// Warns "WHAT PATH is readable by ..." when group or others may read it.
void warnIfOthersCanRead(const std::string& path, std::string_view what);

// Finds the router and logs in as the desktop program's buttons do, asking
// for the password where the options give none; sets community and port.
// A remote target (--remote, or "remote:" before ADDRESS[:PORT]) is reached
// as the Remote dialog reaches it: its connection test, its messages, and a
// record of family 2 named "Remote".
// With `testNow` false a remote router's connection test is left to the
// caller, to ride in the batch of its first reads (FetchPlan).
DEVICE_INFO login(Context& context, const std::string& wanted, device::LoginFor operation,
                  bool testNow = true);

// A remote target's address and port text when `wanted` names one.
struct RemoteTarget {
    std::string address;
    std::string port;
};
std::optional<RemoteTarget> remoteTarget(const Options& options, const std::string& wanted);

// A router logged in to for `operation`, with what a configuration file
// holds of it read into `store`.
struct RouterConfiguration {
    DEVICE_INFO router;
    device::ConfigStore store;
};
// Throws Failure with the desktop program's message when a read fails.
RouterConfiguration readForFile(Context& context, const std::string& wanted,
                                device::LoginFor operation);

// The desktop program's message for a failed fetch, and in plain words why
// when the device answered but not as a router does (one more read finds
// out): "the device at ADDRESS does not know the variable ...".
std::string fetchFailure(device::DeviceLink& link, const char* ip, device::FetchResult result);
// The words for a request the device answered wrongly; empty for a time-out.
std::string requestFailureText(const ipslan::RequestFailure& failure);

// The remote connection test against `target` with `password`; throws
// Failure with the dialog's message. Returns the router's record. With
// `testNow` false only the checks run and the community and port are set.
DEVICE_INFO connectRemote(device::DeviceLink& link, const RemoteTarget& target,
                          const std::string& password, bool testNow = true);
// The failure text of a remote router that did not answer its test read.
std::string noResponse(const RemoteTarget& target);

// The password the options give: --password, --password-file,
// --password-stdin or TOLVARO_PASSWORD, the first of them that is set.
std::optional<std::string> givenPassword(const Options& options);

// Asks "Permanently change the Router setting" on the terminal; false
// without one.
bool confirmLoad();

// ---- configuration files ------------------------------------------------------

struct DecodedEntry {
    int variable = 0;
    int mode = 0;
    int type = 0;
    std::size_t length = 0;
    bool isInteger = false;
    bool isText = false; // value is text (else bytes, shown in hexadecimal)
    bool secret = false; // a password, or a table that holds one
    bool set = false;    // the entry holds anything but zeros
    std::string value;

    std::string key() const;
    // As text output shows it: texts quoted and escaped, bytes in hexadecimal;
    // a secret as "(set)" or "(empty)" unless `showSecrets`.
    std::string shown(bool showSecrets) const;
    // The value for JSON output, hidden as shown() hides it.
    std::string jsonValue(bool showSecrets) const;
};

struct DecodedFile {
    std::int32_t version = 0;
    std::int32_t firmwareLevel = 0;
    int family = 0;
    std::vector<DecodedEntry> entries;
};

// Reads and checks a file on its own (no router): its own version number is
// the one it is checked against, and the layout follows from its length and
// entries. Throws Failure.
DecodedFile readConfigFile(const std::string& path);

// ---- the safety net around writes (safety.cpp) ------------------------------

struct LoadRun {
    device::SnapshotReason reason = device::SnapshotReason::Load;
    bool dryRun = false;     // print what would change, write nothing
    bool noSnapshot = false; // write even when no snapshot can be kept
    bool noVerify = false;   // do not read the settings back after the restart
    bool force = false;      // restore: a changed or another router's snapshot too
};

// Load of `path` into the router: every check on the whole file (the
// library's send rule included), the router's writer lock, a snapshot first
// (its path is printed), the writes, the reset and the verify with the
// password the file sets. Settings that did not take are listed and give
// status 1. SIGINT or SIGTERM stops the writes after the one in flight: no
// reset, the story printed, status 128 + the signal.
// A dry run runs the same checks, writes nothing and returns 0 (nothing would
// change), 1 (something would) or 2 (the file cannot be loaded).
int loadWithSafety(Context& context, const std::string& router, const std::string& path,
                   const LoadRun& run);

// SIGINT and SIGTERM end the program, except while a load writes.
void installSignalHandlers();
// 128 + a signal that came during a write and was not dealt with; else 0.
int pendingInterruptStatus();

// The snapshot store of this user.
device::SnapshotStore snapshotStore();
// The folder of a router's snapshots, from its hardware address: one read,
// not the catalogue, which over a WAN is the difference that shows.
std::string snapshotKey(Context& context, const DEVICE_INFO& router);

// "NAME: BEFORE -> AFTER" lines, or JSON with key, name, old and new.
void printDifferences(const Context& context, const std::vector<device::NamedDifference>& found);

} // namespace tolvaro::cli
