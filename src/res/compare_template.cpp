// Compare window: the settings in which two configurations differ.
#include "res/ids/compare_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = compare;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "Compare", 400, 190);
    auto& c = t.controls;

    c.push_back(text("", kMargin, kMargin, 386, ids::kLeftLabel));
    c.push_back(text("", kMargin, 17, 386, ids::kRightLabel));
    c.push_back(listView(ids::kList, kMargin, 29, 386, 134));
    c.push_back(text("", 12, 90, 376, ids::kSameNote, ui::kCentered | ui::kHidden));

    c.push_back(button(ui::kIdCancel, "Cancel", 230, 170, ui::kHidden));
    c.push_back(button(ui::kIdOk, "Close", 284, 170, ui::kDefault));
    c.push_back(button(ui::kIdHelp, "Help", 343, 170));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
