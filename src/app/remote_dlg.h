// Remote management: reaching a router over its WAN port by address, port
// and password. The dialog tests the connection, remembers the recent
// addresses and ports in the settings store, and records every successful
// connection in the run-wide state; the Remote button then lists the router
// as a "Remote" row, which the other operations treat like a listed router
// (family 2, the remote port, no subnet check).
//
// Decisions where the behaviour was open:
// - Local address and mask: the first of this computer's addresses whose
//   first three numbers match the router's; failing that, the one sharing
//   the most leading numbers, a loopback address counting last for a router
//   elsewhere (a loopback router at 127.0.0.1 gets 127.0.0.1); no address at
//   all leaves both empty. The mask follows the local address's class.
// - Field lengths: the remote entry keeps 19 characters of address and 12 of
//   password, and the port must be a number the requests can use (1 to
//   65535). Longer texts and other ports are refused with a message and the
//   focus on the field, before anything is sent, so that the router tested
//   is the router the later operations reach.
// - With 32 rows listed the device table has no record left for a Remote
//   row: the connection is remembered, but no row is added and a message
//   says why.
// - The record behind a new Remote row gets the name "Remote": it may still
//   hold the name of a router an earlier discovery listed at that index,
//   which would otherwise caption the remote router's settings sheet.
// - A value that cannot be written to the settings store shows the same
//   message as a key that cannot be opened.
#pragma once

#include <string>
#include <vector>

#include <ipslan/variables.h>

#include "app/remote_history.h"
#include "device/remote_connection.h"
#include "ui/dialog.h"

namespace tolvaro {
struct AppContext;
}

namespace tolvaro::app {

class CMainDlg;

using device::kConnectionTestVariable;
using device::kRemoteAddressLimit;
using device::kRemotePasswordLimit;

namespace remote_text {
using namespace device::remote_text;
// String 2 of the string table.
inline constexpr const char* kRegistryError =
    "Errors occur when reading system registry. You may need to re-install your windows.";
inline constexpr const char* kListFull =
    "The router list is full, so the remote router cannot be added to it.";
} // namespace remote_text

// Connect (the OK command) tests the router and, on an answer, remembers it
// and ends the dialog with OK; Close ends it with Cancel. The outcome is in
// the state: the connection result (0 at start, else the result of the last
// test), the connected address and, per success, one more remote connection.
class CRemoteDlg : public ui::Dialog {
public:
    explicit CRemoteDlg(AppContext& context);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void refuse(int id, const char* message);
    void offerRecent(int id, const std::vector<std::string>& list);
    std::vector<std::string> offered(int id) const;

    AppContext& context_;
    RecentLists recent_;
};

// The Remote button: runs the dialog, the remote selection step, and after a
// connection to a router not already listed adds the "Remote" row and
// chooses it.
void runRemoteOperation(AppContext& context, CMainDlg& main);

} // namespace tolvaro::app
