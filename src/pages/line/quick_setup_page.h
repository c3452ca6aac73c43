// The Quick Setup page: Internet access over ISDN (account, WAN address, DNS,
// telephone numbers, idle time-out, switch type by country). As the first
// page it also prepares what later pages read from the store, and on OK it
// decides whether the sheet may write at all.
#pragma once

#include <optional>
#include <string_view>

#include "app/settings_sheet.h"

namespace tolvaro::pages {

class CMQuickSetup : public app::SettingsPage {
public:
    CMQuickSetup(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onSetActive() override;
    bool onKillActive() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    // Copies the shared switches into the write image and takes the DHCP
    // range; later pages rely on both.
    void prepareSharedValues();
    void fillControls();

    // Enabling, one function per group of controls.
    void enableInternetFields(bool enabled);
    void enableFixedAddress(bool enabled);
    void enableSpid(bool enabled);

    void internetAccessClicked();
    void clampIdleTimeout();
    void clampEmptyIdleTimeout();
    void showDns();
    void storeDnsText();
    void showIdleTimeout();

    // The message of the first failed check, or nothing.
    std::optional<std::string_view> fieldProblem() const;
    // Carries the check box's choice into the feature byte, the dial-out flag
    // and the shared LAN-to-LAN flags.
    void carryInternetChoice();

    // Asks before breaking a live ISDN connection and sets the
    // save-confirmed flag; false when nothing may be written.
    bool confirmSave();
    void fillWriteImage();

    // Set while the page itself fills the DNS edits.
    bool showingDns_ = false;
};

} // namespace tolvaro::pages
