#include "pages/access/group_setup_dlg.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "device/config_store.h"
#include "pages/access/filter_port_dlg.h"
#include "pages/list_choice.h"
#include "pages/store_access.h"
#include "res/ids/group_setup_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::group_setup;

namespace {

namespace text {
inline constexpr const char* kPortLimit = "NO. of User Defined Port should not exceed 16";
inline constexpr const char* kSelectPort = "You have to select a Port";
inline constexpr const char* kWellKnownPort = "Can't change Well-Known Port";
inline constexpr std::array<const char*, 4> kColumns = {"Allow/Block", "Name", "UDP/TCP", "Port"};
} // namespace text

constexpr std::size_t kSignificantNameBytes = 6;

// The controls that only matter while the group uses the list.
constexpr std::array kPortListGroup = {ids::kPortList, ids::kDeletePort, ids::kAddPort};

void setBit(std::uint32_t& mask, int bit, bool set) {
    const std::uint32_t one = std::uint32_t{1} << bit;
    mask = set ? (mask | one) : (mask & ~one);
}

bool bitOf(std::uint32_t mask, int bit) {
    return ((mask >> bit) & 1u) != 0;
}

std::string_view significantName(std::string_view name) {
    name = name.substr(0, kSignificantNameBytes);
    return name.substr(0, name.find('\0'));
}

// Port images: 6 name bytes per port, at most 16 ports.
struct PortImage {
    std::uint8_t bytes[ipslan::kPortImageBytes]{};
    int count = 0;
};

PortImage readPortImage(const MIB_RESPONSE& entry) {
    PortImage image;
    const std::size_t length = std::min(device::entryLength(entry), ipslan::kPortImageBytes);
    std::memcpy(image.bytes, entry.value, length);
    image.count = static_cast<int>(length / ipslan::kPortNameBytes);
    return image;
}

// The write image always carries the whole 96 bytes; the sheet only the
// ports, as a router reports them, since the next start counts ports by the
// length.
void storePortImage(device::ConfigStore& store, int variable, const std::uint8_t* bytes,
                    int count) {
    const std::size_t used = static_cast<std::size_t>(count) * ipslan::kPortNameBytes;
    _snmp_packet& written = writeEntry(store, variable);
    std::memcpy(written.value, bytes, used);
    device::setEntryLength(written, ipslan::kPortImageBytes);
    MIB_RESPONSE& shared = editSheetEntry(store, variable);
    std::memcpy(shared.value, bytes, used);
    device::setEntryLength(shared, used);
}

} // namespace

CFilterPortNode::CFilterPortNode(bool block, std::string_view name, std::uint16_t port,
                                 PortProtocol protocol, const GroupFlags& groupFlags)
    : port(port), protocol(protocol), groupFlags(groupFlags) {
    const std::string_view significant = significantName(name);
    std::memcpy(this->name, significant.data(), significant.size());
    nameText = std::string(significant);
    portText = std::to_string(port);
    protocolText = protocol == PortProtocol::Tcp ? "TCP" : "UDP";
    setBlock(block);
}

CFilterPortNode::CFilterPortNode(bool block, std::string_view name, std::uint32_t portValue,
                                 const GroupFlags& groupFlags)
    : CFilterPortNode(block, name,
                      static_cast<std::uint16_t>(isTcpPortValue(portValue) ? portValue & 0xffffu
                                                                           : portValue >> 16),
                      isTcpPortValue(portValue) ? PortProtocol::Tcp : PortProtocol::Udp,
                      groupFlags) {}

void CFilterPortNode::setBlock(bool blocked) {
    block = blocked;
    blockText = blocked ? kBlockText : kAllowText;
}

std::uint32_t CFilterPortNode::portValue() const {
    return isTcp() ? tcpPortValue(port) : udpPortValue(port);
}

std::array<std::string, 4> CFilterPortNode::columns() const {
    return {blockText, nameText, protocolText, portText};
}

CGroupSetupDlg::CGroupSetupDlg(device::ConfigStore& store, int group)
    : ui::Dialog(ids::kTemplate), store_(store), group_(std::clamp(group, 0, kGroupCount - 1)) {}

std::string_view CGroupSetupDlg::groupName(int group) {
    return res::lists::kGroups.at(static_cast<std::size_t>(std::clamp(group, 0, kGroupCount - 1)));
}

void CGroupSetupDlg::onInitDialog() {
    setCaption(groupName(group_));
    ui::ListViewRef list = this->list(ids::kPortList);
    const int width = (list.pixelWidth() - 24) / 4;
    for (const char* title : text::kColumns)
        list.addColumn(title, width);
    ports_.clear();
    readStore();
    checkMode(groups_[static_cast<std::size_t>(group_)].mode);
}

