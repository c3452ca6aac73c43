// The command line of tolvaro-cli: the global options, the commands that
// registered themselves (cli.h), and what a command's failure becomes.
#include <algorithm>
#include <csignal>
#include <iostream>
#include <sstream>

#include <ipslan/config.h>

#include "cli/cli.h"
#include "device/config_file.h"
#include "tolvaro_version.h"

namespace tolvaro::cli {
namespace {

// Lists each command with its arguments ("save ROUTER FILE"), as the command
// synopses are what a reader of --help looks for.
class Formatter : public CLI::Formatter {
public:
    std::string make_subcommand(const CLI::App* sub) const override {
        const Registration* registration = nullptr;
        for (const Registration* r : registry())
            if (r->synopsis.substr(0, r->synopsis.find(' ')) == sub->get_name())
                registration = r;
        std::ostringstream out;
        CLI::detail::format_help(out, registration ? registration->synopsis : sub->get_name(),
                                 sub->get_description(), get_column_width());
        return out.str();
    }
};

constexpr const char* kFooter =
    R"(Passwords: --password puts the password where every user of this computer can
see it (the process list); prefer --password-file, --password-stdin or the
TOLVARO_PASSWORD environment variable. Without any of them the password is
asked on the terminal (not echoed) when the router has one.

The IPSLAN_* environment variables set the same library settings as
--discovery, --discovery-port, --discovery-window, --timeout and --retries;
options win over them.

Text output shows control characters in router names and files as \n, \t or
\xHH.

Exit status: 0 success, 1 failure (the message says why), 2 wrong usage.)";

int run(int argc, char** argv, device::WaitClock& clock) {
    CLI::App app{"Discovers Tolvaro routers, saves their configuration to files, loads files "
                 "into them and shows and compares configuration files; shows line status, dials "
                 "and hangs up, and reads and changes settings by name through the settings "
                 "sheet's own pages.",
                 "tolvaro-cli"};
    app.formatter(std::make_shared<Formatter>());
    app.footer(kFooter);
    app.fallthrough();
    // As before CLI11: an option given twice takes its last value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("tolvaro-cli ") + TOLVARO_VERSION,
                         "Print the version and exit.");
    app.get_formatter()->column_width(24);

    Context context(clock);
    Options& o = context.options;
    std::optional<int> timeout;
    std::optional<int> retries;
    std::string discovery;
    std::optional<int> discoveryPort;
    std::optional<int> discoveryWindow;

    auto* password = app.add_option("--password", o.password,
                                    "Administrator password of the router. Visible to every "
                                    "user of this computer: prefer the three below.");
    password->type_name("TEXT");
    auto* passwordFile = app.add_option("--password-file", o.passwordFile,
                                        "Read the administrator password from the first line of "
                                        "FILE.");
    passwordFile->type_name("FILE");
    auto* passwordStdin = app.add_flag("--password-stdin", o.passwordStdin,
                                       "Read the administrator password from the first line of "
                                       "the standard input.");
    password->excludes(passwordFile)->excludes(passwordStdin);
    passwordFile->excludes(passwordStdin);
    app.add_flag("--yes", o.yes,
                 "load, restore: do not ask \"Permanently change the Router setting\" (needed "
                 "when no terminal is attached), and write even when a password was given for "
                 "a router that announces none. set, apply: answer the pages' questions (the "
                 "ISDN link is in use) with OK; without it they are refused.");
    app.add_flag("--remote", o.remote,
                 "ROUTER is ADDRESS[:PORT] of a router reached over its WAN port by remote "
                 "management, without discovery (\"remote:ADDRESS[:PORT]\" does the same for "
                 "one argument). The port defaults to --port.");
    app.add_flag("--json", o.json,
                 "discover, show, diff, snapshots, backup, status, leases, get, set, apply: print "
                 "JSON instead of text.");
    app.add_option("--port", o.port, "SNMP port (default: the port the router announced).")
        ->type_name("N")
        ->check(CLI::Range(1, 65535));
    app.add_option("--discovery", discovery,
                   "Where discovery looks, as IPSLAN_DISCOVERY: \"loopback\" and/or "
                   "ADDRESS[:PORT] items separated by commas.")
        ->type_name("TARGETS");
    app.add_option("--discovery-port", discoveryPort, "UDP port of the routers' discovery service.")
        ->type_name("N")
        ->check(CLI::Range(1, 65535));
    app.add_option("--discovery-window", discoveryWindow, "How long discovery collects replies.")
        ->type_name("MS")
        ->check(CLI::Range(10, 10000));
    app.add_option("--timeout", timeout, "Time-out of one SNMP attempt.")
        ->type_name("MS")
        ->check(CLI::Range(1, 60000));
    app.add_option("--retries", retries, "Further SNMP attempts after a time-out.")
        ->type_name("N")
        ->check(CLI::Range(0, 10));
    app.add_option("--reset-wait", o.resetWaitMs,
                   "load, restore, set, apply, address: how long to wait after the reset "
                   "(6000).")
        ->type_name("MS")
        ->check(CLI::Range(0, 600000));

    std::vector<const Registration*> commands = registry();
    std::sort(commands.begin(), commands.end(),
              [](const Registration* a, const Registration* b) { return a->order < b->order; });
    std::vector<std::pair<CLI::App*, Runner>> runners;
    for (const Registration* r : commands) {
        CLI::App* command =
            app.add_subcommand(r->synopsis.substr(0, r->synopsis.find(' ')), r->summary);
        runners.emplace_back(command, r->setUp(*command));
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        std::cout << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        std::cout << e.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        if (app.get_subcommands().empty()) {
            const auto extras = app.remaining();
            if (!extras.empty() && extras.front()[0] != '-')
                throw UsageError{"unknown command " + escaped(extras.front())};
            if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr)
                throw UsageError{"no command"};
        }
        throw UsageError{escaped(e.what())};
    }

    if (!discovery.empty()) {
        const auto targets = ipslan::parseDiscoveryTargets(discovery);
        if (!targets)
            throw UsageError{"--discovery: cannot use \"" + escaped(discovery) + "\""};
        ipslan::setDiscoveryTargets(*targets);
    }
    if (discoveryPort)
        ipslan::setDiscoveryPort(*discoveryPort);
    if (discoveryWindow)
        ipslan::setDiscoveryWindow(*discoveryWindow);
    if (timeout || retries) {
        const ipslan::Timeouts current = ipslan::timeouts();
        ipslan::setTimeouts(timeout.value_or(current.timeoutMs), retries.value_or(current.retries));
    }

    for (auto& [command, runner] : runners) {
        if (!command->parsed())
            continue;
        for (int i = 1; i < argc && command->get_name() != argv[i]; ++i)
            o.given.emplace_back(argv[i]);
        return runner(context);
    }
    throw UsageError{"no command"};
}

} // namespace

int runCommandLine(int argc, char** argv, device::WaitClock& clock) {
    try {
        return run(argc, argv, clock);
    } catch (const UsageError& e) {
        std::cerr << "tolvaro-cli: " << e.text << "\nTry tolvaro-cli --help.\n";
        return kExitUsage;
    } catch (const Failure& e) {
        warn(e.text);
    } catch (const std::exception& e) {
        warn(escaped(e.what()));
    }
    return kExitFailed;
}

} // namespace tolvaro::cli
