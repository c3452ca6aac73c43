// The main window: the list of routers found on the LAN, the label naming the
// chosen one and the buttons of the operations on it.
//
// The operations (Setup, Save, Load, Remote) are handed in as functions so
// that the window does not depend on how each one is built; each receives
// the window so it can read the list's selection mark, change the label and
// refresh the list. IP Address and Refresh belong to the window itself.
//
// Decisions where the behaviour was open:
// - A repaint never moves the chosen router. The operations take the list's
//   selection mark as the choice, and a user does not expect the choice to
//   jump back to the first row because the window was uncovered, so nothing
//   but filling the list and the user's clicks set the mark.
// - The one visibly selected row is always the row of the selection mark:
//   after the list is filled (row 0 at start, the selected index after
//   Refresh) exactly that row shows selected, so what the user sees is what
//   the operations act on.
// - The window menu gets no About entry: the About box stays reachable
//   through window-menu commands 16 to 31 only.
// - The WWW Setup button stays hidden and disabled for good; its handler
//   exists but the utility itself offers every setting the router's web pages
//   would.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "res/ids/main_ids.h"
#include "ui/dialog.h"

namespace tolvaro {
struct AppContext;
}

namespace tolvaro::app {

using res::main_window::kMainTemplate;

using res::main_window::kMainClose;
using res::main_window::kMainIpAddress;
using res::main_window::kMainLoad;
using res::main_window::kMainRefresh;
using res::main_window::kMainRemote;
using res::main_window::kMainRouterList;
using res::main_window::kMainSave;
using res::main_window::kMainSelectedLabel;
using res::main_window::kMainSetup;
using res::main_window::kMainWwwSetup;

namespace main_text {
inline constexpr const char* kCaption = res::main_window::kCaption;
inline constexpr const char* kLabelPrefix = "Selected ISDN Router:";
inline constexpr const char* kNoDevices = "No compatible devices detected on LAN";
inline constexpr const char* kColumnMachine = "Machine";
inline constexpr const char* kColumnAddress = "IP Address";
inline constexpr const char* kRemoteRow = "Remote";
} // namespace main_text

class CMainDlg;

// An entry of the router list's context menu: its label and what it runs on
// the window (the router is the list's selection mark, as for the buttons).
struct RouterMenuEntry {
    std::string label;
    std::function<void(CMainDlg&)> run;
};

// One function per operation button; an empty function makes its button do
// nothing. With no router menu entries the list has no context menu.
struct MainOperations {
    std::function<void(CMainDlg&)> setup;
    std::function<void(CMainDlg&)> save;
    std::function<void(CMainDlg&)> load;
    std::function<void(CMainDlg&)> remote;
    std::vector<RouterMenuEntry> routerMenu;
};

class CMainDlg : public ui::Dialog {
public:
    CMainDlg(AppContext& context, MainOperations operations);

    AppContext& context() const { return context_; }

    // The router list (control 1038).
    ui::ListViewRef routerList() const { return list(kMainRouterList); }
    // "Selected ISDN Router: <name>"; an empty name still keeps the blank.
    void showSelected(std::string_view name);
    // "Selected ISDN Router:" with nothing after it.
    void showNoneSelected();
    // The Refresh button: discovers again and refills the list.
    void refresh();

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCommand(int id, ui::Notify notification) override;
    void onSysCommand(unsigned command) override;

private:
    void discoverAtStart();
    void fillRows();
    // Selects exactly `row` and makes it the selection mark; -1 clears both.
    void markRow(int row);
    void enableOperations(bool enabled);
    void onListClick();
    void onListSelectionMoved();
    // The router list's context menu: only over a row with a router record.
    void openRouterMenu();

    // The router of the selection mark (else of the selected index), by
    // address and, when the library knows it, hardware address; an empty
    // address when the list has no such row.
    struct RouterIdentity {
        std::string address;
        std::optional<std::array<unsigned char, 6>> hardware;
    };
    RouterIdentity chosenRouter() const;
    // Its row in the list now, or -1.
    int rowOf(const RouterIdentity& identity) const;
    void openWwwSetup();
    void run(const std::function<void(CMainDlg&)>& operation);
    // run() for an operation on the selected router, refused (with the
    // message that says why) when another listed router announces its
    // hardware address.
    void runOnSelected(const std::function<void(CMainDlg&)>& operation);
    bool selectedHasTwins();

    AppContext& context_;
    MainOperations operations_;
};

// "Selected ISDN Router: <name>".
std::string selectedLabel(std::string_view name);

} // namespace tolvaro::app
