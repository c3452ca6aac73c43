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
#include "res/ids/status_ids.h"
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

constexpr auto kControls = std::to_array<SettingControl>({
    {"quick_setup.internet_access", kQuickSetup, Control::Check, {qs::kEnableInternet}},
    {"quick_setup.account_name", kQuickSetup, Control::Edit, {qs::kAccountName}},
    {"quick_setup.account_password",
     kQuickSetup,
     Control::Secret,
     {qs::kAccountPassword, qs::kVerifyPassword}},
    {"quick_setup.dns", kQuickSetup, Control::Octets, qs::kDns},
    {"quick_setup.telephone", kQuickSetup, Control::Edit, {qs::kTelephone1}},
    {"quick_setup.telephone_2", kQuickSetup, Control::Edit, {qs::kTelephone2}},
    {"quick_setup.telephone_3", kQuickSetup, Control::Edit, {qs::kTelephone3}},
    {"quick_setup.country", kQuickSetup, Control::Combo, {qs::kCountry}},
    {"quick_setup.spid_1", kQuickSetup, Control::Edit, {qs::kSpid1}},
    {"quick_setup.spid_2", kQuickSetup, Control::Edit, {qs::kSpid2}},
    {"quick_setup.idle_timeout", kQuickSetup, Control::Edit, {qs::kIdleTimeout}},
    {"option.administrator_password",
     kOption,
     Control::Secret,
     {op::kPassword, op::kVerifyPassword}},
    {"option.remote_management", kOption, Control::Check, {op::kEnableRemoteManagement}},
    {"option.web_port", kOption, Control::Edit, {op::kWebPort}},
    {"option.utility_port", kOption, Control::Edit, {op::kUtilityPort}},
    {"option.respond_to_ping", kOption, Control::Check, {op::kRespondToPing}},
    {"lan.dhcp_server", kLan, Control::Check, {lan::kDhcpEnable}},
    {"lan.dhcp_start", kLan, Control::Octets, lan::kDhcpStart},
    {"lan.dhcp_end", kLan, Control::Octets, lan::kDhcpEnd},
    {"lan.rip_1", kLan, Control::Check, {lan::kRip}},
    {"lan.dns_1", kLan, Control::Octets, lan::kDns1},
    {"lan.dns_2", kLan, Control::Octets, lan::kDns2},
    {"lan.dns_3", kLan, Control::Octets, lan::kDns3},
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
    {"internet_application.exposed_address", kInternetApplication, Control::Octets, ia::kExposedIp},
    {"lan_to_lan.enabled", kLanToLan, Control::Check, {l2l::kEnableLanToLan}},
    {"lan_to_lan.remote_address", kLanToLan, Control::Octets, l2l::kRemoteIp},
    {"lan_to_lan.remote_mask", kLanToLan, Control::Octets, l2l::kRemoteMask},
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

// A caption as a name: without "&" mnemonics and a closing colon.
std::string plain(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
            continue;
        out += text[i];
    }
    while (!out.empty() && (out.back() == ':' || out.back() == ' '))
        out.pop_back();
    return out;
}

// The text that names a control: its own caption for a check box, else the
// nearest label before it in the template, which is how the pages are laid
// out.
std::string labelOf(const ui::Template& page, int id) {
    std::string label;
    for (const ui::ControlSpec& control : page.controls) {
        if (control.id == id)
            return control.kind == ui::ControlKind::CheckBox ? plain(control.text) : label;
        if (control.kind == ui::ControlKind::Static && !control.text.empty())
            label = plain(control.text);
    }
    return label;
}

} // namespace

int SettingControl::template_() const {
    return kPageTemplates[static_cast<std::size_t>(page)];
}

std::string SettingControl::name() const {
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
        out.push_back(spec ? plain(spec->text) : std::to_string(id));
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
