#include "app/router_selection.h"

#include <climits>
#include <string>

#include "app/device_record.h"
#include "app/ip_address_dlg.h"
#include "app/main_dlg.h"
#include "device/dotted_text.h"
#include "ui/host.h"

namespace tolvaro::app {
namespace {

// The list texts are read into buffers of this many characters, zero included.
constexpr std::size_t kRowTextBuffer = 20;

std::string rowText(CMainDlg& main, int row, int column) {
    std::string text = main.routerList().text(row, column);
    if (text.size() > kRowTextBuffer - 1) {
        text.resize(kRowTextBuffer - 1);
    }
    return text;
}

bool hasRecord(int row) {
    return row >= 0 && row < kDeviceTableSize;
}

// The port text as the C library would convert it, but without overflow: a
// value beyond the range of int reads as 0 and the later requests fail
// rather than go to a port the user did not type.
int portNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            return 0;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace

void runRemoteSelection(AppContext& context, CMainDlg& main) {
    AppState& state = context.state;
    state.remoteFlag = 0;
    const int mark = main.routerList().selectionMark();
    if (mark < 0 || mark != state.remoteRow) {
        return;
    }
    main.showSelected(main_text::kRemoteRow);
    state.remoteFlag = 1;
    if (!hasRecord(mark)) {
        return;
    }
    DEVICE_INFO& record = state.devices[static_cast<std::size_t>(mark)];
    record.family = 2;
    const std::string address = rowText(main, mark, 1);
    for (const RemoteConnection& connection : state.remoteConnections) {
        if (connection.ip != address) {
            continue;
        }
        setField(record.ipAddress, connection.ip);
        setField(record.password, connection.password);
        setField(record.localAddress, connection.localAddress);
        setField(record.netmask, connection.mask);
        state.remotePort = portNumber(connection.port);
    }
}

bool chooseRouter(AppContext& context, CMainDlg& main) {
    context.state.loginResult = kLoginWrong;
    const int mark = main.routerList().selectionMark();
    runRemoteSelection(context, main);
    if (mark == -1 || !hasRecord(mark)) {
        context.host.messageBox(selection_text::kSelectRouter);
        return false;
    }
    context.state.selectedIndex = mark;
    return true;
}

bool chooseRouterForAddressChange(AppContext& context, CMainDlg& main) {
    context.state.loginResult = kLoginWrong;
    const auto list = main.routerList();
    const int mark = list.selectionMark();
    if (list.nextSelected() == -1 || mark == -1 || !hasRecord(mark)) {
        context.host.messageBox(selection_text::kSelectRouter);
        return false;
    }
    context.state.selectedIndex = mark;
    return true;
}

bool outsideLocalNetwork(const DEVICE_INFO& record) {
    const auto address = device::parseDottedAddress(fieldText(record.ipAddress));
    const auto local = device::parseDottedAddress(fieldText(record.localAddress));
    const auto mask = device::parseDottedAddress(fieldText(record.netmask));
    return !device::sameNetwork(address, local, mask);
}

bool beginRouterOperation(AppContext& context, CMainDlg& main, LoginFor operation) {
    if (!chooseRouter(context, main)) {
        return false;
    }
    if (!runLogin(context, operation)) {
        return false;
    }
    AppState& state = context.state;
    if (state.remoteFlag == 0 && outsideLocalNetwork(state.selected())) {
        runIpAddressOperation(context, main);
        if (state.loginResult == kLoginWrong) {
            return false;
        }
    }
    return true;
}

} // namespace tolvaro::app
