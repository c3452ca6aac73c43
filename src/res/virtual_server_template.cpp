// Virtual Server Setup dialog: one port forwarding to a LAN server.
#include "res/ids/virtual_server_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = virtual_server;
namespace cap = captions::virtual_server;

const ui::TemplateRegistration reg{[] {
    ui::Template t = dialog(ids::kTemplate, "Virtual Server Setup", 201, 111);
    auto& c = t.controls;

    c.push_back(check(ids::kEnable, cap::kEnable, 7, 7, 50));
    c.push_back({ids::kUnusedAddress,
                 ControlKind::IpAddress,
                 "",
                 {110, 6, 84, 12},
                 ui::kHidden | ui::kDisabled});
    c.push_back(label(cap::kName, 7, 22, 32));
    c.push_back(edit(ids::kName, 42, 22, 60, ui::kLowerCase));
    c.push_back(label(cap::kProtocol, 110, 22, 32));
    c.push_back(combo(ids::kProtocol, 144, 22, 50, 0, kShortComboDropHeight));
    c.push_back(label(cap::kAddress, 7, 37, 32));
    addAddress(c, ids::kServerIp, 42, 37, ui::kDigitsOnly);

    c.push_back(group(cap::kPort, 7, 53, 187, 30));
    c.push_back(label(cap::kExternal, 14, 65, 34));
    c.push_back(edit(ids::kExternalPort, 50, 65, 30, ui::kDigitsOnly));
    c.push_back(label(cap::kInternal, 100, 65, 34));
    c.push_back(edit(ids::kInternalPort, 136, 65, 30, ui::kDigitsOnly));

    c.push_back(button(ui::kIdOk, "OK", 90, 90, ui::kDefault | ui::kGroupStart));
    c.push_back(button(ui::kIdCancel, "Cancel", 144, 90));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
