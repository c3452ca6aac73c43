// The About box. The main window opens it for window-menu commands 16 to 31;
// the menu itself carries no entry for it.
#pragma once

#include "res/ids/about_ids.h"
#include "ui/dialog.h"

namespace tolvaro::app {

using res::about::kAboutTemplate;
using res::about::kAboutVersionText;

class CAboutDlg : public ui::Dialog {
public:
    CAboutDlg() : ui::Dialog(kAboutTemplate) {}
};

// True for the window-menu commands that open the About box (16 to 31).
constexpr bool isAboutCommand(unsigned command) {
    return (command & 0xfff0u) == 16u;
}

// Opens the About box modally when `command` is one of its commands; returns
// whether it did, so the caller passes other commands on.
bool handleAboutCommand(ui::Host& host, unsigned command);

} // namespace tolvaro::app
