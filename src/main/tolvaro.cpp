// The program: its options, start-up checks, then the main window for the
// whole run.
#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "app/remote_history.h"
#include "app/startup.h"
#include "device/device_link.h"
#include "device/snapshots.h"
#include "main/demo.h"
#include "main/responsive_link.h"
#include "main/verbose_link.h"
#include "operation/app_context.h"
#include "tolvaro_version.h"
#include "ui/qt/qt_host.h"

namespace {

struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this text and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("Start four simulated routers inside the program, on "
                                           "loopback addresses, and look for routers on loopback "
                                           "only. They keep their settings in "
                                           "$XDG_DATA_HOME/tolvaro/demo. A second demo on the "
                                           "same computer gets routers of its own and says what "
                                           "to type into Remote.")};
    QCommandLineOption verbose{
        QStringLiteral("verbose"),
        QStringLiteral("After each search for routers, write to standard error every interface "
                       "searched with its address and mask, the routers that answered through it "
                       "and those outside its network.")};

    Options() {
        parser.setApplicationDescription(
            QStringLiteral("Configures small-office ISDN routers: finds them on the LAN, reads, "
                           "changes and writes back their settings, saves and loads configuration "
                           "files, and reaches routers over the Internet by remote management."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(demo);
        parser.addOption(verbose);
    }
};

// --help and --version answer on a terminal without a display, so they are
// handled before the windowing system starts.
bool asksForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* name : {"-h", "--help", "-v", "--version"}) {
            if (std::strcmp(argv[i], name) == 0) {
                return true;
            }
        }
    }
    return false;
}

int printText(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options options;
    // Options of the windowing system (-platform ...) are not the parser's;
    // they must not stop the help from showing.
    options.parser.parse(QCoreApplication::arguments());
    if (options.parser.isSet(options.version) && !options.parser.isSet(options.help)) {
        std::printf("tolvaro %s\n", TOLVARO_VERSION);
        return 0;
    }
    // The usage line names the program as the user types it, not the path it
    // was started from (the manual page is made from this text).
    QString text = options.parser.helpText();
    text.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                 QStringLiteral("Usage: tolvaro"));
    std::fputs(qPrintable(text), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (asksForText(argc, argv)) {
        return printText(argc, argv);
    }
    // A file size limit fails a save (which says so) instead of ending the
    // program with the temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvaro"));
    Options options;
    options.parser.process(app);
    if (!options.parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tolvaro: unexpected argument '%s'; see tolvaro --help\n",
                     qPrintable(options.parser.positionalArguments().constFirst()));
        return 1;
    }
    tolvaro::ui::QtHost host;
    // The program's browser is Qt itself (help pages, links): its version
    // answers the browser check unless the user's settings hold another.
    host.setSettingsDefault(tolvaro::app::kBrowserKey, tolvaro::app::kBrowserValue, qVersion());
    std::unique_ptr<tolvaro::demo::DemoNetwork> demo;
    if (options.parser.isSet(options.demo)) {
        std::string error;
        demo = tolvaro::demo::DemoNetwork::start(error);
        if (!demo) {
            std::fprintf(stderr, "tolvaro: %s\n", error.c_str());
            return 1;
        }
    }
    std::unique_ptr<tolvaro::device::DeviceLink> library = tolvaro::device::makeLibraryLink();
    if (options.parser.isSet(options.verbose)) {
        library = tolvaro::program::makeVerboseLink(std::move(library));
    }
    auto link = tolvaro::program::makeResponsiveLink(std::move(library));
    tolvaro::AppState state;
    tolvaro::AppContext context{state, host, *link};
    // How many snapshots of each router are kept: the "SnapshotsKept" value
    // beside the program's other settings, 50 when absent or not a number.
    int kept = tolvaro::device::kDefaultSnapshotsKept;
    if (const auto value =
            host.settings().readValue(tolvaro::app::kRemoteSettingsKey, "SnapshotsKept")) {
        const int n = std::atoi(value->c_str());
        if (n > 0)
            kept = n;
    }
    tolvaro::device::SnapshotStore snapshots(tolvaro::device::SnapshotStore::defaultRoot(), kept);
    context.snapshots = &snapshots;
    context.verifyAfterReset = true;
    tolvaro::app::MainOperations operations = tolvaro::app::standardOperations(context);
    const std::string demoNotice = demo ? demo->notice() : std::string();
    if (!demoNotice.empty()) {
        std::fprintf(stderr, "tolvaro: %s\n", demoNotice.c_str());
    }
    return tolvaro::app::runProgram(host, *link, [&] {
        tolvaro::app::CMainDlg window(context, operations);
        if (!demoNotice.empty()) {
            // Over the main window once it shows: the user is about to type
            // what the README says, which is not right for this demo.
            QTimer::singleShot(0, [&host, &demoNotice] {
                host.messageBox(demoNotice, tolvaro::ui::Buttons::Ok,
                                tolvaro::ui::Icon::Information);
            });
        }
        window.runModal(host);
    });
}
