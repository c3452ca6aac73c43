#include "pages/lan/internet_application_page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "device/config_store.h"
#include "operation/app_context.h"
#include "operation/commit.h"
#include "pages/lan/special_app_dlg.h"
#include "pages/lan/virtual_server_dlg.h"
#include "pages/list_choice.h"
#include "pages/octet_edits.h"
#include "res/ids/internet_application_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::internet_application;
namespace text = internet_application_text;

constexpr int kServerTableVariable = ipslan::var::kVirtualServers;
constexpr int kExposedComputerVariable = ipslan::var::kExposedComputer;
constexpr int kSpecialAppTableVariable = ipslan::var::kSpecialApplications;
constexpr std::array<int, 3> kVariables{kServerTableVariable, kExposedComputerVariable,
                                        kSpecialAppTableVariable};

constexpr unsigned kHighestOctet = 255;

void setRow(ui::ListViewRef list, int row, const std::array<std::string, 6>& columns) {
    for (int column = 0; column < static_cast<int>(columns.size()); ++column)
        list.setText(row, column, columns[static_cast<std::size_t>(column)]);
}

template <typename Node> int appendRow(ui::ListViewRef list, const Node& node) {
    const auto columns = node.columns();
    const int row = list.insert(list.count(), columns[0]);
    setRow(list, row, columns);
    return row;
}

// Double click: flips the on/off state of the row under the selection mark,
// judged by the text the row shows.
template <typename Node, typename EnabledOf>
void toggleRow(ui::ListViewRef list, std::vector<Node>& nodes, EnabledOf enabledOf) {
    const int row = list.selectionMark();
    if (row < 0 || row >= static_cast<int>(nodes.size()))
        return;
    Node& node = nodes[static_cast<std::size_t>(row)];
    const bool on = list.text(row, 0) != kOnText;
    enabledOf(node) = on ? 1 : 0;
    node.onOff = on ? kOnText : kOffText;
    list.setText(row, 0, node.onOff);
}

} // namespace

CMVirtual3::CMVirtual3(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::internet_application::kTemplate, operation::kInternetApplicationPage,
                   context, store) {}

void CMVirtual3::onInitDialog() {
    fillServers();
    fillExposedComputer();
    fillSpecialApps();
    claimReset();
}

void CMVirtual3::fillServers() {
    auto list = this->list(ids::kServerList);
    const int w = list.pixelWidth() / 8;
    list.addColumn("Enable", w);
    list.addColumn("Name", 2 * w - 8);
    list.addColumn("Protocol", w);
    list.addColumn("Ext. Port", w + 8);
    list.addColumn("Int. Port", w);
    list.addColumn("IP", 2 * w);

    const MIB_RESPONSE& entry = store().sheet(*store().slotOf(kServerTableVariable));
    servers_ = decodeServers({entry.value, device::entryLength(entry)});
    for (const CServerNode& node : servers_)
        appendRow(list, node);
}

void CMVirtual3::fillExposedComputer() {
    // Only the bytes the router sent count; the rest reads as 0.
    const MIB_RESPONSE& entry = store().sheet(*store().slotOf(kExposedComputerVariable));
    std::array<std::uint8_t, sizeof(VI_PC)> value{};
    std::memcpy(value.data(), entry.value, std::min(value.size(), device::entryLength(entry)));
    setChecked(ids::kExposedEnable, value[0] == 1);
    for (std::size_t i = 0; i < ids::kExposedIp.size(); ++i) {
        limitText(ids::kExposedIp[i], ids::kOctetLimit);
        setNumber(ids::kExposedIp[i], value[i + 1]);
    }
}

void CMVirtual3::fillSpecialApps() {
    auto list = this->list(ids::kSpecialAppList);
    const int w = list.pixelWidth() / 9;
    list.addColumn("Enable", w - 6);
    list.addColumn("Name", w * 3 / 2);
    list.addColumn("Outgoing", w * 5 / 4);
    list.addColumn("Outgoing Port", 2 * w);
    list.addColumn("Incoming", w * 5 / 4);
    list.addColumn("Incoming Port", 2 * w);

    const MIB_RESPONSE& entry = store().sheet(*store().slotOf(kSpecialAppTableVariable));
    apps_ = decodeSpecialApps({entry.value, device::entryLength(entry)});
    for (const CSpecialAppNode& node : apps_)
        appendRow(list, node);
}

void CMVirtual3::onSetActive() {
    // The mark goes back to the first row; a highlight left on another row
    // would make Edit and Delete act on a row the user did not choose, so it
    // is cleared and nothing is chosen until the user picks a row.
    for (const int id : {ids::kServerList, ids::kSpecialAppList}) {
        ui::ListViewRef rows = list(id);
        rows.setSelected(-1, false);
        rows.setSelectionMark(0);
    }
}

void CMVirtual3::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::ListDoubleClick) {
        if (id == ids::kServerList)
            toggleServer();
        else if (id == ids::kSpecialAppList)
            toggleSpecialApp();
        return;
    }
    if (notification != ui::Notify::Clicked)
        return;
    switch (id) {
    case ids::kAddServer:
        return addServer();
    case ids::kEditServer:
        return editServer();
    case ids::kDeleteServer:
        return deleteServer();
    case ids::kAddSpecialApp:
        return addSpecialApp();
    case ids::kEditSpecialApp:
        return editSpecialApp();
    case ids::kDeleteSpecialApp:
        return deleteSpecialApp();
    default:
        return;
    }
}

