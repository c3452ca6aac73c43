// Adding or editing one special application of the Internet Application
// page: an outgoing and an incoming port range, each with its protocol.
// While the user moves between the port edits, a range's end is kept from
// falling below its start.
#pragma once

#include <ipslan/records.h>

#include "pages/lan/internet_application_tables.h"
#include "ui/dialog.h"

namespace tolvaro::pages {

namespace special_app_text {
inline constexpr const char* kPortRange = "Port number must have a value between 1 and 65534.";
inline constexpr const char* kOutgoingStartRange =
    "Port number must have a value between 0 and 65534.";
inline constexpr const char* kNoName = "Please enter application name.";
inline constexpr const char* kNameInUse =
    "Name error.\nThis name is already in use.\nYou must use a different name.";
inline constexpr const char* kNoOutgoingStart = "Please enter OutPort starting number.";
inline constexpr const char* kNoIncomingStart = "Please enter IncommingPort starting number.";
inline constexpr const char* kIncomingStartRange =
    "Incoming start port number must have a value \nbetween 1 and 65534.";
inline constexpr const char* kIncomingEndRange =
    "Incoming end port number must have a value \nbetween 1 and 65534..";
inline constexpr const char* kOutgoingStartValue =
    "Outgoing start port number must have a value \nbetween 1 and 65534.";
inline constexpr const char* kOutgoingEndRange =
    "Outgoing end port number must have a value \nbetween 1 and 65534.";
} // namespace special_app_text

// The dialog edits `record` in place, and only when OK passes every check;
// Cancel sets `*cancelled` to 1 and leaves everything else alone. A new
// record's name must differ from every name in `apps`, the page's list. All
// references must outlive the dialog.
class CSpecialAppDlg : public ui::Dialog {
public:
    CSpecialAppDlg(SP_AP& record, EditMode mode, int* cancelled, const SpecialAppList& apps);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    // The rule of the port edit `id` when the focus leaves it.
    void applyRangeRule(int id);

    SP_AP& record_;
    EditMode mode_;
    int* cancelled_;
    const SpecialAppList& apps_;
    // Which port edits have changed, and which end a range rule is
    // rewriting right now (so that the rewrite cannot start another rule).
    unsigned flags_ = 0;
};

} // namespace tolvaro::pages
