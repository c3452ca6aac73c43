#include "pages/access/filter_port_dlg.h"

#include "device/device_record.h"
#include "pages/port_range.h"
#include "res/ids/filter_port_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::filter_port;

namespace {

namespace text {
inline constexpr const char* kPortRange = "Port number must have a value between 1 and 65534.";
inline constexpr const char* kFillName = "Please fill name ";
inline constexpr const char* kNameInUse =
    "Name error.\nThis name is already in use.\nYou must use a different name.";
inline constexpr const char* kPortInUse =
    "Port number error.\nThis port number is already in use.\nYou must use a different port.";
} // namespace text

// Positions in the protocol list.
constexpr int kUdp = 0;
constexpr int kTcp = 1;

} // namespace

CFilterPortDlg::CFilterPortDlg(const FilterPortList& ports, char (&name)[kFilterPortNameBytes],
                               std::uint32_t& portValue, int& accepted)
    : ui::Dialog(ids::kTemplate), ports_(ports), name_(name), portValue_(portValue),
      accepted_(accepted) {}

void CFilterPortDlg::onInitDialog() {
    limitText(ids::kName, ids::kNameLimit);
    limitText(ids::kPort, ids::kPortLimit);
    ui::ComboRef protocol = combo(ids::kProtocol);
    protocol.reset();
    for (const auto item : res::lists::kProtocols)
        protocol.add(item);
    protocol.select(kUdp);
}

void CFilterPortDlg::onOK() {
    // The number is checked before it is cut to 16 bits, so 65536 and above
    // cannot wrap into the range.
    const unsigned number = this->number(ids::kPort);
    const auto port = static_cast<std::uint16_t>(number & 0xffffu);
    const int protocol = combo(ids::kProtocol).selection();
    if (protocol == kUdp)
        portValue_ = udpPortValue(port);
    else if (protocol == kTcp)
        portValue_ = tcpPortValue(port);
    if (!isPortInRange(number)) {
        host().messageBox(text::kPortRange);
        return;
    }

    device::setField(name_, text(ids::kName));
    const std::string name = device::fieldText(name_);
    if (name.empty()) {
        host().messageBox(text::kFillName);
        return;
    }

    // Name before port, node by node: the first clash in list order decides.
    for (const CFilterPortNode& node : ports_) {
        if (node.nameText == name) {
            host().messageBox(text::kNameInUse);
            return;
        }
        if (node.portValue() == portValue_) {
            host().messageBox(text::kPortInUse);
            return;
        }
    }
    accepted_ = 1;
    endDialog(ui::kIdOk);
}

void CFilterPortDlg::onCancel() {
    accepted_ = 0;
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::pages
