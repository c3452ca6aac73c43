// The main window, the discovery wait window, the password prompt and the
// address dialog.
#include "res/ids/main_ids.h"
#include "ui/template.h"

namespace tolvaro::res {
namespace {

using ui::ControlKind;

const ui::TemplateRegistration mainWindow{[] {
    ui::Template t{main_window::kMainTemplate, main_window::kCaption, 237, 148};
    t.style = ui::kSystemMenu | ui::kMinimizeBox;
    t.controls = {
        {main_window::kMainSelectedLabel,
         ControlKind::Static,
         "Selected ISDN Router",
         {5, 10, 198, 13}},
        {ui::kNoId, ControlKind::Static, "Available ISDN Routers", {5, 36, 115, 10}},
        {main_window::kMainRouterList,
         ControlKind::ListView,
         "",
         {5, 50, 180, 49},
         ui::kAlwaysShowSel | ui::kBorder | ui::kGroupStart},
        {main_window::kMainRefresh, ControlKind::Button, "Refresh", {190, 57, 40, 14}},
        {main_window::kMainRemote, ControlKind::Button, "Remote", {190, 80, 40, 14}},
        {main_window::kMainSetup, ControlKind::Button, "Setup", {7, 105, 40, 14}},
        {main_window::kMainSave, ControlKind::Button, "Save", {53, 105, 40, 14}},
        {main_window::kMainLoad, ControlKind::Button, "Load", {99, 105, 40, 14}},
        {main_window::kMainIpAddress, ControlKind::Button, "IP Address", {145, 105, 40, 14}},
        {main_window::kMainWwwSetup,
         ControlKind::Button,
         "WWW Setup",
         {49, 127, 50, 14},
         ui::kHidden | ui::kDisabled},
        {ui::kIdHelp, ControlKind::Button, "Help", {146, 127, 40, 14}},
        {main_window::kMainClose, ControlKind::Button, "Close", {190, 127, 40, 14}},
    };
    return t;
}()};

const ui::TemplateRegistration searchWait{[] {
    ui::Template t{search_wait::kSearchWaitTemplate, "", 178, 38};
    t.style = ui::kCaptionless;
    t.controls = {
        {ui::kNoId,
         ControlKind::Static,
         "Please wait while searching ISDN Router...",
         {10, 15, 158, 8},
         ui::kCentered},
    };
    return t;
}()};

const ui::TemplateRegistration password{[] {
    ui::Template t{password::kPasswordTemplate, "Password", 219, 47};
    t.style = ui::kSystemMenu;
    t.controls = {
        {ui::kNoId, ControlKind::Static, "Administrator Password", {7, 9, 85, 8}},
        {password::kPasswordEdit,
         ControlKind::Edit,
         "",
         {95, 7, 117, 12},
         ui::kPassword | ui::kAutoHScroll | ui::kGroupStart},
        {ui::kIdOk, ControlKind::Button, "OK", {55, 26, 50, 14}, ui::kDefault | ui::kGroupStart},
        {ui::kIdCancel, ControlKind::Button, "Cancel", {114, 26, 50, 14}},
    };
    return t;
}()};

// Four digit fields with a "." between them, starting at x and y.
void addOctetRow(std::vector<ui::ControlSpec>& controls, const int (&ids)[4], int x, int y) {
    for (int i = 0; i < 4; ++i) {
        const int left = x + i * 26;
        controls.push_back({ids[i],
                            ControlKind::Edit,
                            "",
                            {left, y, 20, 12},
                            ui::kDigitsOnly | (i == 0 ? ui::kGroupStart : 0u)});
        if (i < 3) {
            controls.push_back({ui::kNoId, ControlKind::Static, ".", {left + 21, y + 2, 4, 8}});
        }
    }
}

const ui::TemplateRegistration ipAddress{[] {
    ui::Template t{ip_address::kIpAddressTemplate, "IP Address", 200, 134};
    t.style = ui::kSystemMenu;
    t.controls = {
        {ui::kNoId, ControlKind::GroupBox, "Current Settings", {7, 7, 186, 42}},
        {ui::kNoId, ControlKind::Static, "IP Address", {15, 20, 60, 8}},
        {ip_address::kIpCurrentAddress, ControlKind::Static, "", {80, 20, 100, 8}},
        {ui::kNoId, ControlKind::Static, "Network Mask", {15, 33, 60, 8}},
        {ip_address::kIpCurrentMask, ControlKind::Static, "", {80, 33, 100, 8}},
        {ui::kNoId, ControlKind::GroupBox, "Suggested Settings", {7, 55, 186, 50}},
        {ui::kNoId, ControlKind::Static, "IP Address", {15, 69, 60, 8}},
    };
    addOctetRow(t.controls, ip_address::kIpNewAddress, 80, 67);
    t.controls.push_back({ui::kNoId, ControlKind::Static, "Network Mask", {15, 86, 60, 8}});
    addOctetRow(t.controls, ip_address::kIpNewMask, 80, 84);
    t.controls.push_back({ui::kIdOk,
                          ControlKind::Button,
                          "Change",
                          {20, 112, 45, 14},
                          ui::kDefault | ui::kGroupStart});
    t.controls.push_back({ui::kIdCancel, ControlKind::Button, "Cancel", {77, 112, 45, 14}});
    t.controls.push_back({ui::kIdHelp, ControlKind::Button, "Help", {134, 112, 45, 14}});
    return t;
}()};

} // namespace
} // namespace tolvaro::res
