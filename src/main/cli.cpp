// tolvaro-cli: the utility's router operations without windows. Save and Load
// use the same fetch, file format, checks, writes and reset as the main
// window's buttons; show and diff read configuration files offline.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <termios.h>
#include <unistd.h>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>

#include "app/device_record.h"
#include "device/config_file.h"
#include "device/device_link.h"
#include "device/fetch.h"

namespace {

using namespace tolvaro;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kFixedCommunity = "TiLvOrA";
constexpr int kLanSnmpPort = 161;

constexpr const char* kUsage = R"(usage: tolvaro-cli [OPTIONS] COMMAND [ARGUMENTS]

Commands:
  discover              List the routers that answer discovery: name, IP
                        address, family and network mask.
  save ROUTER FILE      Read the configuration of ROUTER (its name or IP
                        address as discovery lists it) and write it to FILE.
                        An existing FILE is replaced only once the new file
                        is complete.
  load ROUTER FILE      Write FILE into ROUTER and restart the router. The
                        file must come from a router whose firmware gives the
                        same file version number; it is checked whole before
                        the first write.
  show FILE             Print a configuration file: header, file version
                        number, firmware level, layout family and every entry
                        with its variable number, mode, type and value.
  diff FILE1 FILE2      Print the entries in which two configuration files
                        differ. Exit status 0 when they are equal, 1 when they
                        differ.

Options:
  --password TEXT       Administrator password of the router. Without it the
                        password is asked on the terminal (not echoed) when
                        the router has one.
  --yes                 load: do not ask "Permanently change the Router
                        setting" (needed when no terminal is attached).
  --json                discover, show, diff: print JSON instead of text.
  --port N              SNMP port (default: the port the router announced).
  --discovery TARGETS   Where discovery looks, as IPSLAN_DISCOVERY: "loopback"
                        and/or ADDRESS[:PORT] items separated by commas.
  --discovery-port N    UDP port of the routers' discovery service.
  --discovery-window MS How long discovery collects replies.
  --timeout MS          Time-out of one SNMP attempt.
  --retries N           Further SNMP attempts after a time-out.
  --reset-wait MS       load: how long to wait after the reset (6000).
  --help                Show this text.

The IPSLAN_* environment variables set the same library settings; options
win over them.

Exit status: 0 success, 1 failure (the message says why), 2 wrong usage.
)";

struct Options {
    std::optional<std::string> password;
    bool yes = false;
    bool json = false;
    std::optional<int> port;
    int resetWaitMs = 6000;
    std::vector<std::string> arguments;
};

struct UsageError {
    std::string text;
};

int parseNumber(std::string_view option, const std::string& text, int low, int high) {
    try {
        std::size_t used = 0;
        const long value = std::stol(text, &used);
        if (used == text.size() && value >= low && value <= high)
            return static_cast<int>(value);
    } catch (const std::exception&) {
    }
    throw UsageError{std::string(option) + " needs a number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\""};
}

Options parseOptions(int argc, char** argv) {
    Options options;
    std::optional<int> timeout;
    std::optional<int> retries;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw UsageError{arg + " needs a value"};
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(kExitOk);
        } else if (arg == "--password") {
            options.password = value();
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--port") {
            options.port = parseNumber(arg, value(), 1, 65535);
        } else if (arg == "--discovery") {
            const std::string text = value();
            const auto targets = ipslan::parseDiscoveryTargets(text);
            if (!targets)
                throw UsageError{"--discovery: cannot use \"" + text + "\""};
            ipslan::setDiscoveryTargets(*targets);
        } else if (arg == "--discovery-port") {
            ipslan::setDiscoveryPort(parseNumber(arg, value(), 1, 65535));
        } else if (arg == "--discovery-window") {
            ipslan::setDiscoveryWindow(parseNumber(arg, value(), 10, 10000));
        } else if (arg == "--timeout") {
            timeout = parseNumber(arg, value(), 1, 60000);
        } else if (arg == "--retries") {
            retries = parseNumber(arg, value(), 0, 10);
        } else if (arg == "--reset-wait") {
            options.resetWaitMs = parseNumber(arg, value(), 0, 600000);
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError{"unknown option " + arg};
        } else {
            options.arguments.push_back(arg);
        }
    }
    if (timeout || retries) {
        const ipslan::Timeouts current = ipslan::timeouts();
        ipslan::setTimeouts(timeout.value_or(current.timeoutMs), retries.value_or(current.retries));
    }
    return options;
}

