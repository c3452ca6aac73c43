#include "app/ip_address_dlg.h"

#include <array>
#include <string>

#include "app/login.h"
#include "app/main_dlg.h"
#include "app/router_selection.h"
#include "device/device_link.h"
#include "device/device_record.h"
#include "device/dotted_text.h"
#include "operation/app_context.h"
#include "operation/octet_fields.h"
#include "ui/host.h"

namespace tolvaro::app {
namespace {

// Room for a full dotted address and its terminating zero.
constexpr std::size_t kAddressBuffer = 16;

std::array<std::string, 4> readFields(const ui::Dialog& dialog, const int (&ids)[4]) {
    std::array<std::string, 4> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = dialog.text(ids[i]);
    }
    return texts;
}

void showOctets(ui::Dialog& dialog, const int (&ids)[4], const device::Octets& octets) {
    for (std::size_t i = 0; i < octets.size(); ++i) {
        dialog.setNumber(ids[i], octets[i]);
    }
}

} // namespace

std::string localNetworkText(const std::string& localAddress) {
    std::size_t pos = 0;
    for (int dots = 0; dots < 3; ++dots) {
        pos = localAddress.find('.', pos);
        if (pos == std::string::npos) {
            auto octets = device::parseDottedAddress(localAddress);
            octets[3] = 0;
            return device::formatDotted(octets);
        }
        ++pos;
    }
    return localAddress.substr(0, pos) + "0";
}

CIpAddressDlg::CIpAddressDlg(AppContext& context, LoginResult* result)
    : ui::Dialog(kIpAddressTemplate), context_(context), result_(result) {
    *result_ = kLoginWrong;
}

void CIpAddressDlg::onInitDialog() {
    const DEVICE_INFO& record = context_.state.selected();
    setText(kIpCurrentAddress, device::fieldText(record.ipAddress));
    setText(kIpCurrentMask, device::fieldText(record.netmask));

    for (int id : kIpNewAddress) {
        limitText(id, kIpOctetLimit);
    }
    for (int id : kIpNewMask) {
        limitText(id, kIpOctetLimit);
    }
    showOctets(*this, kIpNewMask, device::parseDottedAddress(device::fieldText(record.netmask)));

    // Without our address on the router's link there is no network to propose
    // from; asking on 0.0.0.0 would offer an address nobody can reach.
    const std::string local = device::fieldText(record.localAddress);
    if (local.empty() || device::parseDottedAddress(local)[0] == 0) {
        return;
    }
    std::array<char, kAddressBuffer> buffer{};
    const std::string network = localNetworkText(local);
    network.copy(buffer.data(), buffer.size() - 1);
    {
        ui::WaitCursor wait(context_.host);
        // One buffer in and out, as the library expects.
        context_.device.queryFreeIp(buffer.data(), buffer.data());
    }
    buffer.back() = '\0';
    showOctets(*this, kIpNewAddress, device::parseDottedAddress(buffer.data()));
}

void CIpAddressDlg::onOK() {
    const operation::OctetFields address =
        operation::checkOctetFields(readFields(*this, kIpNewAddress));
    if (address.check == operation::OctetCheck::PartlyEmpty) {
        host().messageBox(ip_text::kFillEachField);
        return;
    }
    if (address.check == operation::OctetCheck::OutOfRange) {
        host().messageBox(ip_text::kAddressError);
        return;
    }
    const operation::OctetFields mask = operation::checkOctetFields(readFields(*this, kIpNewMask));
    if (mask.check == operation::OctetCheck::PartlyEmpty) {
        host().messageBox(ip_text::kFillEachField);
        return;
    }
    if (mask.check == operation::OctetCheck::OutOfRange) {
        host().messageBox(ip_text::kMaskError);
        return;
    }
    const std::string addressText = device::formatDotted(address.octets);
    const std::string maskText = device::formatDotted(mask.octets);

    DEVICE_INFO& record = context_.state.selected();
    int outcome = 0;
    {
        ui::WaitCursor wait(context_.host);
        outcome = context_.device.udpSetIp(&record, 0, addressText.c_str(), addressText.c_str(),
                                           maskText.c_str(), 1);
    }
    if (outcome != 1) {
        host().messageBox(ip_text::kSetIpFailed);
        return;
    }
    device::setField(record.ipAddress, addressText);
    *result_ = kLoginAccepted;
    endDialog(ui::kIdOk);
}

void CIpAddressDlg::onCancel() {
    *result_ = kLoginWrong;
    endDialog(ui::kIdCancel);
}

void runIpAddressOperation(AppContext& context, CMainDlg& main) {
    AppState& state = context.state;
    if (!chooseRouterForAddressChange(context, main)) {
        return;
    }
    if (!runLogin(context, LoginFor::IpAddress)) {
        return;
    }
    CIpAddressDlg dialog(context, &state.loginResult);
    dialog.runModal(context.host);
    if (state.loginResult == kLoginAccepted) {
        {
            ui::WaitCursor wait(context.host);
            context.host.sleepWithProgress("The router is restarting at its new address.",
                                           kAddressChangeWaitMs);
        }
        main.refresh();
    }
    state.loginResult = kLoginWrong;
}

} // namespace tolvaro::app
