#include "app/about_dlg.h"

namespace tolvaro::app {

bool handleAboutCommand(ui::Host& host, unsigned command) {
    if (!isAboutCommand(command)) {
        return false;
    }
    CAboutDlg about;
    about.runModal(host);
    return true;
}

} // namespace tolvaro::app
