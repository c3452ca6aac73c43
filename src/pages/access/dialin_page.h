// The Dial-in page: whether remote users may dial in, the authentication the
// router asks of callers, the idle time-out of a dial-in connection, and the
// users who may dial in.
//
// The users live in the page's own list from page start until the apply
// packs them into the router's user table (five records per variable, five
// variables). The dial-in switch and the time-out live in their controls;
// the authentication choice lives in the mode-1 write image, which the
// LAN-to-LAN page also changes, so the page re-reads it whenever it is shown.
#pragma once

#include <ipslan/records.h>

#include "pages/access/user_dlg.h"
#include "pages/authentication.h"
#include "pages/settings_page.h"

namespace tolvaro::pages {

class dialin : public SettingsPage {
public:
    dialin(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onSetActive() override;
    bool onKillActive() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void readUsers();
    void appendRow(const CUserNode& node);
    void showRow(int row, const CUserNode& node);
    // The row with the selection mark, or -1 when no row is selected.
    int selectedRow() const;

    void enableDialInGroup(bool enabled);
    Authentication storedAuthentication() const;
    void checkAuthentication(Authentication mode);
    void chooseAuthentication(Authentication mode);

    void addUser();
    void editUser();
    void deleteUser();
    void toggleUserDialIn();
    // Leaving the field lets it stay empty for now; leaving the page or
    // applying does not.
    enum class WhenEmpty { Leave, Clamp };
    void clampIdleTimeout(WhenEmpty whenEmpty = WhenEmpty::Leave);

    void packUsers();

    // Handed to the User dialog by every Add; it keeps what the last Add
    // left in it for the next one.
    UserInfo scratch_{};
    UserList users_;
};

} // namespace tolvaro::pages
