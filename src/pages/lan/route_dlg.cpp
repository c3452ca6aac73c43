#include "pages/lan/route_dlg.h"

#include <algorithm>
#include <cstring>

#include "pages/octet_edits.h"
#include "res/ids/route_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::route;

constexpr unsigned kHighestMetric = 15;
constexpr unsigned kHighestOctet = 255;
constexpr unsigned kHighestGatewayOctet = 254;
// The record's name field keeps room for its terminating zero beyond these.
constexpr std::size_t kStoredNameLength = 8;

namespace text {
inline constexpr const char* kMetricRange =
    "Matric should be 0-15, it will be changed to 0 automatically";
inline constexpr const char* kNameEmpty = "Please fill the name of this entry";
inline constexpr const char* kDestinationEmpty = "Please fill each destination address field.";
inline constexpr const char* kDestinationRange =
    "Destination Address error.\nFor an IP Address, each field must have a value between 0 and "
    "255.";
inline constexpr const char* kMaskEmpty = "Please fill each network mask field.";
inline constexpr const char* kMaskRange =
    "Network mask error.\nFor an IP Address, each field must have a value between 0 and 255.";
inline constexpr const char* kDefaultRoute =
    "If you would like to set a default gateway,\ndestination address should be 0.0.0.0 "
    "and\nnetwork mask should be 0.0.0.0 .";
inline constexpr const char* kGatewayEmpty = "Please fill each gateway address field.";
inline constexpr const char* kGatewayRange =
    "Gateway address error.\nFor an IP Address, each field must have a value between 0 and 254.";
inline constexpr const char* kGatewayZero =
    "Gateway address error.\nFor an IP Address, all field must not be 0.";
inline constexpr const char* kMetricEmpty = "Please fill the metric field. ";
inline constexpr const char* kNameInUse =
    "Name error.\nThis name is already in use.\nYou must use a different name.";
} // namespace text

std::string spaced(const std::uint8_t (&octets)[4]) {
    return std::to_string(octets[0]) + " . " + std::to_string(octets[1]) + " . " +
           std::to_string(octets[2]) + " . " + std::to_string(octets[3]);
}

bool isDefaultRouteName(const std::string& name) {
    return name == "default" || name == "Default" || name == "DEFAULT";
}

// What the record's name field will hold: the first characters that fit.
std::string storedName(const std::string& typed) {
    return typed.substr(0, std::min(typed.size(), kStoredNameLength));
}

void copyOctets(std::uint8_t (&field)[4], const device::Octets& octets) {
    std::copy(octets.begin(), octets.end(), field);
}

device::Octets octetsOf(const std::uint8_t (&field)[4]) {
    return {field[0], field[1], field[2], field[3]};
}

} // namespace

CRouteNode::CRouteNode(const S_ROUTE& record)
    : route(record), destination(spaced(record.destination)), mask(spaced(record.netmask)),
      gateway(spaced(record.gateway)),
      interface(record.interface == 1 || record.interface == 2 ? "WAN" : "LAN"),
      metric(std::to_string(record.metric)) {}

std::string routeName(const S_ROUTE& record) {
    return std::string(record.name, strnlen(record.name, sizeof record.name));
}

CRouteDlg::CRouteDlg(S_ROUTE& record, int mode, const RouteList& routes)
    : ui::Dialog(ids::kTemplate), record_(record), mode_(mode), routes_(routes) {}

void CRouteDlg::onInitDialog() {
    limitText(ids::kName, ids::kNameLimit);
    limitText(ids::kMetric, ids::kMetricLimit);
    for (const auto* group : {&ids::kDestination, &ids::kMask, &ids::kGateway})
        for (int id : *group)
            limitText(id, ids::kOctetLimit);

    auto interfaces = combo(ids::kInterface);
    interfaces.reset();
    for (auto item : res::lists::kInterfaces)
        interfaces.add(item);
    interfaces.select(0);

    if (mode_ == kEditRoute) {
        ownName_ = routeName(record_);
        setText(ids::kName, ownName_);
        setOctetEdits(*this, ids::kDestination, octetsOf(record_.destination));
        setOctetEdits(*this, ids::kMask, octetsOf(record_.netmask));
        setOctetEdits(*this, ids::kGateway, octetsOf(record_.gateway));
        setNumber(ids::kMetric, record_.metric);
        interfaces.select(record_.interface == 1 ? 1 : 0);
    }
}

