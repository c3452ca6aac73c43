#include "headless/address.h"

#include "app/ip_address_dlg.h"
#include "operation/app_context.h"

namespace tolvaro::headless {
namespace {

void typeOctets(ui::ScriptedDialogDriver& dialog, const int (&ids)[4], const std::string& dotted) {
    const std::vector<std::string> parts = octetTexts(dotted);
    for (std::size_t i = 0; i < 4; ++i)
        dialog.type(ids[i], parts[i]);
}

std::string octetsShown(const ui::ScriptedDialogDriver& dialog, const int (&ids)[4]) {
    std::string out;
    for (std::size_t i = 0; i < 4; ++i)
        out += (i == 0 ? "" : ".") + dialog.text(ids[i]);
    return out;
}

} // namespace

std::vector<std::string> octetTexts(const std::string& dotted) {
    std::vector<std::string> parts(4);
    std::size_t part = 0;
    for (const char c : dotted) {
        if (c == '.') {
            if (++part == parts.size())
                break;
        } else {
            parts[part] += c;
        }
    }
    return parts;
}

AddressChange changeAddress(HeadlessHost& host, device::DeviceLink& link, DEVICE_INFO& router,
                            const std::string& address, const std::optional<std::string>& mask) {
    AppState state;
    state.devices[0] = router;
    state.deviceCount = 1;
    state.selectedIndex = 0;
    AppContext context(state, host, link);
    LoginResult result = kLoginWrong;
    app::CIpAddressDlg dialog(context, &result);
    ui::ScriptedDialogDriver driver = host.open(dialog);

    AddressChange change;
    typeOctets(driver, app::kIpNewAddress, address);
    if (mask)
        typeOctets(driver, app::kIpNewMask, *mask);
    change.address = octetsShown(driver, app::kIpNewAddress);
    change.mask = octetsShown(driver, app::kIpNewMask);
    driver.click(ui::kIdOk);
    for (const ui::MessageRecord& box : host.takeMessages())
        change.messages.push_back(box.text);
    if (driver.isOpen()) {
        driver.click(ui::kIdCancel);
        return change;
    }
    if (result == kLoginAccepted) {
        change.outcome = AddressChange::Outcome::Changed;
        router = state.devices[0];
    }
    return change;
}

} // namespace tolvaro::headless
