// Which community and port the requests after a login use, by operation. The
// desktop program's password dialog and login sequence and the command-line
// tool all follow this one rule; each only adds its own way of asking.
//
//   operation        community afterwards                          port
//   Setup, Load      the password, else "TiLvOrA"                  set
//   Save             password: "TiLvOrA" for family 1, else the    set
//                    password; no password: "TiLvOrA"
//   IP Address       as Save with a password; else unchanged       unchanged
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <ipslan/ipslan.h>

namespace tolvaro::device {

// The community of family-1 routers and of routers without a password.
inline constexpr const char* kFixedCommunity = "TiLvOrA";
// SNMP port of routers on the LAN.
inline constexpr int kLanSnmpPort = 161;

enum class LoginFor { Setup, Load, Save, IpAddress };

// The record's administrator password; empty when the router has none and
// no password is asked.
std::string recordPassword(const DEVICE_INFO& record);

// Exact, case-sensitive comparison with the record's password.
bool passwordMatches(const DEVICE_INFO& record, std::string_view typed);

// The community an accepted password chooses: family-1 routers answer the
// fixed community whatever their password.
std::string acceptedCommunity(const DEVICE_INFO& record);

// What the login sequence itself sets after the password step: nothing when
// it leaves the community as the password step (or an earlier login) chose.
std::optional<std::string> sequenceCommunity(const DEVICE_INFO& record, LoginFor operation);

// The community in force after the whole login.
std::optional<std::string> loginCommunity(const DEVICE_INFO& record, LoginFor operation);

// Whether the login sets the SNMP port.
bool loginSetsPort(LoginFor operation);

} // namespace tolvaro::device
