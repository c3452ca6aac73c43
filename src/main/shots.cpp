// tolvaro-shots DIR: renders every registered dialog template to
// DIR/<number>-<caption>.png, for review and for the help pages, and the
// pictures the README and the AppStream metadata show: the main window with
// routers listed (main-window.png), the settings window on two of its
// pages (sheet-<page>.png) and the Snapshots and Compare windows with rows
// (snapshots-window.png, compare-window.png).
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>
#include <cstdio>
#include <memory>

#include "app/compare_dlg.h"
#include "app/main_dlg.h"
#include "app/snapshots_dlg.h"
#include "res/ids/access_control_ids.h"
#include "res/ids/compare_ids.h"
#include "res/ids/dialin_ids.h"
#include "res/ids/internet_application_ids.h"
#include "res/ids/isdn_ids.h"
#include "res/ids/lan_ids.h"
#include "res/ids/lan_to_lan_ids.h"
#include "res/ids/option_ids.h"
#include "res/ids/quick_setup_ids.h"
#include "res/ids/snapshots_ids.h"
#include "res/ids/status_ids.h"
#include "ui/qt/qt_host.h"
#include "ui/template.h"
#include "ui/window.h"

namespace {

using tolvaro::ui::QtHost;
using tolvaro::ui::Template;

// The settings window's pages in the order the sheet shows them.
constexpr std::array kSheetPages{
    tolvaro::res::quick_setup::kTemplate,
    tolvaro::res::status::kTemplate,
    tolvaro::res::option::kTemplate,
    tolvaro::res::lan::kTemplate,
    tolvaro::res::dialin::kTemplate,
    tolvaro::res::access_control::kTemplate,
    tolvaro::res::internet_application::kTemplate,
    tolvaro::res::lan_to_lan::kTemplate,
    tolvaro::res::isdn::kTemplate,
};

bool save(QWidget& window, const QString& path) {
    window.ensurePolished();
    window.adjustSize();
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "tolvaro-shots: %s not written\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The main window as the demo shows it after discovery.
bool renderMainWindow(const QString& dir) {
    namespace app = tolvaro::app;
    std::unique_ptr<QWidget> window(
        QtHost::buildTemplate(*tolvaro::ui::findTemplate(app::kMainTemplate)));
    window->setWindowTitle(QString::fromUtf8(app::main_text::kCaption));
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("Selected"))) {
            label->setText(QStringLiteral("%1 Head Office").arg(app::main_text::kLabelPrefix));
        }
    }
    if (auto* list = window->findChild<QTreeWidget*>()) {
        list->setHeaderLabels({app::main_text::kColumnMachine, app::main_text::kColumnAddress});
        for (const auto& [name, address] : {std::pair{"Head Office", "127 . 0 . 0 . 21"},
                                            std::pair{"Warehouse", "127 . 0 . 0 . 22"},
                                            std::pair{"Branch", "127 . 1 . 0 . 10"}}) {
            list->addTopLevelItem(new QTreeWidgetItem({name, address}));
        }
        list->header()->resizeSection(0, list->width() / 2);
        list->setCurrentItem(list->topLevelItem(0));
    }
    return save(*window, QDir(dir).filePath(QStringLiteral("main-window.png")));
}

