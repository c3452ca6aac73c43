// Internet Application page: special applications, virtual servers and the
// exposed computer.
#include "res/ids/internet_application_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = internet_application;
namespace cap = captions::internet_application;

// The three buttons under a list, right-aligned with it.
void addListButtons(std::vector<ui::ControlSpec>& c, int add, int edit, int remove, int y) {
    c.push_back(button(add, "Add", 128, y));
    c.push_back(button(edit, "Edit", 182, y));
    c.push_back(button(remove, "Delete", 236, y));
}

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    c.push_back(group(cap::kSpecialApplications, 7, 7, 286, 86));
    c.push_back(listView(ids::kSpecialAppList, 14, 19, 272, 50, ui::kAlwaysShowSel));
    addListButtons(c, ids::kAddSpecialApp, ids::kEditSpecialApp, ids::kDeleteSpecialApp, 73);

    c.push_back(group(cap::kVirtualServer, 7, 97, 286, 86));
    c.push_back(listView(ids::kServerList, 14, 109, 272, 50));
    addListButtons(c, ids::kAddServer, ids::kEditServer, ids::kDeleteServer, 163);

    c.push_back(group(cap::kExposedComputer, 7, 187, 286, 31));
    c.push_back(check(ids::kExposedEnable, cap::kExposedEnable, 14, 201, 50));
    c.push_back(label(cap::kExposedAddress, 70, 199, 70));
    addAddress(c, ids::kExposedIp, 142, 199, ui::kDigitsOnly);
    return t;
}()};

} // namespace
} // namespace tolvaro::res
