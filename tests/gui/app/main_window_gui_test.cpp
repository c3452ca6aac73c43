// The main window on the Qt backend (offscreen) against a simulated router:
// the real widgets show the discovered router and close on "Close".
#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include "app/main_dlg.h"
#include "device/device_link.h"
#include "operation/app_context.h"
#include "support/simulated_network.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_window.h"

namespace tolvaro::app {
namespace {

struct Seen {
    QString caption;
    int rows = -1;
    QString machine;
    QString address;
    QString label;
    QStringList messages;
};

TEST(MainWindowGui, ShowsTheDiscoveredRouter) {
    test::SimulatedNetwork net;
    routersim::RouterConfig config;
    config.family = 2;
    config.name = "Head Office";
    config.address = "127.0.0.41";
    net.add(config);

    auto link = device::makeLibraryLink();
    link->initLan();
    AppState state;
    ui::QtHost host;
    AppContext context{state, host, *link};

    Seen seen;
    host.setModalHook([&](QWidget* top) {
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
            seen.messages << box->text();
            box->accept();
            return;
        }
        auto* window = qobject_cast<ui::QtWindow*>(top);
        ASSERT_NE(window, nullptr);
        seen.caption = window->windowTitle();
        if (auto* tree = qobject_cast<QTreeWidget*>(window->widget(kMainRouterList))) {
            seen.rows = tree->topLevelItemCount();
            if (seen.rows > 0) {
                seen.machine = tree->topLevelItem(0)->text(0);
                seen.address = tree->topLevelItem(0)->text(1);
            }
        }
        if (auto* label = qobject_cast<QLabel*>(window->widget(kMainSelectedLabel))) {
            seen.label = label->text();
        }
        auto* close = qobject_cast<QPushButton*>(window->widget(kMainClose));
        ASSERT_NE(close, nullptr);
        close->click();
    });

    CMainDlg main(context, MainOperations{});
    main.runModal(host);

    EXPECT_TRUE(seen.messages.isEmpty()) << seen.messages.join("; ").toStdString();
    EXPECT_EQ(seen.caption.toStdString(), "Tolvaro V2.4");
    EXPECT_EQ(seen.rows, 1);
    EXPECT_EQ(seen.machine.toStdString(), "Head Office");
    EXPECT_EQ(seen.address.toStdString(), "127.0.0.41");
    EXPECT_EQ(seen.label.toStdString(), "Selected ISDN Router: Head Office");
}

} // namespace
} // namespace tolvaro::app
