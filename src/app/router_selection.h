// How every operation on a router begins: the list's selection mark becomes
// the selected index, a "Remote" row turns the operation to the router
// reached over the WAN, the login runs, and a router outside this computer's
// network is first given an address on it.
#pragma once

#include "app/login.h"
#include "operation/app_context.h"

namespace tolvaro::app {

class CMainDlg;

namespace selection_text {
inline constexpr const char* kSelectRouter = "You have to select a router";
} // namespace selection_text

// The remote selection step: clears the remote flag, and when the row of the
// selection mark is the "Remote" row sets it, shows "Remote" in the label,
// makes the record at that row family 2 and fills it (address, password,
// local address, mask) and the remote port from the last remote connection
// with the row's address. A row beyond the device table is left alone.
void runRemoteSelection(AppContext& context, CMainDlg& main);

// Setup, Save and Load, first step: login result 0, the remote selection
// step, then the selection mark as the selected index. False after "You have
// to select a router" (no row chosen, or a row with no record behind it).
bool chooseRouter(AppContext& context, CMainDlg& main);

// The same for the IP Address operation, which has no remote selection step
// and also refuses a list without a selected row.
bool chooseRouterForAddressChange(AppContext& context, CMainDlg& main);

// Whether the selected router's address lies outside this computer's network
// under the router's mask (address, local address and mask from its record).
bool outsideLocalNetwork(const DEVICE_INFO& record);

// Setup, Save and Load, steps 1 to 3: choose the router, log in for
// `operation`, and run the subnet check. A LAN router outside the local
// network goes through the IP Address operation first; the operation then
// ends unless that operation's password prompt was cancelled, in which case
// it goes on with the router's current address. Returns true when the
// operation goes on.
bool beginRouterOperation(AppContext& context, CMainDlg& main, LoginFor operation);

} // namespace tolvaro::app
