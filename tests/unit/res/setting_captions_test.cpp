// The named settings are made of the captions their windows show: every
// caption piece of a name stands in the template it claims, and only the
// settings no window captions are named in words of our own.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "device/setting_names.h"
#include "res/ids/access_control_ids.h"
#include "res/ids/dhcp_status_ids.h"
#include "res/ids/filter_port_ids.h"
#include "res/ids/group_setup_ids.h"
#include "res/ids/internet_application_ids.h"
#include "res/ids/lan_ids.h"
#include "res/ids/route_ids.h"
#include "res/ids/special_app_ids.h"
#include "res/ids/user_ids.h"
#include "res/ids/virtual_server_ids.h"
#include "res/ids/workstation_ids.h"
#include "ui/template.h"

namespace tolvaro::device {
namespace {

// A caption piece is a caption of its window, or the start of one: a check
// box that does two things is named by the first ("... / ..."), fields that
// share a label by its common start ("Range: ").
bool fits(std::string_view caption, std::string_view piece) {
    if (caption == piece)
        return true;
    if (piece.empty() || !caption.starts_with(piece))
        return false;
    const std::string_view rest = caption.substr(piece.size());
    return rest.starts_with(" / ") || piece.ends_with(": ");
}

testing::AssertionResult shownBy(const NamePart& part) {
    const ui::Template* window = ui::findTemplate(part.window);
    if (window == nullptr)
        return testing::AssertionFailure() << "no window " << part.window;
    if (fits(window->caption, part.text))
        return testing::AssertionSuccess();
    for (const ui::ControlSpec& control : window->controls)
        if (fits(control.text, part.text))
            return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "\"" << part.text << "\" is no caption of window " << part.window;
}

// The dialogs a page opens, whose captions name some of its settings.
const std::set<std::pair<int, int>> kOpens = {
    {res::lan::kTemplate, res::dhcp_status::kTemplate},
    {res::access_control::kTemplate, res::filter_port::kTemplate},
};
// The window that edits a record of each kind of table.
const std::map<TableKind, int> kEditor = {
    {TableKind::Users, res::user::kTemplate},
    {TableKind::Groups, res::group_setup::kTemplate},
    {TableKind::UserPortNames, res::filter_port::kTemplate},
    {TableKind::Workstations, res::workstation::kTemplate},
    {TableKind::Routes, res::route::kTemplate},
    {TableKind::VirtualServers, res::virtual_server::kTemplate},
    {TableKind::SpecialApps, res::special_app::kTemplate},
    {TableKind::ExposedComputer, res::internet_application::kTemplate},
};

// Whether any piece of a label comes from a window.
bool captioned(const std::array<NamePart, 4>& label) {
    return std::any_of(label.begin(), label.end(), [](const NamePart& p) { return p.window != 0; });
}

// Settings no window captions, named in words of our own.
const std::set<std::string_view> kOwnWords = {
    "status.link_state",         // read by the Quick Setup apply, shown nowhere
    "option.web_management_off", // written along with Remote Management
    // The groups are named by the entries of the Groups list.
    "access_control.group_everyone",
    "access_control.group_1",
    "access_control.group_2",
    "access_control.group_3",
    "access_control.group_4",
    // No page edits these.
    "device.reset",
    "reserved.0x3716",
    "reserved.0x371b",
    "incoming.features",
    "incoming.dial_out",
    "incoming.authentication",
    "incoming.lan_to_lan",
};
// Record fields no dialog captions: the Group Setup dialog lists the blocked
// ports under no caption, the lease list's headings are set when it opens,
// and opaque tables are bytes.
const std::set<std::pair<TableKind, std::string_view>> kOwnFields = {
    {TableKind::Groups, "blocked_ports"}, {TableKind::Groups, "blocked_user_ports"},
    {TableKind::Leases, "address"},       {TableKind::Leases, "hardware"},
    {TableKind::Leases, "dynamic"},       {TableKind::Leases, "lease"},
    {TableKind::Opaque, "bytes"},
};

TEST(SettingCaptions, EveryNameIsMadeOfItsWindowsCaptions) {
    for (const SettingName& s : allSettingNames()) {
        if (s.page.window != 0) {
            const ui::Template* page = ui::findTemplate(s.page.window);
            ASSERT_NE(page, nullptr) << s.key;
            EXPECT_EQ(page->caption, s.page.text) << s.key;
        }
        for (const NamePart& part : s.label) {
            if (part.window == 0)
                continue;
            EXPECT_TRUE(shownBy(part)) << s.key;
            EXPECT_TRUE(part.window == s.page.window ||
                        kOpens.count({s.page.window, part.window}) != 0)
                << s.key << ": \"" << part.text << "\" is from window " << part.window;
        }
        EXPECT_EQ(captioned(s.label), kOwnWords.count(s.key) == 0) << s.key;
        if (s.shown != Shown::Table)
            continue;
        for (const RecordField& f : recordFields(s.table)) {
            for (const NamePart& part : f.parts) {
                if (part.window == 0)
                    continue;
                EXPECT_TRUE(shownBy(part)) << s.key << "." << f.key;
                EXPECT_EQ(part.window, kEditor.at(s.table)) << s.key << "." << f.key;
            }
            EXPECT_EQ(captioned(f.parts), kOwnFields.count({s.table, f.key}) == 0)
                << s.key << "." << f.key;
        }
    }
}

} // namespace
} // namespace tolvaro::device