// ---- text output helpers ----------------------------------------------------

std::string hex(int variable) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04x", static_cast<unsigned>(variable));
    return buffer;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u >= 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// ---- configuration files ----------------------------------------------------

struct DecodedEntry {
    int variable = 0;
    int mode = 0;
    int type = 0;
    std::size_t length = 0;
    bool isText = false; // value is text (else bytes, shown in hexadecimal)
    std::string value;

    std::string key() const { return hex(variable) + "/" + std::to_string(mode); }
    std::string shown() const {
        return isText ? jsonString(value) : value.empty() ? std::string("(empty)") : value;
    }
};

struct DecodedFile {
    std::int32_t version = 0;
    std::int32_t firmwareLevel = 0;
    int family = 0;
    std::vector<DecodedEntry> entries;
};

DecodedEntry decode(const _snmp_packet& entry, int variable, int mode) {
    DecodedEntry out;
    out.variable = variable;
    out.mode = mode;
    out.type = entry.type;
    out.length = device::entryLength(entry);
    const auto* bytes = entry.value;
    const bool integer = entry.type == kTypeInteger || entry.type == kTypeCounter;
    const bool printable = std::all_of(bytes, bytes + out.length,
                                       [](std::uint8_t b) { return b >= 0x20 && b < 0x7f; });
    if (integer || printable) {
        out.isText = !integer;
        out.value.assign(reinterpret_cast<const char*>(bytes), out.length);
    } else {
        static const char* digits = "0123456789abcdef";
        for (std::size_t i = 0; i < out.length; ++i) {
            out.value += digits[bytes[i] >> 4];
            out.value += digits[bytes[i] & 15];
        }
    }
    return out;
}

// Reads and checks a file on its own (no router): its own version number is
// the one it is checked against, and the layout follows from its length.
std::optional<DecodedFile> readConfigFile(const std::string& path, std::string* error) {
    const auto bytes = device::readFileBytes(path, device::largestFileSize() + 1, error);
    if (!bytes)
        return std::nullopt;
    std::int32_t version = 0;
    if (bytes->size() >= device::kFileHeaderSize)
        std::memcpy(&version, bytes->data() + 10, sizeof version);
    const device::CheckedFile checked =
        device::checkConfigFile(*bytes, device::Family::Two, version);
    if (checked.check == device::FileCheck::FormatError) {
        *error = path + ": not a configuration file (no \"ISDNROUTER\" header)";
        return std::nullopt;
    }
    if (checked.check != device::FileCheck::Ok) {
        *error = path + ": the file is shorter than its layout";
        return std::nullopt;
    }
    DecodedFile out;
    out.version = checked.versionNumber;
    out.firmwareLevel = checked.firmwareLevel;
    out.family = static_cast<int>(checked.layout);
    for (const device::FileWrite& w : checked.writes)
        out.entries.push_back(decode(device::fileEntryAt(*bytes, w.offset), w.variable, w.mode));
    return out;
}

void printEntryJson(const DecodedEntry& e, std::ostream& out) {
    out << "{\"variable\": " << e.variable << ", \"hex\": \"" << hex(e.variable)
        << "\", \"mode\": " << e.mode << ", \"type\": " << e.type << ", \"length\": " << e.length;
    const bool integer = e.type == kTypeInteger || e.type == kTypeCounter;
    out << ", \""
        << (integer    ? "integer"
            : e.isText ? "text"
                       : "hex")
        << "\": " << jsonString(e.value) << "}";
}

