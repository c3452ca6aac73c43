// The LAN-to-LAN page: linking the LAN to a remote LAN over ISDN, as the
// receiver or the initiator of the call.
//
// Between visits the page keeps the LAN-to-LAN choice, the role and the
// authentication bits in the store's write images (shared with the Quick
// Setup and Dial-in pages), the time-out in the sheet state (shared with
// Quick Setup), and what it decided last in AppState's LAN-to-LAN-on and
// receive-only flags, which its apply writes. Names, passwords, the number
// to dial and the remote network live only in the controls until the apply.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "pages/settings_page.h"

namespace tolvaro::pages {

class MLan2Lan : public SettingsPage {
public:
    MLan2Lan(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onSetActive() override;
    bool onKillActive() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void onReceiverClicked();
    void onInitiatorClicked();
    void onAuthenticationClicked(int id);
    void onLanToLanClicked();
    void clampTimeout();
    void showTimeout();

    void enableGroup(std::span<const int> ids, bool enabled);
    void enableLanToLanControls(bool enabled);
    void reapplyRole();
    void applyReceiverFieldRule();
    void showRole(bool initiator);
    void showAuthentication();
    // The first failed check of a page left with LAN-to-LAN on.
    std::optional<std::string> firstProblem() const;
    void keepChoices();
    // The time-out text as last shown from the store: anything else in the
    // field is the user's edit.
    std::string shownTimeout_;
};

} // namespace tolvaro::pages