// The settings window on one page: the nine tabs, the page, OK and Cancel.
bool renderSheet(const QString& dir, int current, const QString& name) {
    QDialog sheet;
    sheet.setWindowTitle(QStringLiteral("Head Office"));
    auto* tabs = new QTabWidget(&sheet);
    tabs->setUsesScrollButtons(false);
    for (int number : kSheetPages) {
        const Template* t = tolvaro::ui::findTemplate(number);
        tabs->addTab(QtHost::buildTemplate(*t), QString::fromStdString(t->caption));
        if (number == current) {
            tabs->setCurrentIndex(tabs->count() - 1);
        }
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(new QPushButton(QStringLiteral("OK")));
    buttons->addWidget(new QPushButton(QStringLiteral("Cancel")));
    auto* layout = new QVBoxLayout(&sheet);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    return save(sheet, QDir(dir).filePath(QStringLiteral("sheet-%1.png").arg(name)));
}

// The Snapshots window of a router written three times.
bool renderSnapshotsWindow(const QString& dir) {
    namespace app = tolvaro::app;
    namespace ids = tolvaro::res::snapshots;
    namespace text = app::snapshots_text;
    std::unique_ptr<QWidget> widget(
        QtHost::buildTemplate(*tolvaro::ui::findTemplate(ids::kTemplate)));
    auto* window = dynamic_cast<tolvaro::ui::Window*>(widget.get());
    if (!window) {
        return false;
    }
    window->setText(ids::kRouterLabel,
                    std::string(text::kListOf) + "Head Office (127.0.0.21), newest first:");
    const int w = window->pixelWidth(ids::kList) - 4;
    window->listAddColumn(ids::kList, text::kColumnTime, w * 9 / 20);
    window->listAddColumn(ids::kList, text::kColumnReason, w / 5);
    window->listAddColumn(ids::kList, text::kColumnFirmware, w - w * 9 / 20 - w / 5);
    for (const auto& [time, reason] :
         {std::pair{"20261208T081500Z", "restore"}, std::pair{"20261207T164210Z", "setup"},
          std::pair{"20261203T091133Z", "load"}}) {
        const int row = window->listCount(ids::kList);
        window->listInsert(ids::kList, row, app::localTimeText(time), row == 0);
        window->listSetText(ids::kList, row, 1, reason);
        window->listSetText(ids::kList, row, 2, "6.5 (240918-07)");
        window->comboAdd(ids::kOther, app::localTimeText(time));
    }
    window->listSetSelectionMark(ids::kList, 0);
    window->comboSelect(ids::kOther, 1);
    return save(*widget, QDir(dir).filePath(QStringLiteral("snapshots-window.png")));
}

// The Compare window of a file against the router, run by its own dialog code.
bool renderCompareWindow(const QString& dir, tolvaro::ui::Host& host) {
    namespace app = tolvaro::app;
    std::unique_ptr<QWidget> widget(
        QtHost::buildTemplate(*tolvaro::ui::findTemplate(tolvaro::res::compare::kTemplate)));
    auto* window = dynamic_cast<tolvaro::ui::Window*>(widget.get());
    if (!window) {
        return false;
    }
    app::CCompareDlg compare(
        {app::compare_text::kRouter, "Router: Head Office (127.0.0.21)"},
        {app::compare_text::kFile, "File: /home/office/routers/head-office-2026-12.cfg"},
        {{"", "Quick Setup / Account Name", "\"office@isp.example\"", "\"head@isp.example\""},
         {"", "Quick Setup / Account Password", "(set)", "(set, differs)"},
         {"", "LAN / DHCP Server Enable", "on", "off"},
         {"", "LAN / Static Routing Table / Row 2 / Destination", "192.0.2.0", "198.51.100.0"},
         {"", "ISDN / Outgoing Call ID MSN", "\"5550100\"", "\"5550199\""}});
    compare.attach(host, *window);
    compare.start();
    const bool saved = save(*widget, QDir(dir).filePath(QStringLiteral("compare-window.png")));
    compare.detach();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tolvaro-shots DIR\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "tolvaro-shots: cannot create %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    for (const Template* t : tolvaro::ui::allTemplates()) {
        const QString path = QtHost::renderTemplate(*t, dir);
        if (path.isEmpty()) {
            std::fprintf(stderr, "tolvaro-shots: template %d not written\n", t->number);
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    }
    QtHost host;
    const bool extras =
        renderMainWindow(dir) && renderSnapshotsWindow(dir) && renderCompareWindow(dir, host) &&
        renderSheet(dir, tolvaro::res::quick_setup::kTemplate, QStringLiteral("quick-setup")) &&
        renderSheet(dir, tolvaro::res::lan::kTemplate, QStringLiteral("lan"));
    failures += extras ? 0 : 1;
    return failures == 0 ? 0 : 1;
}
