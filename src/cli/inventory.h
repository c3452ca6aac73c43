// The inventory of the commands that work on many routers (backup, the
// metrics of status). It is TOML:
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
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace tolvaro::cli {

struct InventoryRouter {
    std::string name;
    int line = 0;
    std::string hardware; // upper case, ':' between pairs; empty for a remote router
    std::optional<RemoteTarget> remote;
    std::string passwordEnv;
    std::string passwordFile; // made absolute against the inventory's folder
};

// What is wrong with an inventory file, with its path and line.
class InventoryError {
public:
    std::string text;
};

// The routers of the file, checked whole: names valid and unique, each with
// either hardware or remote. Throws InventoryError.
std::vector<InventoryRouter> readInventory(const std::string& path);

// $XDG_CONFIG_HOME/tolvaro/inventory.toml, or ~/.config/tolvaro/inventory.toml.
std::string defaultInventory();

// The router's password from its environment variable or file; nothing when
// the inventory gives none. Throws Failure when the variable or file is
// missing.
std::optional<std::string> passwordOf(const InventoryRouter& r);

// Logs in to an inventory router for `operation`: a LAN router is looked up
// by hardware address among `lan` (one discovery for all) and its password
// checked, a remote one gets the connection test. Sets the link's community
// and port. Throws Failure with the reason.
DEVICE_INFO reachInventoryRouter(device::DeviceLink& link, const std::vector<DEVICE_INFO>& lan,
                                 const InventoryRouter& r, device::LoginFor operation);

} // namespace tolvaro::cli