int commandShow(const Options& options) {
    if (options.arguments.size() != 2)
        throw UsageError{"show needs one FILE"};
    std::string error;
    const auto file = readConfigFile(options.arguments[1], &error);
    if (!file) {
        std::cerr << "tolvaro-cli: " << error << "\n";
        return kExitFailed;
    }
    if (options.json) {
        std::cout << "{\"header\": \"ISDNROUTER\", \"version\": " << file->version
                  << ", \"firmwareLevel\": " << file->firmwareLevel
                  << ", \"family\": " << file->family << ", \"entries\": [";
        for (std::size_t i = 0; i < file->entries.size(); ++i) {
            std::cout << (i ? ",\n  " : "\n  ");
            printEntryJson(file->entries[i], std::cout);
        }
        std::cout << "\n]}\n";
        return kExitOk;
    }
    std::cout << "header: ISDNROUTER\nversion: " << file->version
              << "\nfirmware level: " << file->firmwareLevel << "\nfamily: " << file->family
              << "\nentries: " << file->entries.size() << "\n";
    for (const DecodedEntry& e : file->entries) {
        std::cout << hex(e.variable) << " (" << e.variable << ") mode " << e.mode << " type "
                  << e.type << " length " << e.length << ": " << e.shown() << "\n";
    }
    return kExitOk;
}

int commandDiff(const Options& options) {
    if (options.arguments.size() != 3)
        throw UsageError{"diff needs two FILEs"};
    std::string error;
    const auto a = readConfigFile(options.arguments[1], &error);
    const auto b = a ? readConfigFile(options.arguments[2], &error) : std::nullopt;
    if (!a || !b) {
        std::cerr << "tolvaro-cli: " << error << "\n";
        return kExitUsage;
    }
    std::vector<std::string> lines;
    std::vector<std::string> json;
    auto header = [&](const char* name, long x, long y) {
        if (x == y)
            return;
        lines.push_back(std::string(name) + ": " + std::to_string(x) + " -> " + std::to_string(y));
        json.push_back("{\"field\": \"" + std::string(name) + "\", \"from\": " + std::to_string(x) +
                       ", \"to\": " + std::to_string(y) + "}");
    };
    header("version", a->version, b->version);
    header("firmware level", a->firmwareLevel, b->firmwareLevel);
    header("family", a->family, b->family);

    // Entries are matched by variable and mode, so files of the two layouts
    // compare setting by setting.
    std::map<std::string, const DecodedEntry*> second;
    for (const DecodedEntry& e : b->entries)
        second[e.key()] = &e;
    std::map<std::string, bool> seen;
    for (const DecodedEntry& e : a->entries) {
        seen[e.key()] = true;
        const auto it = second.find(e.key());
        const std::string where = hex(e.variable) + " mode " + std::to_string(e.mode);
        if (it == second.end()) {
            lines.push_back(where + ": " + e.shown() + " -> (absent)");
            json.push_back("{\"variable\": " + std::to_string(e.variable) +
                           ", \"mode\": " + std::to_string(e.mode) +
                           ", \"from\": " + jsonString(e.value) + ", \"to\": null}");
        } else if (it->second->value != e.value || it->second->type != e.type) {
            lines.push_back(where + ": " + e.shown() + " -> " + it->second->shown());
            json.push_back("{\"variable\": " + std::to_string(e.variable) + ", \"mode\": " +
                           std::to_string(e.mode) + ", \"from\": " + jsonString(e.value) +
                           ", \"to\": " + jsonString(it->second->value) + "}");
        }
    }
    for (const DecodedEntry& e : b->entries) {
        if (seen.count(e.key()) == 0) {
            lines.push_back(hex(e.variable) + " mode " + std::to_string(e.mode) + ": (absent) -> " +
                            e.shown());
            json.push_back("{\"variable\": " + std::to_string(e.variable) +
                           ", \"mode\": " + std::to_string(e.mode) +
                           ", \"from\": null, \"to\": " + jsonString(e.value) + "}");
        }
    }
    if (options.json) {
        std::cout << "[";
        for (std::size_t i = 0; i < json.size(); ++i)
            std::cout << (i ? ",\n " : "") << json[i];
        std::cout << "]\n";
    } else {
        for (const std::string& line : lines)
            std::cout << line << "\n";
    }
    return lines.empty() ? kExitOk : kExitFailed;
}

