#include "pages/lan/lan_page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <ipslan/variables.h>

#include "device/device_record.h"
#include "device/dotted_text.h"
#include "operation/commit.h"
#include "pages/lan/dhcp_status_dlg.h"
#include "pages/list_choice.h"
#include "pages/octet_edits.h"
#include "pages/store_access.h"
#include "res/ids/lan_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::lan;

constexpr int kDhcpEnableVariable = ipslan::var::kDhcpEnable;
constexpr int kPoolStartVariable = ipslan::var::kDhcpStart;
constexpr int kPoolEndVariable = ipslan::var::kDhcpEnd;
constexpr int kDns1Variable = ipslan::var::kLanDns1;
constexpr int kDns2Variable = ipslan::var::kLanDns2;
constexpr int kDns3Variable = ipslan::var::kLanDns3;
constexpr int kRipVariable = ipslan::var::kRip; // family 2 only
// The primary DNS that the Quick Setup page edits too.
constexpr int kPrimaryDnsVariable = ipslan::var::kPrimaryDns;
// The route table: ten routes per variable, each sent whole.
constexpr auto kRouteVariables = ipslan::var::kRouteTable;
constexpr int kRoutesPerVariable = 10;
constexpr int kMaxRoutes = 20;
constexpr std::size_t kRouteValueLength = kRoutesPerVariable * ipslan::kRouteBytes;
// A pool holds at most 253 addresses.
constexpr std::int64_t kWidestPool = 252;
constexpr unsigned kHighestOctet = 255;

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
inline constexpr const char* kTooManyRoutes = "NO. of Routing Entries should not be more than 20";
inline constexpr const char* kNoRouteSelected = "You have to select a route entry";
inline constexpr const char* kStartBlank = "DHCP start value should not be blank.";
inline constexpr const char* kStartRange = "DHCP Start Address error.\nFor an IP Address, each "
                                           "field must have a value between 0 and 255.";
inline constexpr const char* kStartNetwork =
    "DHCP start IP address should be the same \nnetwork number with device IP.";
inline constexpr const char* kEndBlank = "DHCP end value should not be blank.";
inline constexpr const char* kEndRange = "DHCP End Address error.\nFor an IP Address, each field "
                                         "must have a value between 0 and 255.";
inline constexpr const char* kEndNetwork =
    "DHCP end IP address should be the same \nnetwork number with device IP.";
inline constexpr const char* kEndBelowStart =
    "DHCP end value should not be smaller than start value.";
inline constexpr const char* kPoolTooWide = "DHCP IP range should <=253.";
inline constexpr const char* kDns1Blank = "DNS1 should not be blank.";
inline constexpr const char* kDns1Range =
    "DNS1 Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
} // namespace text

void setIntegerEntry(_snmp_packet& entry, bool on) {
    entry.type = kTypeInteger;
    device::setEntryText(entry, on ? "1" : "0");
}

bool endsTable(const S_ROUTE& route) {
    return std::all_of(std::begin(route.gateway), std::end(route.gateway),
                       [](std::uint8_t b) { return b == 0; });
}

} // namespace

struct CMLan::Validation {
    const char* failure = nullptr;
    // Set when DHCP is enabled and the pool passed.
    bool poolAccepted = false;
    device::Octets poolStart{};
    device::Octets poolEnd{};
};

CMLan::CMLan(AppContext& context, device::ConfigStore& store)
    : SettingsPage(ids::kTemplate, operation::kLanPage, context, store) {}

const MIB_RESPONSE& CMLan::stored(int variable) const {
    static const MIB_RESPONSE kAbsent{};
    const auto slot = store().slotOf(variable);
    return slot ? store().sheet(*slot) : kAbsent;
}

_snmp_packet& CMLan::outgoing(int variable) {
    return store().write(store().slotOf(variable).value());
}

