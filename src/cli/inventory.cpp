// The inventory of routers that backup, apply --inventory and status
// --prometheus work on (TOML):
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
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>

#include <toml++/toml.h>

#include "cli/inventory.h"
#include "device/device_record.h"
#include "device/remote_connection.h"

namespace tolvaro::cli {

namespace fs = std::filesystem;

namespace {

std::string inQuotes(std::string_view text) {
    return "\"" + escaped(text) + "\"";
}

bool validName(const std::string& name) {
    return !name.empty() && name.size() <= 64 && name.front() != '.' &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) {
               return std::isalnum(c) || c == '.' || c == '-' || c == '_';
           });
}

// "0a-1b-2c-3d-4e-5f" and "0A:1B:2C:3D:4E:5F" alike; nothing when malformed.
std::optional<std::string> hardwareAddress(std::string text) {
    if (text.size() != 17)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (i % 3 == 2) {
            if (c != ':' && c != '-')
                return std::nullopt;
            text[i] = ':';
        } else if (!std::isxdigit(c)) {
            return std::nullopt;
        } else {
            text[i] = static_cast<char>(std::toupper(c));
        }
    }
    return text;
}

} // namespace

std::vector<InventoryRouter> readInventory(const std::string& path) {
    const auto fail = [&path](const toml::source_region& where, const std::string& text) {
        return InventoryError{escaped(path) + ":" + std::to_string(where.begin.line) + ": " + text};
    };
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        throw InventoryError{escaped(path) + ": no such inventory file"};
    warnIfOthersCanRead(path, "the inventory");
    toml::table document;
    try {
        document = toml::parse_file(path);
    } catch (const toml::parse_error& e) {
        throw fail(e.source(), std::string(e.description()));
    }
    const fs::path folder = fs::absolute(fs::path(path)).parent_path();
    std::vector<InventoryRouter> routers;
    std::map<std::string, int> lines;
    for (auto&& [key, value] : document) {
        if (key.str() != "router")
            throw fail(key.source(), "unknown key " + inQuotes(key.str()) +
                                         " (routers are listed as [[router]] tables)");
        const toml::array* list = value.as_array();
        if (!list || !list->is_array_of_tables())
            throw fail(key.source(), "\"router\" must be a list of tables, written [[router]]");
        for (const toml::node& node : *list) {
            const toml::table& table = *node.as_table();
            InventoryRouter r;
            r.line = static_cast<int>(table.source().begin.line);
            for (auto&& [field, v] : table) {
                const std::string name(field.str());
                const std::optional<std::string> text = v.value<std::string>();
                if (!v.is_string() || !text)
                    throw fail(v.source(), name + " must be a text in quotes");
                if (name == "name") {
                    r.name = *text;
                } else if (name == "hardware") {
                    const auto hardware = hardwareAddress(*text);
                    if (!hardware)
                        throw fail(v.source(), "hardware " + inQuotes(*text) +
                                                   " is not a hardware address like "
                                                   "00:A0:C5:12:34:56");
                    r.hardware = *hardware;
                } else if (name == "remote") {
                    const auto colon = text->rfind(':');
                    RemoteTarget target{text->substr(0, colon),
                                        colon == std::string::npos ? "" : text->substr(colon + 1)};
                    const device::RemoteOutcome checked =
                        device::checkRemoteFields(target.address, target.port, "");
                    if (checked != device::RemoteOutcome::Answered)
                        throw fail(v.source(), "remote " + inQuotes(*text) + " (ADDRESS:PORT): " +
                                                   std::string(device::remoteMessage(checked)));
                    r.remote = target;
                } else if (name == "password_env") {
                    r.passwordEnv = *text;
                } else if (name == "password_file") {
                    r.passwordFile = (folder / *text).string();
                } else {
                    throw fail(field.source(), "unknown key " + inQuotes(name) +
                                                   " (a router has name, hardware or remote, and "
                                                   "password_env or password_file)");
                }
            }
            const toml::source_region& where = table.source();
            if (r.name.empty())
                throw fail(where, "a router without a name");
            if (!validName(r.name))
                throw fail(where, "name " + inQuotes(r.name) +
                                      " names the backup files, so it may hold only letters, "
                                      "digits, '.', '-' and '_' and not begin with '.'");
            if (const auto [it, added] = lines.emplace(r.name, r.line); !added)
                throw fail(where, "name " + inQuotes(r.name) + " is used twice (also on line " +
                                      std::to_string(it->second) + ")");
            if (r.hardware.empty() == !r.remote.has_value())
                throw fail(where, "router " + inQuotes(r.name) +
                                      " needs either hardware (on this LAN) or remote "
                                      "(ADDRESS:PORT), not both");
            if (!r.passwordEnv.empty() && !r.passwordFile.empty())
                throw fail(where, "router " + inQuotes(r.name) +
                                      " has both password_env and password_file");
            routers.push_back(std::move(r));
        }
    }
    if (routers.empty())
        throw InventoryError{escaped(path) + ": no routers listed (add [[router]] tables)"};
    return routers;
}

std::string defaultInventory() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return (fs::path(config) / "tolvaro" / "inventory.toml").string();
    if (const char* home = std::getenv("HOME"); home && *home)
        return (fs::path(home) / ".config" / "tolvaro" / "inventory.toml").string();
    return "inventory.toml";
}

std::optional<std::string> passwordOf(const InventoryRouter& r) {
    if (!r.passwordEnv.empty()) {
        const char* value = std::getenv(r.passwordEnv.c_str());
        if (!value)
            throw Failure{"the environment variable " + escaped(r.passwordEnv) +
                          " that holds its password is not set"};
        return std::string(value);
    }
    if (!r.passwordFile.empty())
        return readPasswordFile(r.passwordFile);
    return std::nullopt;
}

DEVICE_INFO reachInventoryRouter(device::DeviceLink& link, const std::vector<DEVICE_INFO>& lan,
                                 const InventoryRouter& r, device::LoginFor operation,
                                 const Options& options) {
    const std::optional<std::string> password = passwordOf(r);
    if (r.remote)
        return connectRemote(link, *r.remote, password.value_or(""));
    const auto found = std::find_if(lan.begin(), lan.end(), [&r](const DEVICE_INFO& d) {
        return announcedHardware(d) == r.hardware;
    });
    if (found == lan.end())
        throw Failure{"no router with the hardware address " + r.hardware + " answered discovery"};
    refuseTwins(link, lan, *found);
    logInTo(link, *found, password, operation, options);
    return *found;
}

} // namespace tolvaro::cli
