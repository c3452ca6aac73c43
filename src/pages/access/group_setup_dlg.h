// The Group Setup dialog and the port list behind it.
//
// The list always starts with the 13 well-known ports and may end with up to
// 16 user-defined ports that all five groups share; each group only decides,
// port by port, whether it blocks it. CFilterPortNode backs one row: row i of
// the list view is node i of the dialog's FilterPortList.
//
// CGroupSetupDlg edits one group's mode and blocked ports. It reads all five
// group records, both user-port lists and the sixteen port values from the
// store's sheet state at every start, and on OK writes them into the write
// image for the Access Control page's apply and into the sheet state, so that
// the next start (for any group) shows what was last accepted. Cancel leaves
// the store as it was.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>

#include <ipslan/records.h>
#include <ipslan/variables.h>

#include "ui/dialog.h"

namespace tolvaro::device {
class ConfigStore;
}

namespace tolvaro::pages {

inline constexpr int kGroupCount = 5;

// One group record per group, in the order of the group lists.
inline constexpr std::array<int, kGroupCount> kGroupRecordVariables = ipslan::var::kGroupTable;
inline constexpr int kUdpPortListVariable = ipslan::var::kUdpPortNames;
inline constexpr int kTcpPortListVariable = ipslan::var::kTcpPortNames;
// The sixteen port values, numbered UDP ports first, then TCP ports.
inline constexpr std::array<int, ipslan::kMaxUserPorts> kPortValueVariables =
    ipslan::var::kPortValues;

enum GroupMode : std::uint8_t { kNoRestriction = 0, kBlockAllAccess = 1, kUseListBelow = 2 };

// A port and its protocol in one value: a TCP port in the low 16 bits, a UDP
// port in the high 16 bits, the other half 0.
constexpr std::uint32_t udpPortValue(std::uint16_t port) {
    return std::uint32_t{port} << 16;
}
constexpr std::uint32_t tcpPortValue(std::uint16_t port) {
    return port;
}
constexpr bool isTcpPortValue(std::uint32_t value) {
    return (value & 0xffffu) != 0;
}

enum class PortProtocol { Udp = 0, Tcp = 1 };

inline constexpr int kWellKnownPortCount = 13;
inline constexpr int kMaxPortRows = kWellKnownPortCount + ipslan::kMaxUserPorts;

struct WellKnownPort {
    std::string_view name;
    std::uint16_t port;
    PortProtocol protocol;
    int bit; // of the group's well-known block mask
};

// In row order. Bits 8 to 10 of the mask belong to no port.
inline constexpr std::array<WellKnownPort, kWellKnownPortCount> kWellKnownPorts{{
    {"irc", 194, PortProtocol::Tcp, 0},
    {"tftp", 69, PortProtocol::Udp, 1},
    {"nntp", 119, PortProtocol::Tcp, 2},
    {"smtp", 25, PortProtocol::Tcp, 3},
    {"pop", 110, PortProtocol::Tcp, 4},
    {"http", 80, PortProtocol::Tcp, 5},
    {"ftp", 21, PortProtocol::Tcp, 6},
    {"telnet", 23, PortProtocol::Tcp, 7},
    {"raudio", 7070, PortProtocol::Tcp, 11},
    {"archie", 191, PortProtocol::Tcp, 12},
    {"snmp", 161, PortProtocol::Tcp, 13},
    {"dns", 53, PortProtocol::Tcp, 14},
    {"gopher", 70, PortProtocol::Tcp, 15},
}};

inline constexpr std::string_view kBlockText = "Block";
inline constexpr std::string_view kAllowText = "Allow";

// Whether each group blocks a user-defined port.
using GroupFlags = std::array<bool, kGroupCount>;

struct CFilterPortNode {
    // `name` is cut to the 6 significant bytes (and at its first NUL).
    CFilterPortNode(bool block, std::string_view name, std::uint16_t port, PortProtocol protocol,
                    const GroupFlags& groupFlags = {});
    // From a port value: a non-zero low half is a TCP port, otherwise the
    // high half is a UDP port.
    CFilterPortNode(bool block, std::string_view name, std::uint32_t portValue,
                    const GroupFlags& groupFlags = {});

    void setBlock(bool blocked);
    std::uint32_t portValue() const;
    bool isTcp() const { return protocol == PortProtocol::Tcp; }
    // Allow/Block, Name, UDP/TCP, Port.
    std::array<std::string, 4> columns() const;

    char name[8]{}; // bytes 6 and 7 stay zero
    std::uint16_t port = 0;
    PortProtocol protocol = PortProtocol::Udp;
    bool block = false;
    // Only user-defined ports read from the store carry flags.
    GroupFlags groupFlags{};
    std::string blockText;
    std::string portText;
    std::string protocolText;
    std::string nameText;
};

using FilterPortList = std::list<CFilterPortNode>;

class CGroupSetupDlg : public ui::Dialog {
public:
    // `group` is 0 ("Everyone") to 4 ("Group4"); the store must outlive the
    // dialog's run.
    CGroupSetupDlg(device::ConfigStore& store, int group);

    // The group's name, which the dialog takes as its caption.
    static std::string_view groupName(int group);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void readStore();
    void checkMode(std::uint8_t mode);
    void enablePortListGroup(bool enabled);
    void appendRow(const CFilterPortNode& node);
    // The row with the selection mark, or -1 when no row is selected.
    int selectedRow() const;

    void addPort();
    void deletePort();
    void toggleBlock();

    void storeGroups();
    void storePorts();

    device::ConfigStore& store_;
    int group_;
    std::array<S_GPCFG, kGroupCount> groups_{};
    FilterPortList ports_;
};

} // namespace tolvaro::pages