void CMLan::onInitDialog() {
    for (const auto* group :
         {&ids::kDhcpStart, &ids::kDhcpEnd, &ids::kDns1, &ids::kDns2, &ids::kDns3})
        for (int id : *group)
            limitText(id, ids::kOctetLimit);

    addColumns();
    loadRoutes();

    setOctetEdits(*this, ids::kDhcpStart,
                  device::parseDottedAddress(device::entryText(stored(kPoolStartVariable))));
    setOctetEdits(*this, ids::kDhcpEnd,
                  device::parseDottedAddress(device::entryText(stored(kPoolEndVariable))));
    setChecked(ids::kDhcpEnable, device::entryInteger(stored(kDhcpEnableVariable)) != 0);
    enablePool();

    if (store().family() == device::Family::One) {
        setChecked(ids::kRip, false);
        enable(ids::kRip, false);
    } else {
        setChecked(ids::kRip, device::entryInteger(stored(kRipVariable)) != 0);
    }

    // This page's DNS 1 becomes the primary DNS that Quick Setup shows too,
    // unless the user has just typed one there: the latest choice stays.
    showDns1(
        device::entryText(stored(store().primaryDnsEdited ? kPrimaryDnsVariable : kDns1Variable)));
    keepPrimaryDnsInStep();
    setOctetEdits(*this, ids::kDns2,
                  device::parseDottedAddress(device::entryText(stored(kDns2Variable))));
    setOctetEdits(*this, ids::kDns3,
                  device::parseDottedAddress(device::entryText(stored(kDns3Variable))));

    claimReset();
}

void CMLan::onSetActive() {
    showDns1(device::entryText(stored(kPrimaryDnsVariable)));
}

void CMLan::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::TextChanged) {
        if (std::find(ids::kDns1.begin(), ids::kDns1.end(), id) != ids::kDns1.end())
            keepPrimaryDnsInStep();
        return;
    }
    if (notification != ui::Notify::Clicked)
        return;
    switch (id) {
    case ids::kDhcpEnable:
        enablePool();
        break;
    case ids::kAllocated: {
        CDhcpStatusDlg leases(context());
        leases.runModal(host());
        break;
    }
    case ids::kAddRoute:
        addRoute();
        break;
    case ids::kDeleteRoute:
        deleteRoute();
        break;
    default:
        break;
    }
}

void CMLan::addColumns() {
    auto rows = list(ids::kRouteList);
    const int quarter = (rows.pixelWidth() - 1) / 4;
    rows.addColumn("Destination", quarter);
    rows.addColumn("Mask", quarter);
    rows.addColumn("Gateway", quarter);
    rows.addColumn("Interface", quarter / 2 + 2);
    rows.addColumn("Metric", quarter / 2 - 2);
}

void CMLan::loadRoutes() {
    for (int variable : kRouteVariables) {
        const MIB_RESPONSE& part = stored(variable);
        // Read only as far as the router said the value reaches.
        const std::size_t length = device::entryLength(part);
        std::size_t offset = 0;
        for (int n = 0; n < kRoutesPerVariable; ++n) {
            S_ROUTE route{};
            const int used = IPSConvByteToRoute(&route, part.value + offset, length - offset);
            if (endsTable(route))
                return;
            appendRoute(route);
            offset += static_cast<std::size_t>(used);
        }
    }
}

void CMLan::appendRoute(const S_ROUTE& record) {
    const CRouteNode& node = routes_.emplace_back(record);
    auto rows = list(ids::kRouteList);
    const int row = rows.insert(static_cast<int>(routes_.size()) - 1, node.destination);
    rows.setText(row, 1, node.mask);
    rows.setText(row, 2, node.gateway);
    rows.setText(row, 3, node.interface);
    rows.setText(row, 4, node.metric);
}

void CMLan::addRoute() {
    if (list(ids::kRouteList).count() >= kMaxRoutes) {
        host().messageBox(text::kTooManyRoutes);
        return;
    }
    CRouteDlg dialog(scratch_, CRouteDlg::kNewRoute, routes_);
    const int result = dialog.runModal(host());
    if (result != ui::kIdOk || scratch_.metric == CRouteDlg::kCancelledMetric)
        return;
    appendRoute(scratch_);
    chooseRow(list(ids::kRouteList), static_cast<int>(routes_.size()) - 1);
    setModified(true);
}

void CMLan::deleteRoute() {
    auto rows = list(ids::kRouteList);
    const int mark = rows.selectionMark();
    if (rows.nextSelected(-1) == -1 || mark == -1 || mark >= static_cast<int>(routes_.size())) {
        host().messageBox(text::kNoRouteSelected);
        return;
    }
    rows.remove(mark);
    chooseRow(rows, -1);
    routes_.erase(routes_.begin() + mark);
    setModified(true);
}

void CMLan::enablePool() {
    const bool on = isChecked(ids::kDhcpEnable);
    for (const auto* pool : {&ids::kDhcpStart, &ids::kDhcpEnd})
        for (int id : *pool)
            enable(id, on);
}

