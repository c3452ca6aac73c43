// Snapshots window: what a router held before each write, newest first.
#include "res/ids/snapshots_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = snapshots;

constexpr int kColumnX = 224;
constexpr int kColumnWidth = 89;

ControlSpec columnButton(int id, std::string caption, int y) {
    return {
        id, ControlKind::Button, std::move(caption), {kColumnX, y, kColumnWidth, kButtonHeight}};
}

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "Snapshots", 320, 182);
    auto& c = t.controls;

    c.push_back(text("", kMargin, kMargin, 306, ids::kRouterLabel));
    c.push_back(listView(ids::kList, kMargin, 19, 210, 136, ui::kAlwaysShowSel));
    c.push_back(text("", 12, 80, 200, ids::kNoneNote, ui::kCentered | ui::kHidden));

    c.push_back(columnButton(ids::kCompareRouter, "Compare with Router", 19));
    c.push_back(text("Other snapshot:", kColumnX, 40, kColumnWidth, ids::kOtherLabel));
    c.push_back(combo(ids::kOther, kColumnX, 50, kColumnWidth, ui::kVScroll));
    c.push_back(columnButton(ids::kCompareSnapshots, "Compare Snapshots", 65));
    c.push_back(columnButton(ids::kSaveAs, "Save As…", 93));
    c.push_back(columnButton(ids::kDelete, "Delete", 111));
    c.push_back(columnButton(ids::kRestore, "Restore…", 141));

    c.push_back(button(ui::kIdCancel, "Cancel", 150, 162, ui::kHidden));
    c.push_back(button(ui::kIdOk, "Close", 204, 162, ui::kDefault));
    c.push_back(button(ui::kIdHelp, "Help", 263, 162));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
