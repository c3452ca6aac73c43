// The program: start-up checks, then the main window for the whole run.
#include <QApplication>

#include <csignal>
#include <cstdio>

#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "app/startup.h"
#include "device/app_context.h"
#include "device/device_link.h"
#include "main/demo.h"
#include "main/responsive_link.h"
#include "ui/qt/qt_host.h"

int main(int argc, char** argv) {
    // A file size limit fails a save (which says so) instead of ending the
    // program with the temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvaro"));
    tolvaro::ui::QtHost host;
    // The program's browser is Qt itself (help pages, links): its version
    // answers the browser check unless the user's settings hold another.
    host.setSettingsDefault(tolvaro::app::kBrowserKey, tolvaro::app::kBrowserValue, qVersion());
    std::unique_ptr<tolvaro::demo::DemoNetwork> demo;
    if (tolvaro::demo::requested(argc, argv)) {
        std::string error;
        demo = tolvaro::demo::DemoNetwork::start(error);
        if (!demo) {
            std::fprintf(stderr, "tolvaro: %s\n", error.c_str());
            return 1;
        }
    }
    auto link = tolvaro::program::makeResponsiveLink(tolvaro::device::makeLibraryLink());
    tolvaro::AppState state;
    tolvaro::AppContext context{state, host, *link};
    tolvaro::app::MainOperations operations = tolvaro::app::standardOperations(context);
    return tolvaro::app::runProgram(host, *link, [&] {
        tolvaro::app::CMainDlg window(context, operations);
        window.runModal(host);
    });
}
