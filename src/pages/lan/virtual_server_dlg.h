// Adding or editing one virtual server of the Internet Application page: a
// port on the router forwarded to a server on its LAN.
#pragma once

#include <ipslan/ipslan.h>
#include <ipslan/records.h>

#include "pages/lan/internet_application_tables.h"
#include "ui/dialog.h"

namespace tolvaro::pages {

namespace virtual_server_text {
inline constexpr const char* kAddressEmpty = "Each IP address field should not be empty";
inline constexpr const char* kAddressRange =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
inline constexpr const char* kOtherNetwork =
    "IP Address error.\nThe IP address for the this Virtual Server is incompatible with the "
    "device IP Address.\nThe network address must be the same. For simple LANs, \nthis requires "
    "that the first 3 fields be the same.";
inline constexpr const char* kNoName = "Please enter server name.";
inline constexpr const char* kNoPort = "Please enter external or internal  port number.";
inline constexpr const char* kExternalRange = "External port number should be 1-65534.";
// The router's own wording for the internal port.
inline constexpr const char* kInternalRange = "External  port number should be 1-65534.";
inline constexpr const char* kPortInUse =
    "Port number error.\nThis port number is already in use.\nYou must use a different port.";
inline constexpr const char* kNameInUse =
    "Name error.\nThis name is already in use.\nYou must use a different name.";
} // namespace virtual_server_text

// The dialog edits `record` in place, and only when OK passes every check;
// Cancel sets `*cancelled` to 1 and leaves everything else alone. `device`
// is the router being configured: the server must be on its LAN. `servers`
// is the page's list; row `ownRow` (kNewRecordRow for a new record) is the
// record itself and takes no part in the uniqueness check. All references
// must outlive the dialog.
class CVirtualServerDlg : public ui::Dialog {
public:
    CVirtualServerDlg(LOCAL_S& record, EditMode mode, int* cancelled, int ownRow,
                      const ServerList& servers, const DEVICE_INFO& device);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    // Shows `message` and keeps the dialog open.
    void refuse(const char* message);

    LOCAL_S& record_;
    EditMode mode_;
    int* cancelled_;
    int ownRow_;
    const ServerList& servers_;
    const DEVICE_INFO& device_;
};

} // namespace tolvaro::pages
