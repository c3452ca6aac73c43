#include "pages/lan/dhcp_status_dlg.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "device/config_store.h"
#include "device/device_link.h"
#include "device/line_control.h"
#include "res/ids/dhcp_status_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::dhcp_status;

constexpr const char* kReadFailed = "Get DHCP Status fail";

std::string addressText(const device::Lease& lease) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d . %d . %d . %d ", lease.address[0], lease.address[1],
                  lease.address[2], lease.address[3]);
    return buffer;
}

} // namespace

CDhcpStatusDlg::CDhcpStatusDlg(AppContext& context)
    : ui::Dialog(ids::kTemplate), context_(context) {}

void CDhcpStatusDlg::onInitDialog() {
    std::optional<std::vector<device::Lease>> table;
    {
        ui::WaitCursor wait(context_.host);
        table = device::readLeases(context_.device, context_.state.selected().ipAddress);
    }
    if (!table) {
        host().messageBox(kReadFailed);
        return;
    }

    auto leases = list(ids::kLeaseList);
    const int q = (leases.pixelWidth() - 18) / 6;
    leases.addColumn("IP Address", 2 * q);
    leases.addColumn("H/W Address", 2 * q - 1);
    leases.addColumn("Status", 2 * q);

    int row = 0;
    for (const device::Lease& lease : *table) {
        leases.insert(row, addressText(lease));
        leases.setText(row, 1, device::hyphenatedHardware(lease.hardware.data()));
        leases.setText(row, 2, lease.leased ? device::kLeasedText : device::kReservedText);
        ++row;
    }
}

} // namespace tolvaro::pages
