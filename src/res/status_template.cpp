// Status page: versions, line status, dial and hang-up, connection log.
#include "res/ids/status_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = status;
namespace cap = captions::status;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    // The value statics hold a placeholder until the page fills them.
    c.push_back(group("System", 7, 7, 286, 50));
    c.push_back(text(cap::kFirmwareVersion, 14, 19, 70));
    c.push_back(text("123456789", 90, 19, 196, ids::kFirmwareVersion));
    c.push_back(text(cap::kHardwareAddress, 14, 31, 70));
    c.push_back(text("123456789", 90, 31, 196, ids::kHardwareAddress));
    c.push_back(text(cap::kHardwareId, 14, 43, 70));
    c.push_back(text("123456789", 90, 43, 196, ids::kHardwareId));

    // The router's status text runs to four lines once a call is up.
    c.push_back(group("Connection Status", 7, 59, 286, 54));
    c.push_back({ids::kConnectionStatus,
                 ControlKind::Edit,
                 "",
                 {14, 70, 214, 40},
                 ui::kMultiLine | ui::kReadOnly});
    c.push_back(button(ids::kDialUp, "Dial up", 236, 72));
    c.push_back(button(ids::kHangUp, "Hang up", 236, 90));

    c.push_back(group("Connection Log", 7, 116, 286, 102));
    c.push_back({ids::kConnectionLog,
                 ControlKind::Edit,
                 "",
                 {14, 128, 272, 66},
                 ui::kMultiLine | ui::kReadOnly | ui::kVScroll});
    c.push_back(button(ids::kRefreshLog, "Refresh log", 236, 198));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