void CMLan::showDns1(const std::string& dottedText) {
    setOctetEdits(*this, ids::kDns1, device::parseDottedAddress(dottedText));
}

void CMLan::keepPrimaryDnsInStep() {
    const auto slot = store().slotOf(kPrimaryDnsVariable);
    if (slot)
        setSheetText(store().editSheet(*slot), readOctetEdits(*this, ids::kDns1).dotted());
}

CMLan::Validation CMLan::validate() const {
    const DEVICE_INFO& device = context().state.selected();
    const device::Octets address = device::parseDottedAddress(device::fieldText(device.ipAddress));
    const device::Octets mask = device::parseDottedAddress(device::fieldText(device.netmask));
    // A router reached over the WAN may hand out any pool.
    const bool checkNetwork = context().state.remoteFlag == 0;

    Validation result;
    if (isChecked(ids::kDhcpEnable)) {
        const OctetEdits start = readOctetEdits(*this, ids::kDhcpStart);
        if (start.anyEmpty())
            return {text::kStartBlank};
        if (start.anyAbove(kHighestOctet))
            return {text::kStartRange};
        if (checkNetwork && !device::sameNetwork(start.octets(), address, mask))
            return {text::kStartNetwork};
        const OctetEdits end = readOctetEdits(*this, ids::kDhcpEnd);
        if (end.anyEmpty())
            return {text::kEndBlank};
        if (end.anyAbove(kHighestOctet))
            return {text::kEndRange};
        if (checkNetwork && !device::sameNetwork(end.octets(), address, mask))
            return {text::kEndNetwork};
        const std::int64_t span = std::int64_t{end.value()} - std::int64_t{start.value()};
        if (span < 0)
            return {text::kEndBelowStart};
        if (span > kWidestPool)
            return {text::kPoolTooWide};
        result = {nullptr, true, start.octets(), end.octets()};
    }
    const OctetEdits dns1 = readOctetEdits(*this, ids::kDns1);
    if (dns1.anyEmpty())
        return {text::kDns1Blank};
    if (dns1.anyAbove(kHighestOctet))
        return {text::kDns1Range};
    return result;
}

bool CMLan::onKillActive() {
    const Validation result = validate();
    if (result.failure) {
        host().messageBox(result.failure);
        return false;
    }
    // Only a page that passed every check hands its pool on.
    if (result.poolAccepted) {
        context().state.dhcpRangeStart = result.poolStart;
        context().state.dhcpRangeEnd = result.poolEnd;
    }
    return true;
}

void CMLan::composeWrites() {
    setIntegerEntry(outgoing(kDhcpEnableVariable), isChecked(ids::kDhcpEnable));
    device::setEntryText(outgoing(kPoolStartVariable),
                         readOctetEdits(*this, ids::kDhcpStart).dotted());
    device::setEntryText(outgoing(kPoolEndVariable), readOctetEdits(*this, ids::kDhcpEnd).dotted());
    device::setEntryText(outgoing(kDns1Variable), device::entryText(stored(kPrimaryDnsVariable)));
    device::setEntryText(outgoing(kDns2Variable), readOctetEdits(*this, ids::kDns2).dotted());
    device::setEntryText(outgoing(kDns3Variable), readOctetEdits(*this, ids::kDns3).dotted());

    // Unused room after the last route stays zero, so the router always finds
    // the zero gateway that ends the table.
    auto node = routes_.begin();
    for (int variable : kRouteVariables) {
        _snmp_packet& part = outgoing(variable);
        std::memset(part.value, 0, kRouteValueLength);
        part.type = kTypeOctetString;
        device::setEntryLength(part, kRouteValueLength);
        std::size_t offset = 0;
        for (int n = 0; n < kRoutesPerVariable && node != routes_.end(); ++n, ++node) {
            const int written =
                IPSConvRouteToByte(part.value + offset, &node->route, kRouteValueLength - offset);
            offset += static_cast<std::size_t>(written);
        }
    }

    if (store().family() != device::Family::One)
        setIntegerEntry(outgoing(kRipVariable), isChecked(ids::kRip));
}

void CMLan::onApply() {
    operation::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    composeWrites();
    std::vector<int> variables{kDhcpEnableVariable, kPoolStartVariable, kPoolEndVariable,
                               kDns1Variable,       kDns2Variable,      kDns3Variable,
                               kRouteVariables[0],  kRouteVariables[1]};
    if (store().family() != device::Family::One)
        variables.push_back(kRipVariable);
    commit.writeVariables(variables);
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
