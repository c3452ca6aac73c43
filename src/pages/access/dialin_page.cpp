#include "pages/access/dialin_page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string>

#include "device/config_store.h"
#include "device/device_record.h"
#include "operation/commit.h"
#include "pages/entry_number.h"
#include "pages/list_choice.h"
#include "res/ids/dialin_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::dialin;

namespace {

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
inline constexpr const char* kUserLimit = "User Limit is 25";
inline constexpr const char* kSelectUser = "You have to select an User";
inline constexpr const char* kIdleTimeoutClamped =
    "Idle Time Limit should be 0-99, it will be changed to 99 automatically.";
inline constexpr const char* kEnable = "Enable";
inline constexpr const char* kDisable = "Disable";
inline constexpr std::array<const char*, 4> kColumns = {"Dial-In", "Name", "Callback",
                                                        "Time Limit"};
} // namespace text

// Mode-1 block indexes.
constexpr int kFeatureIndex = 0;
constexpr int kAuthenticationIndex = 2;
constexpr int kIdleTimeoutIndex = 4;
constexpr int kFeatureDialIn = 0x02;

// The user table: five variables of five records each, always sent with the
// length of five records.
constexpr int kUserTableFirst = ipslan::var::kUserFirst;
constexpr auto kUserTable = ipslan::var::kUserTable;
constexpr int kUsersPerVariable = 5;
constexpr int kMaxUsers = 25;
constexpr std::size_t kUserTableBytes = kUsersPerVariable * ipslan::kUserBytes;
// The row index the User dialog gets in add mode: no row has it.
constexpr int kNoRow = kMaxUsers;

constexpr unsigned kMaxIdleTimeout = 99;
// The apply copies at most this many characters of the time-out field.
constexpr std::size_t kIdleTimeoutCharacters = 4;

constexpr std::array<int, 3> kDialInWrites = {ipslan::var::kFeatureByte, ipslan::var::kDialOut,
                                              ipslan::var::kAuthentication};
constexpr std::array<int, 1> kIdleTimeoutWrite = {ipslan::var::kDialInIdleMinutes};

// The controls that only matter while dial-in access is enabled.
constexpr std::array kDialInGroup = {ids::kAuthDisable, ids::kAuthEnable, ids::kAuthChap,
                                     ids::kIdleTimeout, ids::kUserList,   ids::kAddUser,
                                     ids::kEditUser,    ids::kDeleteUser};

} // namespace

dialin::dialin(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::dialin::kTemplate, operation::kDialinPage, context, store) {
    // A new user starts allowed to dial in.
    scratch_.flags = kUserDialIn;
}

void dialin::onInitDialog() {
    ui::ListViewRef list = this->list(ids::kUserList);
    const int q = list.pixelWidth() / 4;
    const std::array<int, 4> widths = {q / 2, q, 3 * q / 2, q - 3};
    for (std::size_t i = 0; i < text::kColumns.size(); ++i)
        list.addColumn(text::kColumns[i], widths[i]);
    users_.clear();
    readUsers();

    // Unsigned: a time-out byte above 127 is a time-out, not a negative number.
    setNumber(ids::kIdleTimeout, store().mode1Read(kIdleTimeoutIndex).value[0]);

    checkAuthentication(storedAuthentication());
    setChecked(ids::kEnableDialIn,
               (entryNumber(store().mode1Write(kFeatureIndex)) & kFeatureDialIn) != 0);
    enableDialInGroup(isChecked(ids::kEnableDialIn));
    limitText(ids::kIdleTimeout, ids::kIdleTimeoutLimit);
    claimReset();
}

// Five records per variable: the sixth user starts the second variable
// whatever the records' sizes, and the first empty name ends the table.
void dialin::readUsers() {
    const int first = *store().slotOf(kUserTableFirst);
    int slot = 0;
    std::size_t position = 0;
    int count = 0;
    while (slot < static_cast<int>(kUserTable.size())) {
        const MIB_RESPONSE& entry = store().sheet(first + slot);
        const std::size_t length = device::entryLength(entry);
        UserInfo record{};
        const int consumed = IPSConvByteToUser(&record, entry.value + std::min(position, length),
                                               length - std::min(position, length));
        if (record.name[0] == '\0')
            break;
        appendRow(users_.emplace_back(record));
        if (++count % kUsersPerVariable == 0) {
            ++slot;
            position = 0;
        } else {
            position += static_cast<std::size_t>(consumed);
        }
    }
}

