// Remote Management dialog: reaching a router over its WAN port.
#include "res/ids/remote_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = remote;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "Remote Management", 182, 136);
    auto& c = t.controls;

    // The two drop-down lists keep the recent addresses and ports in the
    // order they are added.
    c.push_back(group("Remote Device", 7, 7, 168, 63));
    // Starts a little left of the other labels so that it stays on one line.
    c.push_back({ui::kNoId, ControlKind::Static, "IP Address (WAN port)", {11, 20, 79, 8}});
    c.push_back({ids::kAddress, ControlKind::ComboEdit, "", {91, 18, 75, 65}, ui::kVScroll});
    c.push_back(text("Port Number", 14, 37, 75));
    c.push_back({ids::kPort, ControlKind::ComboEdit, "", {91, 35, 48, 62}, ui::kVScroll});
    c.push_back(text("Password", 14, 54, 75));
    c.push_back({ids::kPassword, ControlKind::Edit, "", {91, 52, 75, 14}, ui::kAutoHScroll});

    c.push_back(group("Connection Status", 7, 78, 168, 26));
    c.push_back(text("", 18, 90, 127, ids::kConnectionStatus));

    c.push_back({ui::kIdOk,
                 ControlKind::Button,
                 "Connect",
                 {24, 115, 40, 14},
                 ui::kDefault | ui::kGroupStart});
    c.push_back({ui::kIdCancel, ControlKind::Button, "Close", {71, 115, 40, 14}});
    c.push_back({ui::kIdHelp, ControlKind::Button, "Help", {118, 115, 40, 14}});
    return t;
}()};

} // namespace
} // namespace tolvaro::res
