// Access Control page: the groups and the workstation list.
#include "res/ids/access_control_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = access_control;
namespace cap = captions::access_control;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    c.push_back(group("Groups", 7, 7, 286, 34));
    c.push_back(combo(ids::kGroup, 14, 20, 100));
    c.push_back(button(ids::kGroupSetup, "Setup", 120, 19));

    c.push_back(group(cap::kWorkstations, 7, 45, 286, 173));
    c.push_back(listView(ids::kWorkstationList, 14, 57, 272, 135, ui::kAlwaysShowSel));
    c.push_back(button(ids::kAddWorkstation, "Add", 128, 198));
    c.push_back(button(ids::kEditWorkstation, "Edit", 182, 198));
    c.push_back(button(ids::kDeleteWorkstation, "Delete", 236, 198));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
