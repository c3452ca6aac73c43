// The login sequence every operation on a router runs once it has chosen the
// router: the administrator password prompt (when the router has a password)
// and the community and UDP port for the requests that follow.
//
// What each operation sets:
//
//   operation        password prompt   community                       port
//   Setup, Load      when a password   the password, else "TiLvOrA"   remote port or 161
//   Save             when a password   the prompt's choice, else       remote port or 161
//                                      "TiLvOrA"
//   IP Address       when a password   unchanged                       unchanged
//
// Save sets the community and port itself, although it could inherit them
// from the last login: after a remote connection, or after a login to a
// router with a password, the inherited values would point its reads at the
// wrong port or with the wrong community, and Save would fail for no reason
// the user can see. The IP Address operation leaves both alone because its
// two library calls travel over the discovery protocol, which uses neither.
#pragma once

#include "device/login_rule.h"
#include "operation/app_context.h"

namespace tolvaro::app {

using device::kFixedCommunity;
using device::kLanSnmpPort;
using device::LoginFor;

namespace login_text {
inline constexpr const char* kWrongPassword = "Wrong Password";
} // namespace login_text

// Runs the login for the router at the selected index. Returns true when the
// operation goes on; false after "Wrong Password" or a cancelled prompt (no
// message). The login result is left in the state for the caller.
bool runLogin(AppContext& context, LoginFor operation);

} // namespace tolvaro::app
