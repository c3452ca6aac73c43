// The inventory of routers (inventory.cpp describes the file).
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

class InventoryError {
public:
    std::string text;
};

// Reads and checks the whole inventory; throws InventoryError naming the
// file and line.
std::vector<InventoryRouter> readInventory(const std::string& path);
// $XDG_CONFIG_HOME/tolvaro/inventory.toml, else ~/.config/tolvaro/inventory.toml.
std::string defaultInventory();
// The router's password from its password_env or password_file; nothing when
// it names neither. Throws Failure when the one it names cannot be read.
std::optional<std::string> passwordOf(const InventoryRouter& r);

// Logs in to an inventory router for `operation`: a LAN router is looked up
// by hardware address among `lan` (one discovery for all) and its password
// checked, a remote one gets the connection test. A hardware address that
// two routers announce is refused. Sets the link's community and port.
// Throws Failure with the reason.
DEVICE_INFO reachInventoryRouter(device::DeviceLink& link, const std::vector<DEVICE_INFO>& lan,
                                 const InventoryRouter& r, device::LoginFor operation,
                                 const Options& options);

} // namespace tolvaro::cli