// ---- routers -------------------------------------------------------------------

std::vector<DEVICE_INFO> discover(device::DeviceLink& link) {
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 0;
    link.browse(table.data(), &count);
    table.resize(static_cast<std::size_t>(std::clamp(count, 0, kDeviceTableSize)));
    return table;
}

int commandDiscover(const Options& options, device::DeviceLink& link) {
    if (options.arguments.size() != 1)
        throw UsageError{"discover takes no arguments"};
    const auto routers = discover(link);
    if (options.json)
        std::cout << "[";
    for (std::size_t i = 0; i < routers.size(); ++i) {
        const DEVICE_INFO& r = routers[i];
        const int family = r.family == 1 ? 1 : 2;
        if (options.json) {
            std::cout << (i ? ",\n " : "") << "{\"name\": " << jsonString(app::fieldText(r.name))
                      << ", \"address\": " << jsonString(app::fieldText(r.ipAddress))
                      << ", \"family\": " << family
                      << ", \"netmask\": " << jsonString(app::fieldText(r.netmask))
                      << ", \"password\": " << (r.password[0] ? "true" : "false") << "}";
        } else {
            std::cout << app::fieldText(r.name) << "\t" << app::fieldText(r.ipAddress)
                      << "\tfamily " << family << "\t" << app::fieldText(r.netmask) << "\n";
        }
    }
    if (options.json)
        std::cout << "]\n";
    else if (routers.empty())
        std::cerr << "No compatible devices detected on LAN\n";
    return kExitOk;
}

// Questions go to the terminal only when the standard input is one, so a
// scripted run never blocks on a prompt.
FILE* openTerminal() {
    return ::isatty(STDIN_FILENO) ? std::fopen("/dev/tty", "r+") : nullptr;
}

