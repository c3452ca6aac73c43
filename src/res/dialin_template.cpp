// Dial-in page: dial-in access, its authentication and the user list.
#include "res/ids/dialin_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = dialin;
namespace cap = captions::dialin;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    c.push_back(group("Dial-in Access", 7, 7, 286, 60));
    c.push_back(check(ids::kEnableDialIn, "Enable Dial-in Access", 14, 19, 120));
    c.push_back(label(cap::kIdleTimeout, 14, 33, 54));
    c.push_back(edit(ids::kIdleTimeout, 70, 33, 22, ui::kDigitsOnly));
    c.push_back(label("minutes (0 = Unlimited)", 96, 33, 100));
    c.push_back(label(cap::kAuthentication, 14, 48, 54));
    c.push_back(radio(ids::kAuthDisable, "Disable", 70, 49, 40, ui::kGroupStart));
    c.push_back(radio(ids::kAuthEnable, "Enable", 114, 49, 40));
    c.push_back(radio(ids::kAuthChap, "CHAP", 158, 49, 34, ui::kHidden | ui::kDisabled));

    c.push_back(group(cap::kUserList, 7, 71, 286, 147, ui::kNoId, ui::kGroupStart));
    c.push_back(listView(ids::kUserList, 14, 83, 272, 109));
    c.push_back(button(ids::kAddUser, "Add", 128, 198));
    c.push_back(button(ids::kEditUser, "Edit", 182, 198));
    c.push_back(button(ids::kDeleteUser, "Delete", 236, 198));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