void CGroupSetupDlg::readStore() {
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const MIB_RESPONSE& entry = sheetEntry(store_, kGroupRecordVariables[g]);
        IPSConvByteToGroup(&groups_[g], entry.value, device::entryLength(entry));
    }

    PortImage tcpImage = readPortImage(sheetEntry(store_, kTcpPortListVariable));
    PortImage udpImage = readPortImage(sheetEntry(store_, kUdpPortListVariable));
    std::uint32_t values[ipslan::kMaxUserPorts]{};
    for (std::size_t i = 0; i < kPortValueVariables.size(); ++i)
        values[i] = static_cast<std::uint32_t>(
            device::entryInteger(sheetEntry(store_, kPortValueVariables[i])));
    TCPUDP_PORT tcp[ipslan::kMaxUserPorts]{};
    TCPUDP_PORT udp[ipslan::kMaxUserPorts]{};
    ConvByteToTCPUDP(tcp, tcpImage.count, udp, udpImage.count, tcpImage.bytes, udpImage.bytes,
                     values);

    const S_GPCFG& own = groups_[static_cast<std::size_t>(group_)];
    for (const WellKnownPort& known : kWellKnownPorts)
        appendRow(ports_.emplace_back(bitOf(own.wellKnownMask, known.bit), known.name, known.port,
                                      known.protocol));

    // User-defined port n is bit n of every group's user-port mask, UDP
    // ports numbered first. The protocol comes from the list a record is in,
    // so a TCP record cannot turn into a UDP one through its port value.
    int n = 0;
    const auto addUserPort = [&](const TCPUDP_PORT& record, PortProtocol protocol) {
        GroupFlags flags{};
        for (std::size_t g = 0; g < groups_.size(); ++g)
            flags[g] = bitOf(groups_[g].userPortMask, n);
        const std::string_view name(record.name, sizeof record.name);
        appendRow(
            ports_.emplace_back(bitOf(own.userPortMask, n), name, record.port, protocol, flags));
        ++n;
    };
    for (int i = 0; i < udpImage.count; ++i)
        addUserPort(udp[i], PortProtocol::Udp);
    for (int j = 0; j < tcpImage.count; ++j)
        addUserPort(tcp[j], PortProtocol::Tcp);
}

void CGroupSetupDlg::checkMode(std::uint8_t mode) {
    switch (mode) {
    case kNoRestriction:
        setChecked(ids::kNoRestriction);
        enablePortListGroup(false);
        break;
    case kBlockAllAccess:
        setChecked(ids::kBlockAll);
        enablePortListGroup(false);
        break;
    case kUseListBelow:
        setChecked(ids::kUseList);
        enablePortListGroup(true);
        break;
    default:
        // A mode this program does not know: no radio, and the list usable.
        enablePortListGroup(true);
        break;
    }
}

void CGroupSetupDlg::enablePortListGroup(bool enabled) {
    for (const int id : kPortListGroup)
        enable(id, enabled);
}

void CGroupSetupDlg::appendRow(const CFilterPortNode& node) {
    ui::ListViewRef list = this->list(ids::kPortList);
    const auto columns = node.columns();
    const int row = list.insert(list.count(), columns[0]);
    for (std::size_t c = 1; c < columns.size(); ++c)
        list.setText(row, static_cast<int>(c), columns[c]);
}

int CGroupSetupDlg::selectedRow() const {
    const ui::ListViewRef list = this->list(ids::kPortList);
    const int mark = list.selectionMark();
    if (mark < 0 || mark >= static_cast<int>(ports_.size()) || list.nextSelected() < 0)
        return -1;
    return mark;
}

void CGroupSetupDlg::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::Clicked) {
        if (id == ids::kUseList)
            enablePortListGroup(true);
        else if (id == ids::kNoRestriction || id == ids::kBlockAll)
            enablePortListGroup(false);
        else if (id == ids::kAddPort)
            addPort();
        else if (id == ids::kDeletePort)
            deletePort();
    } else if (notification == ui::Notify::ListDoubleClick && id == ids::kPortList) {
        toggleBlock();
    }
}

void CGroupSetupDlg::addPort() {
    if (list(ids::kPortList).count() >= kMaxPortRows) {
        host().messageBox(text::kPortLimit);
        return;
    }
    char name[kFilterPortNameBytes]{};
    std::uint32_t portValue = 0;
    int accepted = 0;
    CFilterPortDlg dlg(ports_, name, portValue, accepted);
    dlg.runModal(host());
    if (accepted != 1)
        return;
    appendRow(ports_.emplace_back(false, std::string_view(name, sizeof name), portValue));
    chooseRow(list(ids::kPortList), static_cast<int>(ports_.size()) - 1);
}

void CGroupSetupDlg::deletePort() {
    const int row = selectedRow();
    if (row < 0) {
        host().messageBox(text::kSelectPort);
        return;
    }
    if (row < kWellKnownPortCount) {
        host().messageBox(text::kWellKnownPort);
        return;
    }
    list(ids::kPortList).remove(row);
    chooseRow(list(ids::kPortList), -1);
    ports_.erase(std::next(ports_.begin(), row));
}

