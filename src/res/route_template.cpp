// Routing Entry dialog: one static route for the LAN page.
#include "res/ids/route_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = route;
namespace cap = captions::route;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "Routing Entry", 150, 124);
    auto& c = t.controls;

    constexpr int fieldX = 52;
    c.push_back(label(cap::kName, 7, 7, 42));
    c.push_back(edit(ids::kName, fieldX, 7, 60, ui::kLowerCase));
    c.push_back(label(cap::kDestination, 7, 22, 42));
    addAddress(c, ids::kDestination, fieldX, 22, ui::kDigitsOnly);
    c.push_back(label(cap::kMask, 7, 37, 42));
    addAddress(c, ids::kMask, fieldX, 37, ui::kDigitsOnly);
    c.push_back(label(cap::kGateway, 7, 52, 42));
    addAddress(c, ids::kGateway, fieldX, 52, ui::kDigitsOnly);
    c.push_back(label(cap::kMetric, 7, 67, 42));
    c.push_back(edit(ids::kMetric, fieldX, 67, 20, ui::kDigitsOnly));
    c.push_back(label(cap::kInterface, 7, 82, 42));
    c.push_back(combo(ids::kInterface, fieldX, 82, 48, 0, kShortComboDropHeight));

    c.push_back(button(ui::kIdOk, "OK", 39, 103, ui::kDefault | ui::kGroupStart));
    c.push_back(button(ui::kIdCancel, "Cancel", 93, 103));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
