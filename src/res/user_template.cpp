// User dialog: one dial-in user.
#include "res/ids/user_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = user;
namespace cap = captions::user;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "User", 210, 139);
    auto& c = t.controls;

    constexpr int fieldX = 86;
    c.push_back(group("User Setting", 7, 7, 196, 104));
    c.push_back(label(cap::kName, 14, 19, 70));
    c.push_back(edit(ids::kName, fieldX, 19, 70, ui::kLowerCase));
    // The password is shown as typed.
    c.push_back(label(cap::kPassword, 14, 34, 70));
    c.push_back(edit(ids::kPassword, fieldX, 34, 70));
    c.push_back(check(ids::kEnableDialIn, cap::kEnableDialIn, 14, 50, 80));
    c.push_back(label(cap::kTimeLimit, 14, 64, 70));
    c.push_back(edit(ids::kTimeLimit, fieldX, 64, 20, ui::kDigitsOnly));
    c.push_back(label("min ( 0: Unlimited )", fieldX + 24, 64, 82));
    c.push_back(label(cap::kCallBack, 14, 79, 40));
    c.push_back(radio(ids::kCallBackDisable, "Disable", 56, 80, 44, ui::kGroupStart));
    c.push_back(radio(ids::kCallBackRoaming, "Roaming", 104, 80, 52));
    c.push_back(radio(ids::kCallBackFixed, cap::kCallBackFixed, 56, 94, 66));
    c.push_back(edit(ids::kCallBackNumber, 124, 93, 72, ui::kGroupStart));

    c.push_back(button(ui::kIdOk, "OK", 99, 118, ui::kDefault | ui::kGroupStart));
    c.push_back(button(ui::kIdCancel, "Cancel", 153, 118));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