void CRouteDlg::onCommand(int id, ui::Notify notification) {
    if (notification != ui::Notify::FocusLost)
        return;
    if (id == ids::kMetric)
        applyMetricRule();
    else if (id == ids::kName)
        applyDefaultRouteRule();
}

void CRouteDlg::applyMetricRule() {
    if (number(ids::kMetric) <= kHighestMetric)
        return;
    // The field is corrected before the box opens, so nothing that happens
    // while the box is up can see the bad number again.
    setNumber(ids::kMetric, 0);
    host().messageBox(text::kMetricRange);
}

void CRouteDlg::applyDefaultRouteRule() {
    if (!isDefaultRouteName(text(ids::kName)))
        return;
    setOctetEdits(*this, ids::kDestination, {});
    setOctetEdits(*this, ids::kMask, {});
}

bool CRouteDlg::nameInUse(const std::string& name) const {
    return std::any_of(routes_.begin(), routes_.end(), [&](const CRouteNode& node) {
        const std::string used = routeName(node.route);
        return used == name && !(mode_ == kEditRoute && used == ownName_);
    });
}

const char* CRouteDlg::check() const {
    const std::string name = text(ids::kName);
    if (name.empty())
        return text::kNameEmpty;
    const OctetEdits destination = readOctetEdits(*this, ids::kDestination);
    if (destination.anyEmpty())
        return text::kDestinationEmpty;
    if (destination.anyAbove(kHighestOctet))
        return text::kDestinationRange;
    const OctetEdits mask = readOctetEdits(*this, ids::kMask);
    if (mask.anyEmpty())
        return text::kMaskEmpty;
    if (mask.anyAbove(kHighestOctet))
        return text::kMaskRange;
    if (isDefaultRouteName(name) && !(destination.allZero() && mask.allZero()))
        return text::kDefaultRoute;
    const OctetEdits gateway = readOctetEdits(*this, ids::kGateway);
    if (gateway.anyEmpty())
        return text::kGatewayEmpty;
    if (gateway.anyAbove(kHighestGatewayOctet))
        return text::kGatewayRange;
    if (gateway.allZero())
        return text::kGatewayZero;
    if (text(ids::kMetric).empty())
        return text::kMetricEmpty;
    // Enter in the metric edit reaches OK without the focus leaving it, so
    // the metric rule is enforced here as well.
    if (number(ids::kMetric) > kHighestMetric)
        return text::kMetricRange;
    // Compared as it will be stored, so a ninth character cannot make a
    // name that is already in use look new.
    if (nameInUse(storedName(name)))
        return text::kNameInUse;
    return nullptr;
}

void CRouteDlg::onOK() {
    if (const char* failure = check()) {
        if (failure == text::kMetricRange)
            setNumber(ids::kMetric, 0);
        host().messageBox(failure);
        return;
    }
    store();
    endDialog(ui::kIdOk);
}

void CRouteDlg::store() {
    S_ROUTE route{};
    const std::string name = storedName(text(ids::kName));
    std::memcpy(route.name, name.data(), name.size());
    copyOctets(route.destination, readOctetEdits(*this, ids::kDestination).octets());
    copyOctets(route.netmask, readOctetEdits(*this, ids::kMask).octets());
    copyOctets(route.gateway, readOctetEdits(*this, ids::kGateway).octets());
    route.metric = static_cast<std::uint8_t>(number(ids::kMetric));
    const int interface = combo(ids::kInterface).selection();
    route.interface = static_cast<std::uint8_t>(interface > 0 ? interface : 0);
    record_ = route;
}

void CRouteDlg::onCancel() {
    record_.metric = kCancelledMetric;
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::pages