std::optional<std::string> promptPassword() {
    FILE* tty = openTerminal();
    if (!tty)
        return std::nullopt;
    std::fputs("Administrator Password: ", tty);
    std::fflush(tty);
    termios saved{};
    const int fd = fileno(tty);
    const bool terminal = ::tcgetattr(fd, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    char buffer[256] = {};
    const bool read = std::fgets(buffer, sizeof buffer, tty) != nullptr;
    if (terminal)
        ::tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", tty);
    std::fclose(tty);
    if (!read)
        return std::nullopt;
    std::string text = buffer;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool confirmLoad() {
    FILE* tty = openTerminal();
    if (!tty)
        return false;
    std::fputs("Permanently change the Router setting [y/N] ", tty);
    std::fflush(tty);
    char buffer[16] = {};
    const bool read = std::fgets(buffer, sizeof buffer, tty) != nullptr;
    std::fclose(tty);
    return read && (buffer[0] == 'y' || buffer[0] == 'Y');
}

class Failure {
public:
    explicit Failure(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// The router named on the command line, logged in as the buttons do: the
// password must match the record; the community is the password for Load
// (and for Save of a family-2 router), else the fixed community.
DEVICE_INFO login(const Options& options, device::DeviceLink& link, bool forLoad) {
    const std::string& wanted = options.arguments.at(1);
    const auto routers = discover(link);
    const auto it = std::find_if(routers.begin(), routers.end(), [&](const DEVICE_INFO& r) {
        return app::fieldText(r.name) == wanted || app::fieldText(r.ipAddress) == wanted;
    });
    if (it == routers.end())
        throw Failure("no router \"" + wanted + "\" answered discovery");
    const DEVICE_INFO router = *it;
    const std::string password = app::fieldText(router.password);
    std::string community = kFixedCommunity;
    if (!password.empty()) {
        std::optional<std::string> typed = options.password;
        if (!typed)
            typed = promptPassword();
        if (!typed)
            throw Failure("the router has a password: give --password or run on a terminal");
        if (*typed != password)
            throw Failure("Wrong Password");
        if (forLoad || router.family != 1)
            community = password;
    }
    link.setCommunity(community.c_str());
    link.setSnmpPort(options.port.value_or(kLanSnmpPort));
    return router;
}

int commandSave(const Options& options, device::DeviceLink& link) {
    if (options.arguments.size() != 3)
        throw UsageError{"save needs ROUTER and FILE"};
    const DEVICE_INFO router = login(options, link, false);
    device::ConfigStore store(device::familyOf(router));
    const device::FetchResult fetched = device::fetchForFile(link, router.ipAddress, store);
    if (fetched != device::FetchResult::Ok)
        throw Failure(std::string(device::fetchFailureMessage(fetched)));
    const auto version = device::fileVersionNumber(store);
    if (!version)
        throw Failure("the router did not report a readable firmware version");
    std::string error;
    if (!device::writeFileReplacing(options.arguments[2], device::buildConfigFile(store, *version),
                                    &error))
        throw Failure("the configuration was not saved: " + error);
    std::cout << "Save Configuration completely\n";
    return kExitOk;
}

int commandLoad(const Options& options, device::DeviceLink& link) {
    if (options.arguments.size() != 3)
        throw UsageError{"load needs ROUTER and FILE"};
    if (!options.yes && !confirmLoad())
        throw Failure("not confirmed (use --yes when no terminal is attached)");
    const DEVICE_INFO router = login(options, link, true);
    device::ConfigStore store(device::familyOf(router));
    const device::FetchResult fetched = device::fetchCatalogue(link, router.ipAddress, store);
    if (fetched != device::FetchResult::Ok)
        throw Failure(std::string(device::fetchFailureMessage(fetched)));
    std::string error;
    const auto file =
        device::readFileBytes(options.arguments[2], device::largestFileSize() + 1, &error);
    if (!file)
        throw Failure(error);
    const auto version = device::fileVersionNumber(store);
    const device::CheckedFile checked =
        device::checkConfigFile(*file, store.family(), version.value_or(-1));
    switch (checked.check) {
    case device::FileCheck::FormatError:
        throw Failure("Configuration file format error");
    case device::FileCheck::VersionMismatch:
        throw Failure("Version number mismatch");
    case device::FileCheck::Incomplete:
        throw Failure("the configuration file is shorter than its layout; nothing was written");
    case device::FileCheck::Ok:
        break;
    }
    const auto refused = device::writeConfigFile(link, router.ipAddress, *file, checked);
    device::sendResetRequest(link, router.ipAddress);
    std::this_thread::sleep_for(std::chrono::milliseconds(options.resetWaitMs));
    // A router keeps some variables to itself (its version texts, for one);
    // say which writes it refused, without failing the load for them.
    for (const device::FileWrite& w : refused) {
        std::cerr << "tolvaro-cli: the router kept its own value of " << hex(w.variable)
                  << " (mode " << w.mode << ")\n";
    }
    std::cout << "device reset finished\n";
    return kExitOk;
}

int run(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    if (options.arguments.empty())
        throw UsageError{"no command"};
    const std::string& command = options.arguments[0];
    if (command == "show")
        return commandShow(options);
    if (command == "diff")
        return commandDiff(options);
    if (command != "discover" && command != "save" && command != "load")
        throw UsageError{"unknown command " + command};

    for (const std::string& problem : ipslan::environmentProblems())
        std::cerr << "tolvaro-cli: " << problem << "\n";
    const auto link = device::makeLibraryLink();
    link->initLan();
    if (command == "discover")
        return commandDiscover(options, *link);
    if (command == "save")
        return commandSave(options, *link);
    return commandLoad(options, *link);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << "tolvaro-cli: " << e.text << "\nTry tolvaro-cli --help.\n";
        return kExitUsage;
    } catch (const Failure& e) {
        std::cerr << "tolvaro-cli: " << e.text() << "\n";
        return kExitFailed;
    }
}
