#include "pages/access/user_dlg.h"

#include <array>
#include <cstring>
#include <string_view>

#include "device/device_record.h"
#include "res/ids/user_ids.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::user;

namespace {

namespace text {
inline constexpr const char* kEnable = "Enable";
inline constexpr const char* kDisable = "Disable";
inline constexpr const char* kNoCallBack = "No";
inline constexpr const char* kRoaming = "Roaming";
inline constexpr const char* kUnlimited = "Unlimit";
inline constexpr const char* kFillCallBack = "You should fill the callback number";
inline constexpr const char* kFillName = "You should fill the username";
inline constexpr const char* kNameNotUnique = "Name must be uniquefor each user.";
inline constexpr const char* kTimeLimitClamped =
    "Connecting Time Limit should be 0-99, it will be changed to 99 automatically.";
} // namespace text

constexpr unsigned kMaxTimeLimit = 99;
// OK reads at most this many characters of the time-limit field.
constexpr std::size_t kTimeLimitDigits = 5;

// The controls that only matter while the user may dial in.
constexpr std::array kCallBackGroup = {ids::kCallBackDisable, ids::kCallBackFixed,
                                       ids::kCallBackRoaming, ids::kCallBackNumber,
                                       ids::kTimeLimit};

std::uint16_t timeLimitOf(std::string_view text) {
    text = text.substr(0, kTimeLimitDigits);
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return static_cast<std::uint16_t>(value);
}

// Whether another user than the one at `skipRow` already has `name`.
// Names compare exactly, capitals included.
bool nameTaken(const UserList& users, const std::string& name, int skipRow) {
    int row = 0;
    for (const CUserNode& node : users) {
        if (row != skipRow && device::fieldText(node.record.name) == name)
            return true;
        ++row;
    }
    return false;
}

} // namespace

int callBackModeOf(const UserInfo& record) {
    return (record.flags >> kCallBackShift) & 3;
}

CUserNode::CUserNode(const UserInfo& source) {
    std::memcpy(&record, &source, sizeof record);
    refreshTexts();
}

void CUserNode::refreshTexts() {
    dialInText = (record.flags & kUserDialIn) ? text::kEnable : text::kDisable;
    switch (callBackModeOf(record)) {
    case kCallBackNone:
        callBackText = text::kNoCallBack;
        break;
    case kCallBackFixed:
        callBackText = device::fieldText(record.callback);
        break;
    case kCallBackRoaming:
        callBackText = text::kRoaming;
        break;
    default:
        break;
    }
    timeLimitText = record.timeLimit == 0 ? text::kUnlimited : std::to_string(record.timeLimit);
}

CUserDlg::CUserDlg(const UserList& users, UserInfo& record, Mode mode, int row)
    : ui::Dialog(ids::kTemplate), users_(users), record_(record), original_(record), mode_(mode),
      row_(row) {}

void CUserDlg::onInitDialog() {
    original_ = record_;
    limitText(ids::kName, ids::kNameLimit);
    limitText(ids::kPassword, ids::kPasswordLimit);
    limitText(ids::kCallBackNumber, ids::kCallBackNumberLimit);
    limitText(ids::kTimeLimit, ids::kTimeLimitLimit);

    if (mode_ == kEdit) {
        setText(ids::kName, device::fieldText(record_.name));
        setText(ids::kPassword, device::fieldText(record_.password));
        setText(ids::kCallBackNumber, device::fieldText(record_.callback));
        setNumber(ids::kTimeLimit, record_.timeLimit);
        switch (callBackModeOf(record_)) {
        case kCallBackNone:
            setChecked(ids::kCallBackDisable);
            break;
        case kCallBackFixed:
            setChecked(ids::kCallBackFixed);
            break;
        case kCallBackRoaming:
            setChecked(ids::kCallBackRoaming);
            break;
        default:
            break;
        }
    } else {
        setText(ids::kTimeLimit, "0");
        setChecked(ids::kCallBackDisable);
    }
    applyCallBackNumberRule();

    const bool dialIn = (record_.flags & kUserDialIn) != 0;
    setChecked(ids::kEnableDialIn, dialIn);
    enableCallBackGroup(dialIn);
}

void CUserDlg::enableCallBackGroup(bool enabled) {
    for (const int id : kCallBackGroup)
        enable(id, enabled);
    if (enabled)
        applyCallBackNumberRule();
}

void CUserDlg::applyCallBackNumberRule() {
    enable(ids::kCallBackNumber, isChecked(ids::kCallBackFixed));
}

void CUserDlg::clampTimeLimit() {
    if (number(ids::kTimeLimit) <= kMaxTimeLimit)
        return;
    host().messageBox(text::kTimeLimitClamped);
    setNumber(ids::kTimeLimit, kMaxTimeLimit);
}

void CUserDlg::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::Clicked) {
        if (id == ids::kEnableDialIn)
            enableCallBackGroup(isChecked(ids::kEnableDialIn));
        else if (id == ids::kCallBackDisable || id == ids::kCallBackFixed ||
                 id == ids::kCallBackRoaming)
            applyCallBackNumberRule();
    } else if (notification == ui::Notify::FocusLost && id == ids::kTimeLimit) {
        clampTimeLimit();
    }
}

void CUserDlg::copyFieldsToRecord() {
    device::setField(record_.name, text(ids::kName));
    device::setField(record_.password, text(ids::kPassword));
    device::setField(record_.callback, text(ids::kCallBackNumber));
    record_.timeLimit = timeLimitOf(text(ids::kTimeLimit));

    record_.flags &= static_cast<std::uint8_t>(~kUserDialIn);
    if (isChecked(ids::kEnableDialIn))
        record_.flags |= kUserDialIn;
    int callBack = kCallBackRoaming;
    if (isChecked(ids::kCallBackDisable))
        callBack = kCallBackNone;
    else if (isChecked(ids::kCallBackFixed))
        callBack = kCallBackFixed;
    record_.flags =
        static_cast<std::uint8_t>((record_.flags & ~kCallBackBits) | (callBack << kCallBackShift));
}

void CUserDlg::onOK() {
    // The typed values reach the record before they are checked, so a
    // refused OK keeps them for the next try.
    copyFieldsToRecord();
    if (isChecked(ids::kCallBackFixed) && record_.callback[0] == '\0') {
        host().messageBox(text::kFillCallBack);
        return;
    }
    const std::string name = device::fieldText(record_.name);
    if (name.empty()) {
        host().messageBox(text::kFillName);
        return;
    }
    if (nameTaken(users_, name, row_)) {
        host().messageBox(text::kNameNotUnique);
        return;
    }
    endDialog(ui::kIdOk);
}

void CUserDlg::onCancel() {
    if (mode_ == kAdd) {
        record_.timeLimit = kCancelledLimit;
    } else {
        // A refused OK has already copied its values; a user who gives up
        // must not keep an empty or duplicate name in the list.
        record_ = original_;
    }
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::pages
