#include "pages/access/access_control_page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <vector>

#include "device/config_store.h"
#include "operation/commit.h"
#include "pages/access/group_setup_dlg.h"
#include "pages/list_choice.h"
#include "res/ids/access_control_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::access_control;

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
inline constexpr const char* kWorkstationLimit = "NO. of Workstation should not exceed 50";
inline constexpr const char* kSelectWorkstation = "You have to select a wkstation";
inline constexpr std::array<const char*, 5> kColumns = {"Name", "Group", "H/W Address",
                                                        "IP Address", "Reserved"};
} // namespace text

// The workstation table: five variables of ten records each, always sent
// with the length of ten records.
constexpr auto kWorkstationTable = ipslan::var::kWorkstationTable;
constexpr int kWorkstationsPerVariable = 10;
constexpr int kMaxWorkstations = 50;
constexpr std::size_t kWorkstationTableBytes = kWorkstationsPerVariable * ipslan::kStationBytes;

// What the apply sends, in one request: the group records, the workstation
// table, both user-port lists and the sixteen port values.
std::vector<int> accessControlWrites() {
    std::vector<int> variables;
    // Reserved first: GCC 12 at -O3 warns falsely on inserts that grow it.
    variables.reserve(kGroupRecordVariables.size() + kWorkstationTable.size() + 2 +
                      kPortValueVariables.size());
    variables.insert(variables.end(), kGroupRecordVariables.begin(), kGroupRecordVariables.end());
    variables.insert(variables.end(), kWorkstationTable.begin(), kWorkstationTable.end());
    variables.push_back(kUdpPortListVariable);
    variables.push_back(kTcpPortListVariable);
    variables.insert(variables.end(), kPortValueVariables.begin(), kPortValueVariables.end());
    return variables;
}

} // namespace

CMAccess::CMAccess(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::access_control::kTemplate, operation::kAccessControlPage, context, store) {}

void CMAccess::onInitDialog() {
    ui::ComboRef group = combo(ids::kGroup);
    group.reset();
    for (const auto item : res::lists::kGroups)
        group.add(item);
    group.select(0);
    addColumns();
    workstations_.clear();
    readWorkstations();
    claimReset();
}

void CMAccess::addColumns() {
    ui::ListViewRef list = this->list(ids::kWorkstationList);
    const int a = (list.pixelWidth() - 7) / 7;
    const std::array<int, 5> widths = {a, a - 10, 2 * a + 10, 2 * a, a};
    for (std::size_t i = 0; i < text::kColumns.size(); ++i)
        list.addColumn(text::kColumns[i], widths[i]);
}

// Ten records per variable: the eleventh workstation starts the second
// variable whatever the records' sizes. The first empty name, or the end of
// a variable's value, ends the table.
void CMAccess::readWorkstations() {
    const int first = *store().slotOf(kWorkstationTable[0]);
    int slot = 0;
    std::size_t position = 0;
    int count = 0;
    while (slot < static_cast<int>(kWorkstationTable.size())) {
        const MIB_RESPONSE& entry = store().sheet(first + slot);
        const std::size_t length = device::entryLength(entry);
        if (position >= length)
            break;
        WkInfo record{};
        const int consumed =
            IPSConvByteToStation(&record, entry.value + position, length - position);
        if (record.name[0] == '\0')
            break;
        appendRow(workstations_.emplace_back(record));
        if (++count % kWorkstationsPerVariable == 0) {
            ++slot;
            position = 0;
        } else {
            position += static_cast<std::size_t>(consumed);
        }
    }
}

void CMAccess::appendRow(const CWorkstationNode& node) {
    ui::ListViewRef list = this->list(ids::kWorkstationList);
    showRow(list.insert(list.count(), node.nameText), node);
}

void CMAccess::showRow(int row, const CWorkstationNode& node) {
    ui::ListViewRef list = this->list(ids::kWorkstationList);
    const auto columns = node.columns();
    for (std::size_t c = 0; c < columns.size(); ++c)
        list.setText(row, static_cast<int>(c), columns[c]);
}