void dialin::appendRow(const CUserNode& node) {
    const int row = list(ids::kUserList).insert(list(ids::kUserList).count(), node.dialInText);
    showRow(row, node);
}

void dialin::showRow(int row, const CUserNode& node) {
    ui::ListViewRef list = this->list(ids::kUserList);
    list.setText(row, 0, node.dialInText);
    list.setText(row, 1, device::fieldText(node.record.name));
    list.setText(row, 2, node.callBackText);
    list.setText(row, 3, node.timeLimitText);
}

int dialin::selectedRow() const {
    const ui::ListViewRef list = this->list(ids::kUserList);
    const int mark = list.selectionMark();
    if (mark < 0 || mark >= static_cast<int>(users_.size()) || list.nextSelected() < 0)
        return -1;
    return mark;
}

void dialin::enableDialInGroup(bool enabled) {
    for (const int id : kDialInGroup)
        enable(id, enabled);
}

// The authentication byte may have been changed on the LAN-to-LAN page.
void dialin::onSetActive() {
    const Authentication mode = storedAuthentication();
    checkAuthentication(mode);
    if (mode == Authentication::Disable)
        enable(ids::kUserList, false);
    else if (isChecked(ids::kEnableDialIn))
        enable(ids::kUserList);
}

Authentication dialin::storedAuthentication() const {
    return authenticationOf(entryNumber(store().mode1Write(kAuthenticationIndex)));
}

void dialin::checkAuthentication(Authentication mode) {
    setChecked(ids::kAuthDisable, mode == Authentication::Disable);
    setChecked(ids::kAuthEnable, mode == Authentication::Enable);
    setChecked(ids::kAuthChap, mode == Authentication::Chap);
}

void dialin::chooseAuthentication(Authentication mode) {
    _snmp_packet& entry = store().mode1Write(kAuthenticationIndex);
    setEntryByte(entry, withAuthentication(entryNumber(entry), mode));
    enable(ids::kUserList, mode != Authentication::Disable);
}

void dialin::onCommand(int id, ui::Notify notification) {
    switch (notification) {
    case ui::Notify::Clicked:
        if (id == ids::kEnableDialIn) {
            enableDialInGroup(isChecked(ids::kEnableDialIn));
            onSetActive();
        } else if (id == ids::kAuthDisable) {
            chooseAuthentication(Authentication::Disable);
        } else if (id == ids::kAuthEnable) {
            chooseAuthentication(Authentication::Enable);
        } else if (id == ids::kAuthChap) {
            chooseAuthentication(Authentication::Chap);
        } else if (id == ids::kAddUser) {
            addUser();
        } else if (id == ids::kEditUser) {
            editUser();
        } else if (id == ids::kDeleteUser) {
            deleteUser();
        }
        break;
    case ui::Notify::ListDoubleClick:
        if (id == ids::kUserList)
            toggleUserDialIn();
        break;
    case ui::Notify::TextChanged:
        if (id == ids::kIdleTimeout)
            setModified();
        break;
    case ui::Notify::FocusLost:
        if (id == ids::kIdleTimeout)
            clampIdleTimeout();
        break;
    default:
        break;
    }
}

void dialin::addUser() {
    if (list(ids::kUserList).count() >= kMaxUsers) {
        host().messageBox(text::kUserLimit);
        return;
    }
    CUserDlg dlg(users_, scratch_, CUserDlg::kAdd, kNoRow);
    dlg.runModal(host());
    if (scratch_.timeLimit >= kAcceptedLimitBelow)
        return;
    appendRow(users_.emplace_back(scratch_));
    chooseRow(list(ids::kUserList), static_cast<int>(users_.size()) - 1);
    setModified();
}

