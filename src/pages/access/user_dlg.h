// The User dialog and the user list behind the Dial-in page.
//
// CUserNode backs one row of the Dial-in page's user list: a copy of the
// user's record and the texts its row shows. Row i of the list view is node
// i of the page's UserList.
//
// CUserDlg edits one user record in place; it talks to no router. Add mode
// (0) starts from empty fields; a Cancel there sets the record's
// connect-time limit to kCancelledLimit, which is how the caller tells a
// cancelled Add from an accepted one. Edit mode (1) fills the fields from the
// record; a Cancel there leaves the record as it was when the dialog opened.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include <ipslan/records.h>

#include "ui/dialog.h"

namespace tolvaro::pages {

inline constexpr std::uint8_t kUserDialIn = 0x02;
// Call-back mode: (flags >> 3) & 3.
inline constexpr int kCallBackShift = 3;
inline constexpr std::uint8_t kCallBackBits = 0x18;
enum CallBackMode : int { kCallBackNone = 0, kCallBackFixed = 1, kCallBackRoaming = 2 };

// A connect-time limit below this came from an accepted Add.
inline constexpr int kAcceptedLimitBelow = 1000;
inline constexpr std::uint16_t kCancelledLimit = 65535;

int callBackModeOf(const UserInfo& record);

struct CUserNode {
    explicit CUserNode(const UserInfo& source);

    // Recomputes the three texts from the record. A call-back mode the
    // program never writes (3) keeps the call-back text as it was.
    void refreshTexts();

    UserInfo record{};
    std::string dialInText;    // column 0: "Enable" or "Disable"
    std::string callBackText;  // column 2: "No", the number, or "Roaming"
    std::string timeLimitText; // column 3: minutes, or "Unlimit" for 0
};

using UserList = std::list<CUserNode>;

class CUserDlg : public ui::Dialog {
public:
    enum Mode : int { kAdd = 0, kEdit = 1 };

    // `users` is read for the name check; the node at `row` is the one being
    // edited and is skipped (the Dial-in page passes a row no node has in
    // add mode). `record` must outlive the dialog's run.
    CUserDlg(const UserList& users, UserInfo& record, Mode mode, int row);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void enableCallBackGroup(bool enabled);
    void applyCallBackNumberRule();
    void clampTimeLimit();
    void copyFieldsToRecord();

    const UserList& users_;
    UserInfo& record_;
    UserInfo original_{};
    Mode mode_;
    int row_;
};

} // namespace tolvaro::pages