int CMVirtual3::selectedRow(int listId, int rows, const char* warning) {
    const auto list = this->list(listId);
    const int mark = list.selectionMark();
    // A mark past the last row cannot name a node.
    if (list.nextSelected(-1) == -1 || mark == -1 || mark >= rows) {
        context().host.messageBox(warning);
        return -1;
    }
    return mark;
}

bool CMVirtual3::runServerDialog(LOCAL_S& record, EditMode mode, int ownRow) {
    int cancelled = 0;
    CVirtualServerDlg dialog(record, mode, &cancelled, ownRow, servers_,
                             context().state.selected());
    return dialog.runModal(context().host) == ui::kIdOk && cancelled == 0;
}

bool CMVirtual3::runSpecialAppDialog(SP_AP& record, EditMode mode) {
    int cancelled = 0;
    CSpecialAppDlg dialog(record, mode, &cancelled, apps_);
    return dialog.runModal(context().host) == ui::kIdOk && cancelled == 0;
}

void CMVirtual3::addServer() {
    if (static_cast<int>(servers_.size()) >= kMaxServers) {
        context().host.messageBox(text::kTooManyServers);
        return;
    }
    if (!runServerDialog(newServer_, EditMode::New, kNewRecordRow))
        return;
    servers_.emplace_back(newServer_);
    chooseRow(list(ids::kServerList), appendRow(list(ids::kServerList), servers_.back()));
    setModified();
}

void CMVirtual3::editServer() {
    const int row =
        selectedRow(ids::kServerList, static_cast<int>(servers_.size()), text::kSelectServerToEdit);
    if (row < 0)
        return;
    CServerNode& node = servers_[static_cast<std::size_t>(row)];
    if (!runServerDialog(node.server, EditMode::Edit, row))
        return;
    node.rebuildTexts();
    setRow(list(ids::kServerList), row, node.columns());
    chooseRow(list(ids::kServerList), row);
    setModified();
}

void CMVirtual3::deleteServer() {
    const int row = selectedRow(ids::kServerList, static_cast<int>(servers_.size()),
                                text::kSelectServerToDelete);
    if (row < 0)
        return;
    list(ids::kServerList).remove(row);
    chooseRow(list(ids::kServerList), -1);
    servers_.erase(servers_.begin() + row);
    setModified();
}

void CMVirtual3::addSpecialApp() {
    if (static_cast<int>(apps_.size()) >= kMaxSpecialApps) {
        context().host.messageBox(text::kTooManyApps);
        return;
    }
    if (!runSpecialAppDialog(newApp_, EditMode::New))
        return;
    apps_.emplace_back(newApp_);
    chooseRow(list(ids::kSpecialAppList), appendRow(list(ids::kSpecialAppList), apps_.back()));
    setModified();
}

void CMVirtual3::editSpecialApp() {
    const int row =
        selectedRow(ids::kSpecialAppList, static_cast<int>(apps_.size()), text::kSelectAppToEdit);
    if (row < 0)
        return;
    CSpecialAppNode& node = apps_[static_cast<std::size_t>(row)];
    if (!runSpecialAppDialog(node.app, EditMode::Edit))
        return;
    node.rebuildTexts();
    setRow(list(ids::kSpecialAppList), row, node.columns());
    chooseRow(list(ids::kSpecialAppList), row);
    setModified();
}

void CMVirtual3::deleteSpecialApp() {
    const int row =
        selectedRow(ids::kSpecialAppList, static_cast<int>(apps_.size()), text::kSelectAppToDelete);
    if (row < 0)
        return;
    list(ids::kSpecialAppList).remove(row);
    chooseRow(list(ids::kSpecialAppList), -1);
    apps_.erase(apps_.begin() + row);
    setModified();
}

void CMVirtual3::toggleServer() {
    toggleRow(list(ids::kServerList), servers_,
              [](CServerNode& node) -> std::uint8_t& { return node.server.enabled; });
}

void CMVirtual3::toggleSpecialApp() {
    toggleRow(list(ids::kSpecialAppList), apps_,
              [](CSpecialAppNode& node) -> std::uint8_t& { return node.app.enabled; });
}

bool CMVirtual3::onKillActive() {
    const OctetEdits edits = readOctetEdits(*this, ids::kExposedIp);
    if (isChecked(ids::kExposedEnable) && edits.anyEmpty()) {
        context().host.messageBox(text::kExposedEmpty);
        return false;
    }
    // Checked for a disabled exposed computer too: it is still sent, one
    // byte an octet, and a number above 255 would reach the router cut to
    // its low byte.
    if (edits.anyAbove(kHighestOctet)) {
        context().host.messageBox(text::kExposedRange);
        return false;
    }
    return true;
}

VI_PC CMVirtual3::exposedComputer() {
    VI_PC computer{};
    computer.enabled = isChecked(ids::kExposedEnable) ? 1 : 0;
    const device::Octets address = readOctetEdits(*this, ids::kExposedIp).octets();
    std::copy(address.begin(), address.end(), computer.address);
    return computer;
}

void CMVirtual3::onApply() {
    operation::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;

    encodeServers(servers_, store().write(*store().slotOf(kServerTableVariable)));

    // The type byte stays as the fetch left it: the library sends this
    // variable as an octet string by its number.
    _snmp_packet& exposed = store().write(*store().slotOf(kExposedComputerVariable));
    const VI_PC computer = exposedComputer();
    std::memset(exposed.value, 0, sizeof exposed.value);
    const int written = IPSConvExposedIPToByte(exposed.value, &computer, sizeof exposed.value);
    device::setEntryLength(exposed, static_cast<std::size_t>(written > 0 ? written : 0));

    encodeSpecialApps(apps_, store().write(*store().slotOf(kSpecialAppTableVariable)));

    commit.writeVariables(kVariables);
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
