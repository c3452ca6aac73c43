// Group Setup dialog: the Internet access policy of one workstation group.
// The dialog replaces the caption by the group's name.
#include "res/ids/group_setup_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = group_setup;
namespace cap = captions::group_setup;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "Group Setup", 230, 187);
    auto& c = t.controls;

    c.push_back(text(cap::kAccessControl, 7, 7, 120));
    c.push_back(radio(ids::kNoRestriction, "No Restriction", 14, 19, 90, ui::kGroupStart));
    c.push_back(radio(ids::kBlockAll, "Block all access", 14, 31, 90));
    c.push_back(radio(ids::kUseList, "Use List Below", 14, 43, 90));
    c.push_back(listView(ids::kPortList, 7, 57, 216, 104, ui::kGroupStart));
    c.push_back(button(ids::kAddPort, "Add", 119, 166));
    c.push_back(button(ids::kDeletePort, "Delete", 173, 166));

    c.push_back(button(ui::kIdOk, "OK", 173, 7, ui::kDefault));
    c.push_back(button(ui::kIdCancel, "Cancel", 173, 24));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
