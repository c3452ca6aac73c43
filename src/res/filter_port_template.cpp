// Filter Port dialog: one user-defined port for the Group Setup list.
#include "res/ids/filter_port_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = filter_port;
namespace cap = captions::filter_port;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, cap::kDialog, 167, 58);
    auto& c = t.controls;

    c.push_back(label(cap::kName, 7, 7, 46));
    c.push_back(edit(ids::kName, 56, 7, 40, ui::kLowerCase));
    c.push_back(label("Protocol", 7, 22, 46));
    c.push_back(combo(ids::kProtocol, 56, 22, 40, 0, 30));
    c.push_back(label(cap::kPortNumber, 7, 37, 46));
    c.push_back(edit(ids::kPort, 56, 37, 40, ui::kDigitsOnly));

    c.push_back(button(ui::kIdOk, "OK", 110, 7, ui::kDefault | ui::kGroupStart));
    c.push_back(button(ui::kIdCancel, "Cancel", 110, 24));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