void CGroupSetupDlg::toggleBlock() {
    ui::ListViewRef list = this->list(ids::kPortList);
    const int row = list.selectionMark();
    if (row < 0 || row >= static_cast<int>(ports_.size()))
        return;
    CFilterPortNode& node = *std::next(ports_.begin(), row);
    node.setBlock(list.text(row, 0) != kBlockText);
    list.setText(row, 0, node.blockText);
}

void CGroupSetupDlg::onOK() {
    S_GPCFG& own = groups_[static_cast<std::size_t>(group_)];
    if (isChecked(ids::kNoRestriction))
        own.mode = kNoRestriction;
    else if (isChecked(ids::kBlockAll))
        own.mode = kBlockAllAccess;
    else if (isChecked(ids::kUseList))
        own.mode = kUseListBelow;

    auto node = ports_.begin();
    for (const WellKnownPort& known : kWellKnownPorts) {
        if (node == ports_.end())
            break;
        setBit(own.wellKnownMask, known.bit, node->block);
        ++node;
    }

    storePorts();
    storeGroups();
    endDialog(ui::kIdOk);
}

// Renumbers the user-defined ports UDP first, TCP second, and moves every
// group's bit along with its port.
void CGroupSetupDlg::storePorts() {
    for (const int variable : {kUdpPortListVariable, kTcpPortListVariable})
        std::memset(writeEntry(store_, variable).value, 0, kEntryValueSize);
    for (const int variable : {kUdpPortListVariable, kTcpPortListVariable}) {
        MIB_RESPONSE& entry = editSheetEntry(store_, variable);
        std::memset(entry.value, 0, kEntryValueSize);
        device::setEntryLength(entry, 0);
    }
    for (const int variable : kPortValueVariables) {
        MIB_RESPONSE& entry = editSheetEntry(store_, variable);
        std::memset(entry.value, 0, kEntryValueSize);
        device::setEntryLength(entry, 0);
    }

    std::vector<const CFilterPortNode*> userPorts;
    for (auto it = std::next(ports_.begin(),
                             std::min<std::ptrdiff_t>(kWellKnownPortCount, std::ssize(ports_)));
         it != ports_.end() && userPorts.size() < ipslan::kMaxUserPorts; ++it)
        userPorts.push_back(&*it);

    std::vector<TCPUDP_PORT> udp;
    std::vector<TCPUDP_PORT> tcp;
    int k = 0;
    for (const PortProtocol protocol : {PortProtocol::Udp, PortProtocol::Tcp}) {
        for (const CFilterPortNode* port : userPorts) {
            if (port->protocol != protocol)
                continue;
            TCPUDP_PORT record{};
            std::memcpy(record.name, port->name, sizeof record.name);
            record.port = port->port;
            (protocol == PortProtocol::Udp ? udp : tcp).push_back(record);
            for (std::size_t g = 0; g < groups_.size(); ++g) {
                const bool blocked =
                    static_cast<int>(g) == group_ ? port->block : port->groupFlags[g];
                setBit(groups_[g].userPortMask, k, blocked);
            }
            ++k;
        }
    }

    std::uint8_t tcpImage[ipslan::kPortImageBytes]{};
    std::uint8_t udpImage[ipslan::kPortImageBytes]{};
    std::uint32_t values[ipslan::kMaxUserPorts]{};
    const int tcpCount = static_cast<int>(tcp.size());
    const int udpCount = static_cast<int>(udp.size());
    ConvTCPUDPToByte(tcpImage, udpImage, values, tcp.data(), tcpCount, udp.data(), udpCount);

    storePortImage(store_, kTcpPortListVariable, tcpImage, tcpCount);
    storePortImage(store_, kUdpPortListVariable, udpImage, udpCount);

    for (std::size_t i = 0; i < kPortValueVariables.size(); ++i) {
        MIB_RESPONSE& shared = editSheetEntry(store_, kPortValueVariables[i]);
        for (int b = 0; b < 4; ++b)
            shared.value[b] = static_cast<std::uint8_t>(values[i] >> (8 * b));
        device::setEntryText(writeEntry(store_, kPortValueVariables[i]),
                             std::to_string(static_cast<std::int32_t>(values[i])));
    }
}

// The sheet takes the byte form too: it equals the record's own image, and
// the next start reads it back with the same converter whatever its length
// word said before.
void CGroupSetupDlg::storeGroups() {
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        MIB_RESPONSE& shared = editSheetEntry(store_, kGroupRecordVariables[g]);
        const int sharedLength = IPSConvGroupToByte(shared.value, &groups_[g], kEntryValueSize);
        device::setEntryLength(shared, static_cast<std::size_t>(std::max(sharedLength, 0)));
        _snmp_packet& written = writeEntry(store_, kGroupRecordVariables[g]);
        const int length = IPSConvGroupToByte(written.value, &groups_[g], kEntryValueSize);
        device::setEntryLength(written, static_cast<std::size_t>(std::max(length, 0)));
    }
}

} // namespace tolvaro::pages
