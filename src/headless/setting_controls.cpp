#include "headless/setting_controls.h"

#include <algorithm>

#include "device/setting_names.h"
#include "res/ids/access_control_ids.h"
#include "res/ids/dialin_ids.h"
#include "res/ids/internet_application_ids.h"
#include "res/ids/isdn_ids.h"
#include "res/ids/lan_ids.h"
#include "res/ids/lan_to_lan_ids.h"
#include "res/ids/option_ids.h"
#include "res/ids/quick_setup_ids.h"
#include "res/ids/route_ids.h"
#include "res/ids/special_app_ids.h"
#include "res/ids/status_ids.h"
#include "res/ids/user_ids.h"
#include "res/ids/virtual_server_ids.h"
#include "res/ids/workstation_ids.h"
#include "ui/template.h"

namespace tolvaro::headless {
namespace {

namespace qs = res::quick_setup;
namespace op = res::option;
namespace lan = res::lan;
namespace di = res::dialin;
namespace ia = res::internet_application;
namespace l2l = res::lan_to_lan;
namespace isdn = res::isdn;
namespace ac = res::access_control;

constexpr std::array<int, 6> six(const std::array<int, 4>& ids) {
    return {ids[0], ids[1], ids[2], ids[3]};
}

// Fields of the editor dialogs; the page is the table's.
constexpr SettingControl field(std::string_view key, Control control, std::array<int, 6> ids) {
    return {key, kQuickSetup, control, ids};
}

namespace ws = res::workstation;
constexpr auto kWorkstationFields = std::to_array<SettingControl>({
    field("name", Control::Edit, {ws::kName}),
    field("group", Control::Combo, {ws::kGroup}),
    field("hardware_address", Control::Hardware, ws::kHardwareAddress),
    field("reserve", Control::Check, {ws::kReserve}),
    field("address", Control::Octets, six(ws::kReservedIp)),
});
namespace rt = res::route;
constexpr auto kRouteFields = std::to_array<SettingControl>({
    field("name", Control::Edit, {rt::kName}),
    field("destination", Control::Octets, six(rt::kDestination)),
    field("mask", Control::Octets, six(rt::kMask)),
    field("gateway", Control::Octets, six(rt::kGateway)),
    field("metric", Control::Edit, {rt::kMetric}),
    field("interface", Control::Combo, {rt::kInterface}),
});
namespace us = res::user;
constexpr auto kUserFields = std::to_array<SettingControl>({
    field("name", Control::Edit, {us::kName}),
    field("password", Control::Secret, {us::kPassword}),
    field("dial_in", Control::Check, {us::kEnableDialIn}),
    field("time_limit", Control::Edit, {us::kTimeLimit}),
    field("call_back", Control::Radio,
          {us::kCallBackDisable, us::kCallBackRoaming, us::kCallBackFixed}),
    field("call_back_number", Control::Edit, {us::kCallBackNumber}),
});
namespace vs = res::virtual_server;
constexpr auto kServerFields = std::to_array<SettingControl>({
    field("enabled", Control::Check, {vs::kEnable}),
    field("name", Control::Edit, {vs::kName}),
    field("protocol", Control::Combo, {vs::kProtocol}),
    field("address", Control::Octets, six(vs::kServerIp)),
    field("external_port", Control::Edit, {vs::kExternalPort}),
    field("internal_port", Control::Edit, {vs::kInternalPort}),
});
namespace sa = res::special_app;
constexpr auto kSpecialFields = std::to_array<SettingControl>({
    field("enabled", Control::Check, {sa::kEnable}),
    field("name", Control::Edit, {sa::kName}),
    field("outgoing_protocol", Control::Combo, {sa::kOutgoingProtocol}),
    field("outgoing_start", Control::Edit, {sa::kOutgoingStart}),
    field("outgoing_end", Control::Edit, {sa::kOutgoingEnd}),
    field("incoming_protocol", Control::Combo, {sa::kIncomingProtocol}),
    field("incoming_start", Control::Edit, {sa::kIncomingStart}),
    field("incoming_end", Control::Edit, {sa::kIncomingEnd}),
});

constexpr auto kTables = std::to_array<TableControl>({
    {"lan.routes", kLan, lan::kRouteList, lan::kAddRoute, 0, lan::kDeleteRoute, rt::kTemplate,
     kRouteFields, "destination"},
    {"dialin.users", kDialin, di::kUserList, di::kAddUser, di::kEditUser, di::kDeleteUser,
     us::kTemplate, kUserFields},
    {"access_control.workstations", kAccessControl, ac::kWorkstationList, ac::kAddWorkstation,
     ac::kEditWorkstation, ac::kDeleteWorkstation, ws::kTemplate, kWorkstationFields},
    {"internet_application.virtual_servers", kInternetApplication, ia::kServerList, ia::kAddServer,
     ia::kEditServer, ia::kDeleteServer, vs::kTemplate, kServerFields},
    {"internet_application.special_applications", kInternetApplication, ia::kSpecialAppList,
     ia::kAddSpecialApp, ia::kEditSpecialApp, ia::kDeleteSpecialApp, sa::kTemplate, kSpecialFields},
});

constexpr auto kControls = std::to_array<SettingControl>({
    {"quick_setup.internet_access", kQuickSetup, Control::Check, {qs::kEnableInternet}},
    {"quick_setup.account_name", kQuickSetup, Control::Edit, {qs::kAccountName}},
    {"quick_setup.account_password",
     kQuickSetup,
     Control::Secret,
     {qs::kAccountPassword, qs::kVerifyPassword}},
    {"quick_setup.dns", kQuickSetup, Control::Octets, six(qs::kDns)},
    {"quick_setup.telephone", kQuickSetup, Control::Edit, {qs::kTelephone1}},
    {"quick_setup.telephone_2", kQuickSetup, Control::Edit, {qs::kTelephone2}},
    {"quick_setup.telephone_3", kQuickSetup, Control::Edit, {qs::kTelephone3}},
    {"quick_setup.country", kQuickSetup, Control::Combo, {qs::kCountry}},
    {"quick_setup.spid_1", kQuickSetup, Control::Edit, {qs::kSpid1}},
    {"quick_setup.spid_2", kQuickSetup, Control::Edit, {qs::kSpid2}},
    // Minutes in 0x4008 up to firmware level 60, seconds in 0x4024 above it,
    // as the page's unit label says.
    {"quick_setup.idle_timeout",
     kQuickSetup,
     Control::Edit,
     {qs::kIdleTimeout},
     "Quick Setup / Idle Time-out (minutes; seconds above firmware level 60)"},
    {"option.administrator_password",
     kOption,
     Control::Secret,
     {op::kPassword, op::kVerifyPassword}},
    {"option.remote_management", kOption, Control::Check, {op::kEnableRemoteManagement}},
    {"option.web_port", kOption, Control::Edit, {op::kWebPort}},
    {"option.utility_port", kOption, Control::Edit, {op::kUtilityPort}},
    {"option.respond_to_ping", kOption, Control::Check, {op::kRespondToPing}},
    {"lan.dhcp_server", kLan, Control::Check, {lan::kDhcpEnable}},
    {"lan.dhcp_start", kLan, Control::Octets, six(lan::kDhcpStart)},
    {"lan.dhcp_end", kLan, Control::Octets, six(lan::kDhcpEnd)},
    {"lan.rip_1", kLan, Control::Check, {lan::kRip}},
    {"lan.dns_1", kLan, Control::Octets, six(lan::kDns1)},
    {"lan.dns_2", kLan, Control::Octets, six(lan::kDns2)},
    {"lan.dns_3", kLan, Control::Octets, six(lan::kDns3)},
    {"dialin.enabled", kDialin, Control::Check, {di::kEnableDialIn}},
    {"dialin.idle_timeout", kDialin, Control::Edit, {di::kIdleTimeout}},
    {"dialin.authentication",
     kDialin,
     Control::Radio,
     {di::kAuthDisable, di::kAuthEnable, di::kAuthChap}},
    {"internet_application.exposed_computer",
     kInternetApplication,
     Control::Check,
     {ia::kExposedEnable}},
    {"internet_application.exposed_address", kInternetApplication, Control::Octets,
     six(ia::kExposedIp)},
    {"lan_to_lan.enabled", kLanToLan, Control::Check, {l2l::kEnableLanToLan}},
    {"lan_to_lan.remote_address", kLanToLan, Control::Octets, six(l2l::kRemoteIp)},
    {"lan_to_lan.remote_mask", kLanToLan, Control::Octets, six(l2l::kRemoteMask)},
    {"lan_to_lan.receiver", kLanToLan, Control::Check, {l2l::kReceiverEnable}},
    {"lan_to_lan.authentication",
     kLanToLan,
     Control::Radio,
     {l2l::kAuthDisable, l2l::kAuthEnable, l2l::kAuthChap}},
    {"lan_to_lan.login_name", kLanToLan, Control::Edit, {l2l::kLoginName}},
    {"lan_to_lan.password", kLanToLan, Control::Secret, {l2l::kPassword, l2l::kVerifyPassword}},
    {"lan_to_lan.initiator", kLanToLan, Control::Check, {l2l::kInitiatorEnable}},
    {"lan_to_lan.phone_number", kLanToLan, Control::Edit, {l2l::kPhoneNumber}},
    {"lan_to_lan.remote_login_name", kLanToLan, Control::Edit, {l2l::kRemoteLoginName}},
    {"lan_to_lan.remote_login_password",
     kLanToLan,
     Control::Secret,
     {l2l::kRemotePassword, l2l::kRemoteVerifyPassword}},
    {"lan_to_lan.timeout", kLanToLan, Control::Edit, {l2l::kTimeout}},
    {"isdn.usage",
     kIsdn,
     Control::Radio,
     {isdn::kUsageOneChannel, isdn::kUsageDynamic, isdn::kUsageTwoChannels}},
    {"isdn.outgoing_msn", kIsdn, Control::Edit, {isdn::kOutgoingMsn}},
    {"isdn.outgoing_sad", kIsdn, Control::Edit, {isdn::kOutgoingSad}},
    {"isdn.incoming_msn", kIsdn, Control::Edit, {isdn::kIncomingMsn}},
    {"isdn.incoming_sad", kIsdn, Control::Edit, {isdn::kIncomingSad}},
    {"isdn.line_speed", kIsdn, Control::Combo, {isdn::kLineSpeed}},
    {"isdn.initial_string", kIsdn, Control::Edit, {isdn::kInitialString}},
});

constexpr std::array<int, 9> kPageTemplates{
    qs::kTemplate,  res::status::kTemplate, op::kTemplate,
    lan::kTemplate, di::kTemplate,          res::access_control::kTemplate,
    ia::kTemplate,  l2l::kTemplate,         isdn::kTemplate};

// The text that names a control: its own caption for a check box, else the
// nearest label before it in the template, which is how the pages are laid
// out.
std::string labelOf(const ui::Template& page, int id) {
    std::string label;
    for (const ui::ControlSpec& control : page.controls) {
        if (control.id == id)
            return control.kind == ui::ControlKind::CheckBox ? device::captionAsName(control.text)
                                                             : label;
        if (control.kind == ui::ControlKind::Static && !control.text.empty())
            label = device::captionAsName(control.text);
    }
    return label;
}

} // namespace

int SettingControl::template_() const {
    return kPageTemplates[static_cast<std::size_t>(page)];
}

std::string SettingControl::name() const {
    if (!ownName.empty())
        return std::string(ownName);
    if (const device::SettingName* named = [this]() -> const device::SettingName* {
            for (const device::SettingName& s : device::allSettingNames())
                if (s.key == key)
                    return &s;
            return nullptr;
        }())
        return std::string(named->name);
    const ui::Template* page = ui::findTemplate(template_());
    if (!page)
        return std::string(key);
    const std::string label = labelOf(*page, ids[0]);
    return page->caption + " / " + (label.empty() ? std::string(key) : label);
}

std::vector<std::string> SettingControl::choices() const {
    std::vector<std::string> out;
    const ui::Template* page = ui::findTemplate(template_());
    for (const int id : ids) {
        if (id == 0)
            break;
        const ui::ControlSpec* spec = page ? page->find(id) : nullptr;
        out.push_back(spec ? device::captionAsName(spec->text) : std::to_string(id));
    }
    return out;
}

std::span<const SettingControl> allSettingControls() {
    return kControls;
}

const SettingControl* settingControl(std::string_view key) {
    const auto it = std::find_if(kControls.begin(), kControls.end(),
                                 [key](const SettingControl& c) { return c.key == key; });
    return it == kControls.end() ? nullptr : &*it;
}

std::string rowFieldName(const TableControl& table, std::string_view row,
                         const SettingControl& field) {
    const ui::Template* dialog = ui::findTemplate(table.dialog);
    if (!dialog)
        return std::string(table.key) + "[" + std::string(row) + "]." + std::string(field.key);
    const std::string label = labelOf(*dialog, field.ids[0]);
    return dialog->caption + " / " + std::string(row) + " / " +
           (label.empty() ? std::string(field.key) : label);
}

std::span<const TableControl> allTableControls() {
    return kTables;
}

const TableControl* tableControl(std::string_view key) {
    const auto it = std::find_if(kTables.begin(), kTables.end(),
                                 [key](const TableControl& t) { return t.key == key; });
    return it == kTables.end() ? nullptr : &*it;
}

std::optional<RowKey> parseRowKey(std::string_view key) {
    const auto open = key.find('[');
    if (open == std::string_view::npos || key.back() != ']' || open + 2 > key.size() - 1)
        return std::nullopt;
    const TableControl* table = tableControl(key.substr(0, open));
    if (!table)
        return std::nullopt;
    return RowKey{table, std::string(key.substr(open + 1, key.size() - open - 2))};
}

bool sameRowName(std::string_view shown, std::string_view name) {
    std::string a, b;
    for (const char c : shown)
        if (c != ' ')
            a += c;
    for (const char c : name)
        if (c != ' ')
            b += c;
    return a == b;
}

bool parseOnOff(std::string_view text, bool& on) {
    if (text == "on" || text == "true" || text == "1" || text == "yes") {
        on = true;
        return true;
    }
    if (text == "off" || text == "false" || text == "0" || text == "no") {
        on = false;
        return true;
    }
    return false;
}

} // namespace tolvaro::headless
