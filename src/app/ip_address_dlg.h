// Giving a router on the LAN a new address and mask from this computer. The
// change travels over the discovery protocol, addressed by the router's
// hardware address, so it works while the router's current address is
// unreachable.
#pragma once

#include "res/ids/main_ids.h"
#include "ui/dialog.h"

namespace tolvaro {
struct AppContext;
// app/app_state.h; the templates include this header without the library.
enum LoginResult : int;
} // namespace tolvaro

namespace tolvaro::app {

class CMainDlg;

using res::ip_address::kIpAddressTemplate;
using res::ip_address::kIpCurrentAddress;
using res::ip_address::kIpCurrentMask;
using res::ip_address::kIpNewAddress;
using res::ip_address::kIpNewMask;
using res::ip_address::kIpOctetLimit;

// Time the router needs to restart at its new address.
inline constexpr int kAddressChangeWaitMs = 6000;

namespace ip_text {
inline constexpr const char* kFillEachField = "Please fill each IP field ";
inline constexpr const char* kAddressError =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
inline constexpr const char* kMaskError =
    " Network mask error.\nFor a network mask, each field must have a value between 0 and 255.";
inline constexpr const char* kSetIpFailed = "IPSUdpSetIP fail";
} // namespace ip_text

// The dialog works on the record at the selected index. `*result` is
// kLoginWrong from construction and after Cancel, kLoginAccepted once the
// router accepted a new address,
// which is then also in the record's address text.
class CIpAddressDlg : public ui::Dialog {
public:
    CIpAddressDlg(AppContext& context, LoginResult* result);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    AppContext& context_;
    LoginResult* result_;
};

// The network address handed to the free-address query: the local address
// cut after its third "." with "0" appended (192.168.1.34 gives 192.168.1.0).
// A local address with fewer than three points gives its parsed first three
// numbers and 0.
std::string localNetworkText(const std::string& localAddress);

// The IP Address operation (its button, and the subnet check of Setup, Save
// and Load): choose the row, ask the password when the router has one, run
// the dialog, and after a change wait 6000 ms and refresh the list. Leaves
// the login result at 2 when the password prompt was cancelled, else 0.
void runIpAddressOperation(AppContext& context, CMainDlg& main);

} // namespace tolvaro::app
