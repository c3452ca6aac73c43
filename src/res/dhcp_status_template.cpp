// DHCP Lease Status dialog: the router's current address assignments.
#include "res/ids/dhcp_status_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = dhcp_status;
namespace cap = captions::dhcp_status;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, cap::kDialog, 240, 160);
    auto& c = t.controls;

    c.push_back(listView(ids::kLeaseList, 7, 7, 226, 125));
    // Both commands only close the dialog; Cancel stays for Escape.
    c.push_back(button(ui::kIdCancel, "Cancel", 129, 139, ui::kHidden));
    c.push_back(button(ui::kIdOk, "Close", 183, 139, ui::kDefault));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
