// The Internet Application page: virtual servers, special applications and
// the exposed computer.
#pragma once

#include <ipslan/records.h>

#include "pages/lan/internet_application_tables.h"
#include "pages/settings_page.h"

namespace tolvaro::pages {

namespace internet_application_text {
inline constexpr const char* kTooManyServers = "NO. of Virtual Server should not exceed 10";
inline constexpr const char* kSelectServerToEdit = "You have to select a server.";
inline constexpr const char* kSelectServerToDelete = "You have to select a server";
inline constexpr const char* kTooManyApps = "NO. of Special Application should not exceed 10";
inline constexpr const char* kSelectAppToEdit = "You have to select a App";
inline constexpr const char* kSelectAppToDelete = "You have to select an App";
inline constexpr const char* kExposedEmpty = "Each exposed IP address field should not be empty";
inline constexpr const char* kExposedRange =
    "The value of each exposed IP address field\n should be 0-255.";
inline constexpr const char* kResetFinished = "Device reset finished";
} // namespace internet_application_text

// The page owns both tables for its whole life: row i of a list is node i
// of its table. The editor dialogs it opens see the tables read-only.
class CMVirtual3 : public SettingsPage {
public:
    CMVirtual3(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onSetActive() override;
    bool onKillActive() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void fillServers();
    void fillExposedComputer();
    void fillSpecialApps();

    void addServer();
    void editServer();
    void deleteServer();
    void addSpecialApp();
    void editSpecialApp();
    void deleteSpecialApp();
    void toggleServer();
    void toggleSpecialApp();

    // The row that Edit and Delete act on, or -1 after `warning` was shown.
    int selectedRow(int list, int rows, const char* warning);
    // Runs an editor dialog; true when it ended with OK.
    bool runServerDialog(LOCAL_S& record, EditMode mode, int ownRow);
    bool runSpecialAppDialog(SP_AP& record, EditMode mode);

    VI_PC exposedComputer();

    ServerList servers_;
    SpecialAppList apps_;
    // What Add hands to its dialog.
    LOCAL_S newServer_{};
    SP_AP newApp_{};
};

} // namespace tolvaro::pages