void dialin::editUser() {
    const int row = selectedRow();
    if (row < 0) {
        host().messageBox(text::kSelectUser);
        return;
    }
    CUserNode& node = *std::next(users_.begin(), row);
    CUserDlg dlg(users_, node.record, CUserDlg::kEdit, row);
    dlg.runModal(host());
    node.refreshTexts();
    showRow(row, node);
    chooseRow(list(ids::kUserList), row);
    setModified();
}

void dialin::deleteUser() {
    const int row = selectedRow();
    if (row < 0) {
        host().messageBox(text::kSelectUser);
        return;
    }
    list(ids::kUserList).remove(row);
    chooseRow(list(ids::kUserList), -1);
    users_.erase(std::next(users_.begin(), row));
    setModified();
}

void dialin::toggleUserDialIn() {
    const int row = list(ids::kUserList).selectionMark();
    if (row < 0 || row >= static_cast<int>(users_.size()))
        return;
    CUserNode& node = *std::next(users_.begin(), row);
    const bool enabled = list(ids::kUserList).text(row, 0) != text::kEnable;
    if (enabled)
        node.record.flags |= kUserDialIn;
    else
        node.record.flags &= static_cast<std::uint8_t>(~kUserDialIn);
    node.dialInText = enabled ? text::kEnable : text::kDisable;
    list(ids::kUserList).setText(row, 0, node.dialInText);
}

bool dialin::onKillActive() {
    clampIdleTimeout(WhenEmpty::Clamp);
    return true;
}

// An empty field is no number and the router would ignore the write: it is
// clamped like a value out of range, when the page is left or applied.
void dialin::clampIdleTimeout(WhenEmpty whenEmpty) {
    const bool empty = whenEmpty == WhenEmpty::Clamp && text(ids::kIdleTimeout).empty();
    if (!empty && number(ids::kIdleTimeout) <= kMaxIdleTimeout)
        return;
    host().messageBox(text::kIdleTimeoutClamped);
    setNumber(ids::kIdleTimeout, kMaxIdleTimeout);
}

// Every variable goes out with the length of five records; what follows the
// last user stays zero, which ends the table for the router.
void dialin::packUsers() {
    const int first = *store().slotOf(kUserTableFirst);
    for (int slot = 0; slot < static_cast<int>(kUserTable.size()); ++slot)
        std::memset(store().write(first + slot).value, 0, kUserTableBytes);
    int slot = 0;
    std::size_t position = 0;
    int packed = 0;
    for (const CUserNode& node : users_) {
        if (slot >= static_cast<int>(kUserTable.size()))
            break;
        const int written = IPSConvUserToByte(store().write(first + slot).value + position,
                                              &node.record, kUserTableBytes - position);
        position += static_cast<std::size_t>(std::max(written, 0));
        if (++packed % kUsersPerVariable == 0) {
            ++slot;
            position = 0;
        }
    }
    for (int slot = 0; slot < static_cast<int>(kUserTable.size()); ++slot) {
        _snmp_packet& entry = store().write(first + slot);
        entry.type = kTypeOctetString;
        device::setEntryLength(entry, kUserTableBytes);
    }
}

void dialin::onApply() {
    operation::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;

    clampIdleTimeout(WhenEmpty::Clamp);
    // Only the text and its length: the type byte stays as the fetch left it.
    const std::string idle = text(ids::kIdleTimeout).substr(0, kIdleTimeoutCharacters);
    device::setEntryText(store().mode1Write(kIdleTimeoutIndex), idle);

    packUsers();

    // From the shared stored choice, not from this page's radios: the
    // LAN-to-LAN page may have changed it after this page was last shown,
    // and the last choice the user made wins.
    _snmp_packet& authentication = store().mode1Write(kAuthenticationIndex);
    setEntryByte(authentication,
                 withAuthentication(entryNumber(authentication), storedAuthentication()));

    _snmp_packet& feature = store().mode1Write(kFeatureIndex);
    int featureByte = entryNumber(feature) & ~kFeatureDialIn;
    if (isChecked(ids::kEnableDialIn))
        featureByte |= kFeatureDialIn;
    setEntryByte(feature, featureByte);

    commit.writeVariables(kUserTable);
    commit.writeMode1(kDialInWrites, operation::OnFailure::Ignore);
    commit.writeMode1(kIdleTimeoutWrite, operation::OnFailure::Ignore);
    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
