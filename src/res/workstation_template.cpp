// WorkStation dialog: one workstation of the Access Control page.
#include "res/ids/workstation_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = workstation;
namespace cap = captions::workstation;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "WorkStation", 230, 105);
    auto& c = t.controls;

    constexpr int fieldX = 54;
    c.push_back(label(cap::kName, 7, 7, 44));
    c.push_back(edit(ids::kName, fieldX, 7, 60, ui::kLowerCase));
    c.push_back(label(cap::kGroup, 7, 22, 44));
    c.push_back(combo(ids::kGroup, fieldX, 22, 60));
    c.push_back(label(cap::kHardwareAddress, 7, 37, 44));
    addFieldRow(c, ids::kHardwareAddress, fieldX, 37, kHexByteWidth, ":");

    c.push_back(group(cap::kReserve, 7, 53, 216, 45));
    c.push_back(check(ids::kReserve, "Reserve IP Address for This Workstation", 14, 65, 170));
    c.push_back(label(cap::kAddress, 14, 80, 40));
    addAddress(c, ids::kReservedIp, 56, 80, ui::kDigitsOnly);

    c.push_back(button(ui::kIdOk, "OK", 173, 7, ui::kDefault | ui::kGroupStart));
    c.push_back(button(ui::kIdCancel, "Cancel", 173, 24));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