int CMAccess::selectedRow() const {
    const ui::ListViewRef list = this->list(ids::kWorkstationList);
    const int mark = list.selectionMark();
    if (mark < 0 || mark >= static_cast<int>(workstations_.size()) || list.nextSelected() < 0)
        return -1;
    return mark;
}

void CMAccess::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::Clicked) {
        if (id == ids::kGroupSetup)
            setupGroup();
        else if (id == ids::kAddWorkstation)
            addWorkstation();
        else if (id == ids::kEditWorkstation)
            editWorkstation();
        else if (id == ids::kDeleteWorkstation)
            deleteWorkstation();
    } else if (notification == ui::Notify::SelectionChanged && id == ids::kGroup) {
        setModified();
    }
}

void CMAccess::setupGroup() {
    const int group = combo(ids::kGroup).selection();
    if (group < 0)
        return;
    CGroupSetupDlg dlg(store(), group);
    dlg.runModal(host());
    setModified();
}

void CMAccess::addWorkstation() {
    ui::ListViewRef list = this->list(ids::kWorkstationList);
    if (list.count() >= kMaxWorkstations) {
        host().messageBox(text::kWorkstationLimit);
    } else {
        const AppState& state = context().state;
        CWorkstationDlg dlg(workstations_, scratch_, CWorkstationDlg::kAdd, CWorkstationDlg::kNoRow,
                            state.dhcpRangeStart, state.dhcpRangeEnd);
        dlg.runModal(host());
        if (scratch_.group < kWorkstationGroups) {
            appendRow(workstations_.emplace_back(scratch_));
            setModified();
        }
    }
    // The last row is shown chosen, so it is the one Edit and Delete take.
    chooseRow(list, list.count() - 1);
}

void CMAccess::editWorkstation() {
    const int row = selectedRow();
    if (row < 0) {
        host().messageBox(text::kSelectWorkstation);
        return;
    }
    CWorkstationNode& node = *std::next(workstations_.begin(), row);
    const AppState& state = context().state;
    CWorkstationDlg dlg(workstations_, node.record, CWorkstationDlg::kEdit, row,
                        state.dhcpRangeStart, state.dhcpRangeEnd);
    dlg.runModal(host());
    node.refreshTexts();
    showRow(row, node);
    chooseRow(list(ids::kWorkstationList), row);
    setModified();
}

void CMAccess::deleteWorkstation() {
    const int row = selectedRow();
    if (row < 0) {
        host().messageBox(text::kSelectWorkstation);
        return;
    }
    list(ids::kWorkstationList).remove(row);
    chooseRow(list(ids::kWorkstationList), -1);
    workstations_.erase(std::next(workstations_.begin(), row));
    setModified();
}

// Every variable goes out with the length of ten records; what follows the
// last workstation stays zero, which ends the table for the router.
void CMAccess::packWorkstations() {
    const int first = *store().slotOf(kWorkstationTable[0]);
    for (int slot = 0; slot < static_cast<int>(kWorkstationTable.size()); ++slot)
        std::memset(store().write(first + slot).value, 0, kWorkstationTableBytes);
    int slot = 0;
    std::size_t position = 0;
    int packed = 0;
    for (const CWorkstationNode& node : workstations_) {
        if (slot >= static_cast<int>(kWorkstationTable.size()))
            break;
        const int written = IPSConvStationToByte(store().write(first + slot).value + position,
                                                 &node.record, kWorkstationTableBytes - position);
        position += static_cast<std::size_t>(std::max(written, 0));
        if (++packed % kWorkstationsPerVariable == 0) {
            ++slot;
            position = 0;
        }
    }
    for (int s = 0; s < static_cast<int>(kWorkstationTable.size()); ++s) {
        _snmp_packet& entry = store().write(first + s);
        entry.type = kTypeOctetString;
        device::setEntryLength(entry, kWorkstationTableBytes);
    }
}

// Group records, port lists and port values go out as the Group Setup
// dialog left them. Never accepted, they are still empty, and the router
// keeps its own values for empty writes of those variables.
void CMAccess::onApply() {
    operation::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    packWorkstations();
    commit.writeVariables(accessControlWrites());
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
