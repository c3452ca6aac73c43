#include "pages/lan/virtual_server_dlg.h"

#include <string>

#include "pages/octet_edits.h"
#include "pages/port_range.h"
#include "res/ids/virtual_server_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::virtual_server;
namespace text = virtual_server_text;

constexpr unsigned kHighestOctet = 255;

CVirtualServerDlg::CVirtualServerDlg(LOCAL_S& record, EditMode mode, int* cancelled, int ownRow,
                                     const ServerList& servers, const DEVICE_INFO& device)
    : ui::Dialog(ids::kTemplate), record_(record), mode_(mode), cancelled_(cancelled),
      ownRow_(ownRow), servers_(servers), device_(device) {}

void CVirtualServerDlg::onInitDialog() {
    limitText(ids::kName, ids::kNameLimit);
    for (const int id : ids::kServerIp)
        limitText(id, ids::kOctetLimit);
    limitText(ids::kExternalPort, ids::kPortLimit);
    limitText(ids::kInternalPort, ids::kPortLimit);

    auto protocol = combo(ids::kProtocol);
    protocol.reset();
    for (const auto item : res::lists::kProtocols)
        protocol.add(item);

    if (mode_ == EditMode::New) {
        protocol.select(0);
        return;
    }
    setText(ids::kName, recordName(record_.name));
    setNumber(ids::kExternalPort, record_.externalPort);
    setNumber(ids::kInternalPort, record_.internalPort);
    for (std::size_t i = 0; i < ids::kServerIp.size(); ++i)
        setNumber(ids::kServerIp[i], record_.address[i]);
    setChecked(ids::kEnable, record_.enabled == 1);
    // Any protocol byte other than 0 is TCP, as the page's list shows it.
    protocol.select(record_.protocol == 0 ? 0 : 1);
}

void CVirtualServerDlg::refuse(const char* message) {
    host().messageBox(message);
}

void CVirtualServerDlg::onOK() {
    const std::string name = text(ids::kName).substr(0, ids::kNameLimit);
    unsigned externalPort = number(ids::kExternalPort);
    unsigned internalPort = number(ids::kInternalPort);

    const OctetEdits edits = readOctetEdits(*this, ids::kServerIp);
    if (edits.anyEmpty())
        return refuse(text::kAddressEmpty);
    if (edits.anyAbove(kHighestOctet))
        return refuse(text::kAddressRange);
    const device::Octets address = edits.octets();
    // Checked for a router reached over the WAN too: the server must still
    // be on the router's own LAN.
    const device::Octets deviceIp = device::parseDottedAddress(device_.ipAddress);
    const device::Octets mask = device::parseDottedAddress(device_.netmask);
    if (!device::sameNetwork(address, deviceIp, mask))
        return refuse(text::kOtherNetwork);

    const bool enabled = isChecked(ids::kEnable);
    const int protocol = combo(ids::kProtocol).selection();

    if (name.empty())
        return refuse(text::kNoName);
    const bool externalEmpty = text(ids::kExternalPort).empty();
    const bool internalEmpty = text(ids::kInternalPort).empty();
    if (externalEmpty && internalEmpty)
        return refuse(text::kNoPort);
    if (internalEmpty) {
        internalPort = externalPort;
        setNumber(ids::kInternalPort, internalPort);
    } else if (externalEmpty) {
        externalPort = internalPort;
        setNumber(ids::kExternalPort, externalPort);
    }
    if (!isPortInRange(externalPort))
        return refuse(text::kExternalRange);
    if (!isPortInRange(internalPort))
        return refuse(text::kInternalRange);

    switch (findServerConflict(servers_, ownRow_, externalPort, name)) {
    case ServerConflict::Port:
        return refuse(text::kPortInUse);
    case ServerConflict::Name:
        return refuse(text::kNameInUse);
    case ServerConflict::None:
        break;
    }

    record_.enabled = enabled ? 1 : 0;
    for (std::size_t i = 0; i < address.size(); ++i)
        record_.address[i] = address[i];
    setRecordName(record_.name, name);
    record_.protocol = static_cast<std::uint8_t>(protocol > 0 ? protocol : 0);
    record_.externalPort = static_cast<std::uint16_t>(externalPort);
    record_.internalPort = static_cast<std::uint16_t>(internalPort);
    endDialog(ui::kIdOk);
}

void CVirtualServerDlg::onCancel() {
    *cancelled_ = 1;
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::pages
