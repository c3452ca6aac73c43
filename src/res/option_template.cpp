// Option page: administrator password, remote management and ping answer.
#include "res/ids/option_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = option;
namespace cap = captions::option;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    c.push_back(group(cap::kAdministratorPassword, 7, 7, 286, 61));
    c.push_back(
        text("This password will be required in order to change the configuration", 14, 19, 272));
    c.push_back(label("Password", 14, 33, 40));
    c.push_back(edit(ids::kPassword, 60, 33, 80, ui::kPassword));
    c.push_back(label("Verify", 14, 49, 40));
    c.push_back(edit(ids::kVerifyPassword, 60, 49, 80, ui::kPassword));

    c.push_back(group(cap::kRemoteManagement, 7, 72, 286, 63, ids::kRemoteManagementGroup));
    c.push_back(check(ids::kEnableRemoteManagement,
                      "Enable Remote Management (manage from Internet)", 14, 85, 220));
    c.push_back(label(cap::kWebPort, 26, 99, 110, ids::kWebPortLabel));
    c.push_back(edit(ids::kWebPort, 140, 99, 40));
    c.push_back(label(cap::kUtilityPort, 26, 115, 110, ids::kUtilityPortLabel));
    c.push_back(edit(ids::kUtilityPort, 140, 115, 40));

    c.push_back(group("ICMP", 7, 139, 286, 30, ids::kIcmpGroup));
    c.push_back(check(ids::kRespondToPing, cap::kRespondToPing, 14, 152, 220));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
