// The program: start-up checks, then the main window for the whole run.
#include <QApplication>

#include "app/app_context.h"
#include "app/main_dlg.h"
#include "app/startup.h"
#include "device/device_link.h"
#include "ui/qt/qt_host.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvaro"));
    tolvaro::ui::QtHost host;
    // The program's browser is Qt itself (help pages, links): its version
    // answers the browser check unless the user's settings hold another.
    host.setSettingsDefault(tolvaro::app::kBrowserKey, tolvaro::app::kBrowserValue, qVersion());
    auto link = tolvaro::device::makeLibraryLink();
    tolvaro::AppState state;
    tolvaro::AppContext context{state, host, *link};
    // Each operation button is wired to its operation by the operation's owner.
    tolvaro::app::MainOperations operations;
    return tolvaro::app::runProgram(host, *link, [&] {
        tolvaro::app::CMainDlg window(context, operations);
        window.runModal(host);
    });
}
