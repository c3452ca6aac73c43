// Special Application Setup dialog: one application with an outgoing and an
// incoming port range.
#include "res/ids/special_app_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = special_app;
namespace cap = captions::special_app;

// One direction: its protocol and its port range.
void addRange(std::vector<ui::ControlSpec>& c, const Caption& title, int y, int protocol, int start,
              int end) {
    c.push_back(group(title, 7, y, 216, 45));
    c.push_back(label(cap::kProtocol, 14, y + 12, 50));
    c.push_back(combo(protocol, 66, y + 12, 40, 0, kShortComboDropHeight));
    c.push_back(label(cap::kRangeStart, 14, y + 27, 50));
    c.push_back(edit(start, 66, y + 27, 30, ui::kDigitsOnly));
    c.push_back(label(cap::kRangeEnd, 110, y + 27, 16));
    c.push_back(edit(end, 128, y + 27, 30, ui::kDigitsOnly));
}

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "Special Application Setup", 230, 149);
    auto& c = t.controls;

    c.push_back(check(ids::kEnable, cap::kEnable, 7, 9, 50));
    c.push_back(label(cap::kName, 70, 8, 24));
    c.push_back(edit(ids::kName, 96, 8, 60, ui::kLowerCase));
    addRange(c, cap::kOutgoing, 26, ids::kOutgoingProtocol, ids::kOutgoingStart, ids::kOutgoingEnd);
    addRange(c, cap::kIncoming, 76, ids::kIncomingProtocol, ids::kIncomingStart, ids::kIncomingEnd);

    c.push_back(button(ui::kIdOk, "OK", 65, 128, ui::kDefault | ui::kGroupStart));
    c.push_back(button(ui::kIdCancel, "Cancel", 119, 128));
    c.push_back(button(ui::kIdHelp, "&Help", 173, 128));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
