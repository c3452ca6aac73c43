// The virtual server and special application tables of the Internet
// Application page: one node per list row, in row order, each holding its
// library record and the row's display texts, and the tables' byte images
// in the router's variables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <ipslan/ipslan.h>
#include <ipslan/records.h>

namespace tolvaro::pages {

// How an editor dialog treats the record it is given.
enum class EditMode { New = 0, Edit = 1 };

inline constexpr int kMaxServers = 10;
inline constexpr int kMaxSpecialApps = 10;
// Both tables are sent at this length, however many rows they hold.
inline constexpr std::size_t kTableValueLength = 210;
// The row index that a new record passes to the uniqueness check.
inline constexpr int kNewRecordRow = kMaxServers;

inline constexpr std::string_view kOnText = "On";
inline constexpr std::string_view kOffText = "Off";

// Only 1 means on; a router may hold other values, which show as off.
std::string_view onOffText(std::uint8_t enabled);
// 0 is UDP, any other value TCP.
std::string_view protocolText(std::uint8_t protocol);
// The record's name up to its NUL (the converters guarantee one).
std::string recordName(const char (&name)[10]);
// Stores at most 9 characters and clears the rest of the field.
void setRecordName(char (&name)[10], std::string_view text);

struct CServerNode {
    explicit CServerNode(const LOCAL_S& record) : server(record) { rebuildTexts(); }
    void rebuildTexts();
    // Enable, Name, Protocol, Ext. Port, Int. Port, IP.
    std::array<std::string, 6> columns() const;

    LOCAL_S server{};
    std::string onOff;
    std::string protocol;
    std::string externalPort;
    std::string internalPort;
    std::string address;
};

struct CSpecialAppNode {
    explicit CSpecialAppNode(const SP_AP& record) : app(record) { rebuildTexts(); }
    void rebuildTexts();
    // Enable, Name, Outgoing, Outgoing Port, Incoming, Incoming Port.
    std::array<std::string, 6> columns() const;

    SP_AP app{};
    std::string onOff;
    std::string outgoingProtocol;
    std::string incomingProtocol;
    std::string outgoingPorts;
    std::string incomingPorts;
};

using ServerList = std::vector<CServerNode>;
using SpecialAppList = std::vector<CSpecialAppNode>;

// Decodes a table value from its start: the first record with an empty name
// (also a record cut short by the end of the value) ends the table, and at
// most 10 rows are taken.
ServerList decodeServers(std::span<const std::uint8_t> value);
SpecialAppList decodeSpecialApps(std::span<const std::uint8_t> value);

// Encodes at most 10 rows back to back into `entry`: type octet string,
// length 210, the bytes after the last row zero (so the router sees the
// table's end).
void encodeServers(const ServerList& servers, _snmp_packet& entry);
void encodeSpecialApps(const SpecialAppList& apps, _snmp_packet& entry);

// A new or edited virtual server against the other rows, row by row: a row's
// external port is compared before its name. `ownRow` is skipped.
enum class ServerConflict { None, Port, Name };
ServerConflict findServerConflict(const ServerList& servers, int ownRow, unsigned externalPort,
                                  std::string_view name);

// Exact, case-sensitive comparison with every special application's name.
bool specialAppNameInUse(const SpecialAppList& apps, std::string_view name);

} // namespace tolvaro::pages
