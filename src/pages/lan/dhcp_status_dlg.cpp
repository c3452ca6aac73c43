#include "pages/lan/dhcp_status_dlg.h"

#include <array>
#include <cstdio>

#include "device/config_store.h"
#include "device/device_link.h"
#include "res/ids/dhcp_status_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::dhcp_status;

// The lease table, in four consecutive parts of up to 17 records each.
constexpr auto kLeaseVariables = ipslan::var::kLeaseTable;
constexpr int kLeasesPerVariable = 17;
constexpr std::int32_t kNoLease = -1;

namespace text {
inline constexpr const char* kReadFailed = "Get DHCP Status fail";
inline constexpr const char* kLeased = "Leased";
inline constexpr const char* kReserved = "Reserve";
} // namespace text

std::string addressText(const dhcp_tmp_s& lease) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d . %d . %d . %d ", lease.address[0], lease.address[1],
                  lease.address[2], lease.address[3]);
    return buffer;
}

std::string hardwareText(const dhcp_tmp_s& lease) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02hX-%02hX-%02hX-%02hX-%02hX-%02hX",
                  static_cast<unsigned short>(lease.hardware[0]),
                  static_cast<unsigned short>(lease.hardware[1]),
                  static_cast<unsigned short>(lease.hardware[2]),
                  static_cast<unsigned short>(lease.hardware[3]),
                  static_cast<unsigned short>(lease.hardware[4]),
                  static_cast<unsigned short>(lease.hardware[5]));
    return buffer;
}

} // namespace

CDhcpStatusDlg::CDhcpStatusDlg(AppContext& context)
    : ui::Dialog(ids::kTemplate), context_(context) {}

void CDhcpStatusDlg::onInitDialog() {
    std::array<MIB_RESPONSE, kLeaseVariables.size()> parts{};
    int ok = 0;
    {
        ui::WaitCursor wait(context_.host);
        ok = context_.device.getInfo(context_.state.selected().ipAddress, 0,
                                     static_cast<int>(kLeaseVariables.size()),
                                     kLeaseVariables.data(), parts.data());
    }
    if (ok == 0) {
        host().messageBox(text::kReadFailed);
        return;
    }

    auto leases = list(ids::kLeaseList);
    const int q = (leases.pixelWidth() - 18) / 6;
    leases.addColumn("IP Address", 2 * q);
    leases.addColumn("H/W Address", 2 * q - 1);
    leases.addColumn("Status", 2 * q);

    int row = 0;
    for (const MIB_RESPONSE& part : parts) {
        // Each part is read only as far as the router said it reaches.
        const std::size_t length = device::entryLength(part);
        std::size_t offset = 0;
        for (int n = 0; n < kLeasesPerVariable; ++n) {
            dhcp_tmp_s lease{};
            const int used = IPSConvByteToDHCPTable(&lease, part.value + offset, length - offset);
            if (lease.address[0] == 0)
                return;
            leases.insert(row, addressText(lease));
            leases.setText(row, 1, hardwareText(lease));
            const bool leased = lease.dynamic != 0 && lease.lease != kNoLease;
            leases.setText(row, 2, leased ? text::kLeased : text::kReserved);
            ++row;
            offset += static_cast<std::size_t>(used);
        }
    }
}

} // namespace tolvaro::pages
