#include "pages/lan/internet_application_tables.h"

#include <algorithm>
#include <cstring>

#include "device/config_store.h"
#include "device/dotted_text.h"

namespace tolvaro::pages {

namespace {

constexpr std::uint8_t kTypeOctetString = 4;

std::string portText(std::uint16_t port) {
    return std::to_string(port);
}

// Walks a table value record by record with the library's decoder.
template <typename Record, typename Node, typename Decode>
std::vector<Node> decodeTable(std::span<const std::uint8_t> value, int limit, Decode decode) {
    std::vector<Node> nodes;
    std::size_t offset = 0;
    while (static_cast<int>(nodes.size()) < limit) {
        Record record{};
        const int consumed = decode(&record, value.data() + offset, value.size() - offset);
        if (consumed <= 0 || record.name[0] == '\0')
            break;
        nodes.emplace_back(record);
        offset += static_cast<std::size_t>(consumed);
    }
    return nodes;
}

template <typename Node, typename Encode>
void encodeTable(const std::vector<Node>& nodes, int limit, _snmp_packet& entry, Encode encode) {
    std::memset(entry.value, 0, sizeof entry.value);
    entry.type = kTypeOctetString;
    device::setEntryLength(entry, kTableValueLength);
    std::size_t offset = 0;
    const auto count = std::min(nodes.size(), static_cast<std::size_t>(limit));
    for (std::size_t i = 0; i < count; ++i)
        offset += static_cast<std::size_t>(
            encode(entry.value + offset, nodes[i], kTableValueLength - offset));
}

} // namespace

std::string_view onOffText(std::uint8_t enabled) {
    return enabled == 1 ? kOnText : kOffText;
}

std::string_view protocolText(std::uint8_t protocol) {
    return protocol == 0 ? "UDP" : "TCP";
}

std::string recordName(const char (&name)[10]) {
    return {name, strnlen(name, sizeof name)};
}

void setRecordName(char (&name)[10], std::string_view text) {
    std::memset(name, 0, sizeof name);
    std::memcpy(name, text.data(), std::min(text.size(), sizeof name - 1));
}

void CServerNode::rebuildTexts() {
    onOff = onOffText(server.enabled);
    protocol = protocolText(server.protocol);
    externalPort = portText(server.externalPort);
    internalPort = portText(server.internalPort);
    address = device::formatDotted(
        {server.address[0], server.address[1], server.address[2], server.address[3]});
}

std::array<std::string, 6> CServerNode::columns() const {
    return {onOff, recordName(server.name), protocol, externalPort, internalPort, address};
}

void CSpecialAppNode::rebuildTexts() {
    onOff = onOffText(app.enabled);
    outgoingProtocol = protocolText(app.outProtocol);
    incomingProtocol = protocolText(app.inProtocol);
    outgoingPorts = portText(app.outStart) + " - " + portText(app.outEnd);
    incomingPorts = portText(app.inStart) + "-" + portText(app.inEnd);
}

std::array<std::string, 6> CSpecialAppNode::columns() const {
    return {onOff,         recordName(app.name), outgoingProtocol,
            outgoingPorts, incomingProtocol,     incomingPorts};
}

ServerList decodeServers(std::span<const std::uint8_t> value) {
    return decodeTable<LOCAL_S, CServerNode>(value, kMaxServers, IPSConvByteToLocalServer);
}

SpecialAppList decodeSpecialApps(std::span<const std::uint8_t> value) {
    return decodeTable<SP_AP, CSpecialAppNode>(value, kMaxSpecialApps, IPSConvByteToSpecialAP);
}

void encodeServers(const ServerList& servers, _snmp_packet& entry) {
    encodeTable(servers, kMaxServers, entry,
                [](std::uint8_t* bytes, const CServerNode& node, std::size_t capacity) {
                    return IPSConvLocalServerToByte(bytes, &node.server, capacity);
                });
}

void encodeSpecialApps(const SpecialAppList& apps, _snmp_packet& entry) {
    encodeTable(apps, kMaxSpecialApps, entry,
                [](std::uint8_t* bytes, const CSpecialAppNode& node, std::size_t capacity) {
                    return IPSConvSpecialAPToByte(bytes, &node.app, capacity);
                });
}

ServerConflict findServerConflict(const ServerList& servers, int ownRow, unsigned externalPort,
                                  std::string_view name) {
    for (int row = 0; row < static_cast<int>(servers.size()); ++row) {
        if (row == ownRow)
            continue;
        const LOCAL_S& other = servers[static_cast<std::size_t>(row)].server;
        if (other.externalPort == externalPort)
            return ServerConflict::Port;
        if (recordName(other.name) == name)
            return ServerConflict::Name;
    }
    return ServerConflict::None;
}

bool specialAppNameInUse(const SpecialAppList& apps, std::string_view name) {
    return std::any_of(apps.begin(), apps.end(), [&](const CSpecialAppNode& node) {
        return recordName(node.app.name) == name;
    });
}

} // namespace tolvaro::pages
