#include "device/setting_names.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <map>
#include <utility>

#include <ipslan/records.h>

#include "device/config_file.h"
#include "device/config_store.h"
#include "device/value_text.h"
#include "res/ids/captions.h"
#include "res/list_contents.h"

namespace tolvaro::device {
namespace {

using namespace ipslan;

// A name's piece as written in the tables below: a caption of a window, or
// text of our own.
struct Part : NamePart {
    constexpr Part() = default;
    constexpr Part(const res::Caption& caption) : NamePart{caption.text, caption.window} {}
    constexpr Part(std::string_view own) : NamePart{own, 0} {}
    constexpr Part(const char* own) : NamePart{own, 0} {}
};
using Label = std::initializer_list<Part>;

// The leading part of a caption, up to `marker`: a check box that does two
// things is named by the first, a label shared by two fields by its common
// start.
constexpr Part before(const res::Caption& caption, std::string_view marker) {
    return Part(res::Caption{caption.window, caption.text.substr(0, caption.text.find(marker))});
}

constexpr std::array<NamePart, 4> partsOf(Label label) {
    std::array<NamePart, 4> parts{};
    std::size_t i = 0;
    for (const Part& part : label)
        parts.at(i++) = part;
    return parts;
}

constexpr SettingName named(int variable, std::string_view key, Part page, Label label, Shown shown,
                            int mode = 0) {
    return {variable, mode, key, {}, shown, TableKind::None, 0, page, partsOf(label)};
}
constexpr SettingName table(int variable, std::string_view key, Part page, Label label,
                            TableKind kind, int firstRecord = 0) {
    return {variable, 0, key, {}, Shown::Table, kind, firstRecord, page, partsOf(label)};
}

namespace qs = res::captions::quick_setup;
namespace st = res::captions::status;
namespace op = res::captions::option;
namespace lan = res::captions::lan;
namespace di = res::captions::dialin;
namespace ac = res::captions::access_control;
namespace fp = res::captions::filter_port;
namespace ia = res::captions::internet_application;
namespace l2l = res::captions::lan_to_lan;
namespace isdn = res::captions::isdn;
using res::lists::kGroups;
using res::lists::kProtocols;

// Names of our own where no window captions the variable.
constexpr std::string_view kIncoming = "Incoming profile";

// Record numbers in keys and names count from 1, as the lists show them.
constexpr auto kSettings = std::to_array<SettingName>({
    // Quick Setup
    named(var::kWanAddress, "quick_setup.fixed_address", qs::kPage, {qs::kAddressFromIsp},
          Shown::Address),
    named(var::kAccountName, "quick_setup.account_name", qs::kPage, {qs::kAccountName},
          Shown::Text),
    named(var::kAccountPassword, "quick_setup.account_password", qs::kPage, {qs::kAccountPassword},
          Shown::Secret),
    named(var::kPrimaryDns, "quick_setup.dns", qs::kPage, {qs::kDns}, Shown::Address),
    named(var::kTelephone1, "quick_setup.telephone", qs::kPage, {qs::kTelephone1}, Shown::Text),
    named(var::kTelephone2, "quick_setup.telephone_2", qs::kPage, {qs::kTelephone2}, Shown::Text),
    named(var::kTelephone3, "quick_setup.telephone_3", qs::kPage, {qs::kTelephone3}, Shown::Text),
    named(var::kCountry, "quick_setup.country", qs::kPage, {qs::kCountry}, Shown::Number),
    named(var::kSpid1, "quick_setup.spid_1", qs::kPage, {qs::kSpid1}, Shown::Text),
    named(var::kSpid2, "quick_setup.spid_2", qs::kPage, {qs::kSpid2}, Shown::Text),
    named(var::kIdleMinutes, "quick_setup.idle_timeout", qs::kPage,
          {qs::kIdleTimeout, " (minutes)"}, Shown::Number),
    named(var::kIdleSeconds, "quick_setup.idle_timeout_seconds", qs::kPage,
          {qs::kIdleTimeout, " (seconds)"}, Shown::Number),
    named(var::kFeatureByte, "quick_setup.features", qs::kPage,
          {qs::kEnableInternet, " (feature byte)"}, Shown::Flags),
    named(var::kDialOut, "quick_setup.dial_out", qs::kPage, {qs::kInternetAccess, " (dial-out)"},
          Shown::OnOff),
    // Status
    named(var::kFirmwareVersion, "status.firmware_version", st::kPage, {st::kFirmwareVersion},
          Shown::Text),
    named(var::kHardwareAddress, "status.hardware_address", st::kPage, {st::kHardwareAddress},
          Shown::Hardware),
    named(var::kHardwareId, "status.hardware_id", st::kPage, {st::kHardwareId}, Shown::Hardware),
    // Read by the Quick Setup apply; no window shows it.
    named(var::kLinkStatus, "status.link_state", st::kPage, {"ISDN Link State"}, Shown::Number),
    // Option
    named(var::kPassword, "option.administrator_password", op::kPage, {op::kAdministratorPassword},
          Shown::Secret),
    named(var::kAnswerWanPing, "option.respond_to_ping", op::kPage, {op::kRespondToPing},
          Shown::OnOff),
    named(var::kRemoteManagement, "option.remote_management_off", op::kPage,
          {op::kRemoteManagement}, Shown::OffSwitch),
    named(var::kWebPort, "option.web_port", op::kPage, {op::kWebPort}, Shown::Number),
    // Written together with Remote Management; no control of its own.
    named(var::kWebManagementOff, "option.web_management_off", op::kPage, {"Web Management"},
          Shown::OffSwitch),
    named(var::kUtilityPort, "option.utility_port", op::kPage, {op::kUtilityPort}, Shown::Number),
    // LAN
    named(var::kDhcpEnable, "lan.dhcp_server", lan::kPage,
          {lan::kDhcpServer, " ", lan::kDhcpEnable}, Shown::OnOff),
    named(var::kDhcpStart, "lan.dhcp_start", lan::kPage, {lan::kDhcpStart}, Shown::Address),
    named(var::kDhcpEnd, "lan.dhcp_end", lan::kPage, {lan::kDhcpEnd}, Shown::Address),
    named(var::kLanDns1, "lan.dns_1", lan::kPage, {lan::kDns, " ", lan::kDns1}, Shown::Address),
    named(var::kLanDns2, "lan.dns_2", lan::kPage, {lan::kDns, " ", lan::kDns2}, Shown::Address),
    named(var::kLanDns3, "lan.dns_3", lan::kPage, {lan::kDns, " ", lan::kDns3}, Shown::Address),
    named(var::kRip, "lan.rip_1", lan::kPage, {lan::kRip}, Shown::OnOff),
    table(var::kRouteTable[0], "lan.route", lan::kPage, {lan::kRoutes}, TableKind::Routes, 0),
    table(var::kRouteTable[1], "lan.route", lan::kPage, {lan::kRoutes}, TableKind::Routes, 10),
    table(var::kLeaseTable[0], "lan.dhcp_lease", lan::kPage, {res::captions::dhcp_status::kDialog},
          TableKind::Leases, 0),
    table(var::kLeaseTable[1], "lan.dhcp_lease", lan::kPage, {res::captions::dhcp_status::kDialog},
          TableKind::Leases, 17),
    table(var::kLeaseTable[2], "lan.dhcp_lease", lan::kPage, {res::captions::dhcp_status::kDialog},
          TableKind::Leases, 34),
    table(var::kLeaseTable[3], "lan.dhcp_lease", lan::kPage, {res::captions::dhcp_status::kDialog},
          TableKind::Leases, 51),
    // Dial-in
    table(var::kUserTable[0], "dialin.user", di::kPage, {di::kUserList}, TableKind::Users, 0),
    table(var::kUserTable[1], "dialin.user", di::kPage, {di::kUserList}, TableKind::Users, 5),
    table(var::kUserTable[2], "dialin.user", di::kPage, {di::kUserList}, TableKind::Users, 10),
    table(var::kUserTable[3], "dialin.user", di::kPage, {di::kUserList}, TableKind::Users, 15),
    table(var::kUserTable[4], "dialin.user", di::kPage, {di::kUserList}, TableKind::Users, 20),
    named(var::kAuthentication, "dialin.authentication", di::kPage,
          {di::kAuthentication, " (authentication byte)"}, Shown::Flags),
    // Access Control: the groups by their entries in the Groups list
    table(var::kGroupTable[0], "access_control.group_everyone", ac::kPage, {"Group ", kGroups[0]},
          TableKind::Groups),
    table(var::kGroupTable[1], "access_control.group_1", ac::kPage, {kGroups[1]},
          TableKind::Groups),
    table(var::kGroupTable[2], "access_control.group_2", ac::kPage, {kGroups[2]},
          TableKind::Groups),
    table(var::kGroupTable[3], "access_control.group_3", ac::kPage, {kGroups[3]},
          TableKind::Groups),
    table(var::kGroupTable[4], "access_control.group_4", ac::kPage, {kGroups[4]},
          TableKind::Groups),
    table(var::kWorkstationTable[0], "access_control.workstation", ac::kPage, {ac::kWorkstations},
          TableKind::Workstations, 0),
    table(var::kWorkstationTable[1], "access_control.workstation", ac::kPage, {ac::kWorkstations},
          TableKind::Workstations, 10),
    table(var::kWorkstationTable[2], "access_control.workstation", ac::kPage, {ac::kWorkstations},
          TableKind::Workstations, 20),
    table(var::kWorkstationTable[3], "access_control.workstation", ac::kPage, {ac::kWorkstations},
          TableKind::Workstations, 30),
    table(var::kWorkstationTable[4], "access_control.workstation", ac::kPage, {ac::kWorkstations},
          TableKind::Workstations, 40),
    table(var::kUdpPortNames, "access_control.udp_port", ac::kPage,
          {fp::kDialog, " (", kProtocols[0], ")"}, TableKind::UserPortNames),
    table(var::kTcpPortNames, "access_control.tcp_port", ac::kPage,
          {fp::kDialog, " (", kProtocols[1], ")"}, TableKind::UserPortNames),
    named(var::kPortValues[0], "access_control.port_value_1", ac::kPage,
          {fp::kDialog, " 1 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[1], "access_control.port_value_2", ac::kPage,
          {fp::kDialog, " 2 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[2], "access_control.port_value_3", ac::kPage,
          {fp::kDialog, " 3 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[3], "access_control.port_value_4", ac::kPage,
          {fp::kDialog, " 4 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[4], "access_control.port_value_5", ac::kPage,
          {fp::kDialog, " 5 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[5], "access_control.port_value_6", ac::kPage,
          {fp::kDialog, " 6 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[6], "access_control.port_value_7", ac::kPage,
          {fp::kDialog, " 7 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[7], "access_control.port_value_8", ac::kPage,
          {fp::kDialog, " 8 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[8], "access_control.port_value_9", ac::kPage,
          {fp::kDialog, " 9 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[9], "access_control.port_value_10", ac::kPage,
          {fp::kDialog, " 10 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[10], "access_control.port_value_11", ac::kPage,
          {fp::kDialog, " 11 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[11], "access_control.port_value_12", ac::kPage,
          {fp::kDialog, " 12 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[12], "access_control.port_value_13", ac::kPage,
          {fp::kDialog, " 13 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[13], "access_control.port_value_14", ac::kPage,
          {fp::kDialog, " 14 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[14], "access_control.port_value_15", ac::kPage,
          {fp::kDialog, " 15 ", fp::kPortNumber}, Shown::PortValue),
    named(var::kPortValues[15], "access_control.port_value_16", ac::kPage,
          {fp::kDialog, " 16 ", fp::kPortNumber}, Shown::PortValue),
    // Internet Application
    table(var::kVirtualServers, "internet_application.virtual_server", ia::kPage,
          {ia::kVirtualServer}, TableKind::VirtualServers),
    table(var::kSpecialApplications, "internet_application.special_application", ia::kPage,
          {ia::kSpecialApplications}, TableKind::SpecialApps),
    table(var::kExposedComputer, "internet_application.exposed_computer", ia::kPage,
          {ia::kExposedComputer}, TableKind::ExposedComputer),
    // LAN-to-LAN
    named(var::kLanToLanSwitch, "lan_to_lan.enabled", l2l::kPage, {before(l2l::kEnable, " / ")},
          Shown::OnOff),
    named(var::kLanToLanLogin, "lan_to_lan.login_name", l2l::kPage,
          {l2l::kReceiver, " / ", l2l::kLoginName}, Shown::Text),
    named(var::kLanToLanPassword, "lan_to_lan.password", l2l::kPage,
          {l2l::kReceiver, " / ", l2l::kPassword}, Shown::Secret),
    named(var::kRemoteLoginName, "lan_to_lan.remote_login_name", l2l::kPage,
          {l2l::kLoginUsing, " ", l2l::kRemoteLoginName}, Shown::Text),
    named(var::kRemoteLoginPassword, "lan_to_lan.remote_login_password", l2l::kPage,
          {l2l::kLoginUsing, " ", l2l::kRemotePassword}, Shown::Secret),
    named(var::kRemotePhone, "lan_to_lan.phone_number", l2l::kPage, {l2l::kPhoneNumber},
          Shown::Text),
    named(var::kRemoteNetwork, "lan_to_lan.remote_address", l2l::kPage,
          {l2l::kRemoteSite, " ", l2l::kRemoteAddress}, Shown::Address),
    named(var::kRemoteMask, "lan_to_lan.remote_mask", l2l::kPage,
          {l2l::kRemoteSite, " ", l2l::kRemoteMask}, Shown::Address),
    // ISDN
    named(var::kUsage, "isdn.usage", isdn::kPage, {isdn::kUsage, " (B channels)"}, Shown::Number),
    named(var::kOutgoingMsn, "isdn.outgoing_msn", isdn::kPage,
          {isdn::kOutgoingCallId, " ", isdn::kMsn}, Shown::Text),
    named(var::kOutgoingSad, "isdn.outgoing_sad", isdn::kPage,
          {isdn::kOutgoingCallId, " ", isdn::kSad}, Shown::Text),
    named(var::kIncomingMsn, "isdn.incoming_msn", isdn::kPage,
          {isdn::kIncomingCallId, " ", isdn::kMsn}, Shown::Text),
    named(var::kIncomingSad, "isdn.incoming_sad", isdn::kPage,
          {isdn::kIncomingCallId, " ", isdn::kSad}, Shown::Text),
    named(var::kLineSpeed, "isdn.line_speed", isdn::kPage, {isdn::kLineSpeed}, Shown::Number),
    named(var::kInitialString, "isdn.initial_string", isdn::kPage, {isdn::kInitialString},
          Shown::Text),
    // Variables no page edits
    named(var::kReset, "device.reset", {}, {"Router restart request"}, Shown::Number),
    named(var::kReservedValue, "reserved.0x3716", {},
          {"Reserved variable 0x3716 (no page edits it)"}, Shown::Number),
    table(var::kReservedTable, "reserved.0x371b", {}, {"Reserved table 0x371b (no page edits it)"},
          TableKind::Opaque),
    // The mode-1 block: the router's incoming-call profile
    named(var::kFeatureByte, "incoming.features", kIncoming, {"feature byte"}, Shown::Flags, 1),
    named(var::kDialOut, "incoming.dial_out", kIncoming, {"dial-out flag"}, Shown::OnOff, 1),
    named(var::kAuthentication, "incoming.authentication", kIncoming, {"authentication byte"},
          Shown::Flags, 1),
    named(var::kLanToLanSwitch, "incoming.lan_to_lan", kIncoming, {"LAN to LAN switch"},
          Shown::OnOff, 1),
    named(var::kDialInIdleMinutes, "dialin.idle_timeout", di::kPage,
          {di::kIdleTimeout, " (minutes)"}, Shown::Number, 1),
});

// A record field as written below; its label is built with the names.
struct FieldSpec {
    std::string_view key;
    std::array<NamePart, 4> parts;
    bool secret = false;
};
constexpr FieldSpec field(std::string_view key, Label label, bool secret = false) {
    return {key, partsOf(label), secret};
}

namespace us = res::captions::user;
namespace gs = res::captions::group_setup;
namespace ws = res::captions::workstation;
namespace rt = res::captions::route;
namespace vs = res::captions::virtual_server;
namespace sa = res::captions::special_app;

constexpr auto kUserFields = std::to_array<FieldSpec>({
    field("name", {us::kName}),
    field("password", {us::kPassword}, true),
    field("enabled", {us::kEnableDialIn}),
    field("time_limit", {us::kTimeLimit, " (min)"}),
    field("call_back", {us::kCallBack}),
    field("call_back_number", {us::kCallBackFixed}),
});
// The dialog shows the blocked ports as a list, under no caption.
constexpr auto kGroupFields = std::to_array<FieldSpec>({
    field("access", {gs::kAccessControl}),
    field("blocked_ports", {"Blocked well-known ports (mask)"}),
    field("blocked_user_ports", {"Blocked user ports (mask)"}),
});
constexpr auto kPortNameFields = std::to_array<FieldSpec>({field("name", {fp::kName})});
constexpr auto kStationFields = std::to_array<FieldSpec>({
    field("name", {ws::kName}),
    field("hardware", {ws::kHardwareAddress}),
    field("address", {ws::kAddress}),
    field("reserve", {ws::kReserve}),
    field("group", {ws::kGroup}),
});
constexpr auto kRouteFields = std::to_array<FieldSpec>({
    field("name", {rt::kName}),
    field("destination", {rt::kDestination}),
    field("mask", {rt::kMask}),
    field("gateway", {rt::kGateway}),
    field("metric", {rt::kMetric}),
    field("interface", {rt::kInterface}),
});
constexpr auto kServerFields = std::to_array<FieldSpec>({
    field("enabled", {vs::kEnable}),
    field("address", {vs::kAddress}),
    field("name", {vs::kName}),
    field("protocol", {vs::kProtocol}),
    field("external_port", {vs::kExternal, " ", vs::kPort}),
    field("internal_port", {vs::kInternal, " ", vs::kPort}),
});
constexpr auto kSpecialFields = std::to_array<FieldSpec>({
    field("enabled", {sa::kEnable}),
    field("name", {sa::kName}),
    field("outgoing_protocol", {sa::kOutgoing, " ", sa::kProtocol}),
    field("outgoing_start", {sa::kOutgoing, " ", sa::kRangeStart}),
    field("outgoing_end", {sa::kOutgoing, " ", before(sa::kRangeStart, "Start"), sa::kRangeEnd}),
    field("incoming_protocol", {sa::kIncoming, " ", sa::kProtocol}),
    field("incoming_start", {sa::kIncoming, " ", sa::kRangeStart}),
    field("incoming_end", {sa::kIncoming, " ", before(sa::kRangeStart, "Start"), sa::kRangeEnd}),
});
constexpr auto kExposedFields = std::to_array<FieldSpec>({
    field("enabled", {ia::kExposedEnable}),
    field("address", {ia::kExposedAddress}),
});
// The lease list's column headings, which the window sets when it opens.
constexpr auto kLeaseFields = std::to_array<FieldSpec>({
    field("address", {"IP Address"}),
    field("hardware", {"H/W Address"}),
    field("dynamic", {"Dynamic"}),
    field("lease", {"Lease"}),
});
constexpr auto kOpaqueFields = std::to_array<FieldSpec>({field("bytes", {"Bytes"})});

// Everything about one kind of table in one row: its record size, how many
// records one variable carries, its fields and their decoder.
struct TableDescriptor {
    TableKind kind;
    std::size_t recordBytes;
    int perVariable;
    std::span<const FieldSpec> fields;
    std::vector<std::string> (*decode)(const std::uint8_t* bytes, std::size_t length);
};

constexpr auto kTableKinds = std::to_array<TableDescriptor>({
    {TableKind::None, kEntryValueSize, 1, {}, decodeNothing},
    {TableKind::Users, kUserBytes, 5, kUserFields, decodeUser},
    {TableKind::Groups, kGroupBytes, 1, kGroupFields, decodeGroup},
    {TableKind::UserPortNames, kPortNameBytes, kMaxUserPorts, kPortNameFields, decodePortName},
    {TableKind::Workstations, kStationBytes, 10, kStationFields, decodeStation},
    {TableKind::Routes, kRouteBytes, 10, kRouteFields, decodeRoute},
    {TableKind::VirtualServers, kLocalServerBytes, 10, kServerFields, decodeServer},
    {TableKind::SpecialApps, kSpecialApBytes, 10, kSpecialFields, decodeSpecial},
    {TableKind::ExposedComputer, kExposedBytes, 1, kExposedFields, decodeExposed},
    {TableKind::Leases, kLeaseBytes, 17, kLeaseFields, decodeLease},
    {TableKind::Opaque, kEntryValueSize, 1, kOpaqueFields, decodeOpaque},
});

const TableDescriptor& descriptorOf(TableKind kind) {
    const auto it = std::find_if(kTableKinds.begin(), kTableKinds.end(),
                                 [kind](const TableDescriptor& d) { return d.kind == kind; });
    return it == kTableKinds.end() ? kTableKinds.front() : *it;
}

// A table variable cut into its records; bytes past the value length read
// as zeros, so a shorter image compares like the empty rows it stands for.
struct Record {
    int number; // from 1, across the table's variables
    std::array<std::uint8_t, kEntryValueSize> bytes{};
    std::size_t size = 0;
};

std::vector<Record> recordsOf(const SettingName& setting, const _snmp_packet& entry,
                              std::size_t wanted) {
    const TableDescriptor& shape = descriptorOf(setting.table);
    const std::size_t length = entryLength(entry);
    std::vector<Record> records;
    const std::size_t count =
        setting.table == TableKind::Opaque
            ? 1
            : std::min<std::size_t>(static_cast<std::size_t>(shape.perVariable),
                                    kEntryValueSize / shape.recordBytes);
    for (std::size_t i = 0; i < count && i < wanted; ++i) {
        Record record;
        record.number = setting.firstRecord + static_cast<int>(i) + 1;
        const std::size_t at = i * shape.recordBytes;
        const std::size_t size = setting.table == TableKind::Opaque ? length : shape.recordBytes;
        record.size = size;
        if (at < length)
            std::memcpy(record.bytes.data(), entry.value + at, std::min(size, length - at));
        records.push_back(record);
    }
    return records;
}

bool allZero(const Record& record) {
    return std::all_of(record.bytes.begin(), record.bytes.begin() + record.size,
                       [](std::uint8_t b) { return b == 0; });
}

std::string recordKey(const SettingName& setting, const Record& record, std::string_view field) {
    std::string key(setting.key);
    if (descriptorOf(setting.table).perVariable > 1)
        key += "[" + std::to_string(record.number) + "]";
    if (!field.empty())
        key += "." + std::string(field);
    return key;
}

std::string recordName(const SettingName& setting, const Record& record, std::string_view label) {
    std::string name(setting.name);
    if (descriptorOf(setting.table).perVariable > 1)
        name += " / Row " + std::to_string(record.number);
    if (!label.empty())
        name += " / " + std::string(label);
    return name;
}

// The names read out of their parts, once: the texts live as long as the
// program, so the views in the tables stay valid.
struct Names {
    std::deque<std::string> texts;
    std::vector<SettingName> settings;
    std::map<TableKind, std::vector<RecordField>> fields;

    std::string_view compose(const NamePart& page, const std::array<NamePart, 4>& label) {
        std::string text;
        if (!page.text.empty())
            text = std::string(page.text) + " / ";
        for (const NamePart& part : label)
            text += part.text;
        return texts.emplace_back(captionAsName(text));
    }
};

const Names& names() {
    static const Names built = [] {
        Names n;
        for (SettingName s : kSettings) {
            s.name = n.compose(s.page, s.label);
            n.settings.push_back(s);
        }
        for (const TableDescriptor& d : kTableKinds) {
            auto& fields = n.fields[d.kind];
            for (const FieldSpec& f : d.fields)
                fields.push_back({f.key, n.compose({}, f.parts), f.secret, f.parts});
        }
        return n;
    }();
    return built;
}

} // namespace

std::string captionAsName(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        if (c == ' ' && (out.empty() || out.back() == ' ' || out.back() == '('))
            continue;
        if (c == ')' && !out.empty() && out.back() == ' ')
            out.pop_back();
        out += c;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == ':'))
        out.pop_back();
    return out;
}

std::span<const SettingName> allSettingNames() {
    return names().settings;
}

const SettingName* settingName(int variable, int mode) {
    const auto& settings = names().settings;
    const auto it = std::find_if(settings.begin(), settings.end(), [&](const SettingName& s) {
        return s.variable == variable && s.mode == mode;
    });
    return it == settings.end() ? nullptr : &*it;
}

SettingName unnamedSetting(int variable, int mode) {
    return {variable, mode, "unnamed", "Unnamed variable", Shown::Table, TableKind::Opaque};
}

std::span<const RecordField> recordFields(TableKind kind) {
    const auto& fields = names().fields;
    const auto it = fields.find(kind);
    return it == fields.end() ? std::span<const RecordField>{} : it->second;
}

std::vector<NamedValue> describeEntry(const SettingName& setting, const _snmp_packet& entry) {
    if (setting.shown != Shown::Table)
        return {{std::string(setting.key), std::string(setting.name),
                 scalarValue(setting.shown, entry)}};
    std::vector<NamedValue> out;
    const auto fields = recordFields(setting.table);
    for (const Record& record : recordsOf(setting, entry, kEntryValueSize)) {
        if (allZero(record))
            continue;
        const auto values = descriptorOf(setting.table).decode(record.bytes.data(), record.size);
        if (values.size() != fields.size()) {
            out.push_back({recordKey(setting, record, "bytes"),
                           recordName(setting, record, "Bytes"),
                           hexPairs(record.bytes.data(), record.size, ' ')});
            continue;
        }
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const std::string value =
                fields[f].secret ? (values[f].empty() ? "(empty)" : "(set)") : values[f];
            out.push_back({recordKey(setting, record, fields[f].key),
                           recordName(setting, record, fields[f].label), value});
        }
    }
    return out;
}

namespace {

// Two secrets that differ, as the two sides of a difference: each side says
// whether it holds one, and two that both do say that they differ.
std::pair<std::string, std::string> secretSides(const std::string& before,
                                                const std::string& after) {
    if (!before.empty() && !after.empty())
        return {"(set)", "(set, differs)"};
    return {before.empty() ? "(empty)" : "(set)", after.empty() ? "(empty)" : "(set)"};
}

} // namespace

namespace {

std::string typeName(std::uint8_t type) {
    switch (type) {
    case kTypeInteger:
        return "integer";
    case kTypeOctetString:
        return "octet string";
    case kTypeCounter:
        return "counter";
    default:
        break;
    }
    char out[8];
    std::snprintf(out, sizeof out, "0x%02x", type);
    return out;
}

std::vector<NamedDifference>
valueDifferences(const SettingName& setting, const _snmp_packet& before, const _snmp_packet& after);

} // namespace

std::vector<NamedDifference> diffEntries(const SettingName& setting, const _snmp_packet& before,
                                         const _snmp_packet& after) {
    auto out = valueDifferences(setting, before, after);
    // The router takes an entry by its type as well as its bytes: the same
    // digits sent as a text are not the integer they read as.
    if (before.type != after.type)
        out.push_back({std::string(setting.key) + ".type", std::string(setting.name) + " / Type",
                       typeName(before.type), typeName(after.type)});
    return out;
}

namespace {

std::vector<NamedDifference> valueDifferences(const SettingName& setting,
                                              const _snmp_packet& before,
                                              const _snmp_packet& after) {
    std::vector<NamedDifference> out;
    if (setting.shown != Shown::Table) {
        const std::string a = scalarValue(setting.shown, before);
        const std::string b = scalarValue(setting.shown, after);
        if (setting.shown == Shown::Secret) {
            if (entryText(before) != entryText(after)) {
                const auto [was, now] = secretSides(entryText(before), entryText(after));
                out.push_back({std::string(setting.key), std::string(setting.name), was, now});
            }
        } else if (a != b) {
            out.push_back({std::string(setting.key), std::string(setting.name), a, b});
        }
        return out;
    }
    const auto fields = recordFields(setting.table);
    const auto was = recordsOf(setting, before, kEntryValueSize);
    const auto now = recordsOf(setting, after, kEntryValueSize);
    for (std::size_t r = 0; r < std::min(was.size(), now.size()); ++r) {
        const Record& a = was[r];
        const Record& b = now[r];
        if (a.size == b.size && std::memcmp(a.bytes.data(), b.bytes.data(), a.size) == 0)
            continue;
        const auto va = descriptorOf(setting.table).decode(a.bytes.data(), a.size);
        const auto vb = descriptorOf(setting.table).decode(b.bytes.data(), b.size);
        bool named = false;
        if (va.size() == fields.size() && vb.size() == fields.size()) {
            for (std::size_t f = 0; f < fields.size(); ++f) {
                if (va[f] == vb[f])
                    continue;
                named = true;
                const auto [was, now] =
                    fields[f].secret ? secretSides(va[f], vb[f]) : std::pair{va[f], vb[f]};
                out.push_back({recordKey(setting, b, fields[f].key),
                               recordName(setting, b, fields[f].label), was, now});
            }
        }
        // Bytes that differ where no field shows it (padding, a text without
        // its terminator) are still a difference.
        if (!named)
            out.push_back({recordKey(setting, b, "bytes"), recordName(setting, b, "Bytes"),
                           hexPairs(a.bytes.data(), a.size, ' '),
                           hexPairs(b.bytes.data(), b.size, ' ')});
    }
    return out;
}

// The entries of a file by variable and mode; the last of a pair wins, as
// it does on the router after a Load.
std::optional<std::map<std::pair<int, int>, _snmp_packet>>
entriesOf(std::span<const std::uint8_t> file) {
    if (file.size() < kFileHeaderSize)
        return std::nullopt;
    // The file's own version number (low byte first), so it checks against itself.
    const auto version = static_cast<std::int32_t>(file[10] | (std::uint32_t{file[11]} << 8) |
                                                   (std::uint32_t{file[12]} << 16) |
                                                   (std::uint32_t{file[13]} << 24));
    const CheckedFile checked = checkConfigFile(file, Family::Two, version);
    if (checked.check != FileCheck::Ok)
        return std::nullopt;
    std::map<std::pair<int, int>, _snmp_packet> out;
    for (const FileWrite& w : checked.writes)
        out[{w.variable, w.mode}] = fileEntryAt(file, w.offset);
    return out;
}

} // namespace

std::optional<std::vector<NamedDifference>> diffConfigFiles(std::span<const std::uint8_t> before,
                                                            std::span<const std::uint8_t> after) {
    const auto a = entriesOf(before);
    const auto b = entriesOf(after);
    if (!a || !b)
        return std::nullopt;
    std::vector<NamedDifference> out;
    // An entry only one file holds (the other layout has no slot for it)
    // compares with an empty value of its own type: its value is the news.
    const auto emptyLike = [](const _snmp_packet& entry) {
        _snmp_packet empty{};
        empty.type = entry.type;
        return empty;
    };
    for (const auto& [key, entry] : *a) {
        const auto it = b->find(key);
        const SettingName* known = settingName(key.first, key.second);
        const SettingName setting = known ? *known : unnamedSetting(key.first, key.second);
        for (NamedDifference& d :
             diffEntries(setting, entry, it == b->end() ? emptyLike(entry) : it->second))
            out.push_back(std::move(d));
    }
    for (const auto& [key, entry] : *b) {
        if (a->count(key) != 0)
            continue;
        const SettingName* known = settingName(key.first, key.second);
        const SettingName setting = known ? *known : unnamedSetting(key.first, key.second);
        for (NamedDifference& d : diffEntries(setting, emptyLike(entry), entry))
            out.push_back(std::move(d));
    }
    return out;
}

std::optional<std::vector<NamedValue>> describeConfigFile(std::span<const std::uint8_t> file) {
    const auto entries = entriesOf(file);
    if (!entries)
        return std::nullopt;
    std::vector<NamedValue> out;
    for (const auto& [key, entry] : *entries) {
        const SettingName* known = settingName(key.first, key.second);
        const SettingName setting = known ? *known : unnamedSetting(key.first, key.second);
        for (NamedValue& v : describeEntry(setting, entry))
            out.push_back(std::move(v));
    }
    return out;
}

} // namespace tolvaro::device
