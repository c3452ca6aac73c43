// The main road on the Qt backend (offscreen) against a simulated router:
// Setup with the password, an edit on the Quick Setup page, OK on the sheet,
// and the router keeps the change after its reset.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "app/password_dlg.h"
#include "res/ids/quick_setup_ids.h"
#include "support/utility_on_loopback.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_window.h"

namespace tolvaro::app {
namespace {

ui::QtWindow* windowOf(QWidget* top, int templateNumber) {
    if (auto* window = qobject_cast<ui::QtWindow*>(top);
        window && window->windowTemplate().number == templateNumber) {
        return window;
    }
    for (auto* child : top->findChildren<ui::QtWindow*>()) {
        if (child->windowTemplate().number == templateNumber) {
            return child;
        }
    }
    return nullptr;
}

void click(QWidget* button) {
    auto* push = qobject_cast<QPushButton*>(button);
    ASSERT_NE(push, nullptr);
    push->click();
}

QPushButton* buttonNamed(QWidget* top, const QString& text) {
    for (auto* button : top->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

TEST(MainRoadGui, SetupEditsAndResetsTheRouter) {
    test::UtilityOnLoopback office; // for the simulated network and its clock
    auto config = test::routerConfig(2, "Head Office", "127.0.0.45");
    config.password = "demo42";
    routersim::Router& router = office.add(config);

    AppState state;
    ui::QtHost host;
    host.setSleepFunction([&](int ms) { office.net.advance(ms); });
    AppContext context{state, host, *office.link};

    QStringList messages;
    QString sheetCaption;
    host.setModalHook([&](QWidget* top) {
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
            messages << box->text();
            box->accept();
        } else if (auto* main = windowOf(top, kMainTemplate)) {
            click(main->widget(kMainSetup));
            click(main->widget(kMainClose));
        } else if (auto* password = windowOf(top, kPasswordTemplate)) {
            qobject_cast<QLineEdit*>(password->widget(kPasswordEdit))->setText("demo42");
            click(password->widget(ui::kIdOk));
        } else if (auto* page = windowOf(top, res::quick_setup::kTemplate)) {
            sheetCaption = top->windowTitle();
            auto* account = qobject_cast<QLineEdit*>(page->widget(res::quick_setup::kAccountName));
            ASSERT_NE(account, nullptr);
            account->setText("gui@isp.example");
            click(buttonNamed(top, "OK"));
        } else {
            ADD_FAILURE() << "unexpected window " << top->windowTitle().toStdString();
        }
    });

    CMainDlg main(context, standardOperations(context));
    main.runModal(host);

    EXPECT_EQ(sheetCaption.toStdString(), "Head Office");
    EXPECT_EQ(messages, QStringList{"Device reset finished"});
    EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x4002), "gui@isp.example");
    EXPECT_FALSE(router.restarting());
}

// Every list header reads whole with the real font, and every column is in
// sight without a sideways scroll: the main window's router list and the
// lists of every page of the settings sheet.
TEST(MainRoadGui, EveryColumnHeaderFitsItsColumn) {
    test::UtilityOnLoopback office;
    office.add(test::routerConfig(2, "Head Office", "127.0.0.46"));

    AppState state;
    ui::QtHost host;
    host.setSleepFunction([&](int ms) { office.net.advance(ms); });
    AppContext context{state, host, *office.link};

    std::vector<std::string> cut;
    int listsSeen = 0;
    const auto checkLists = [&](QWidget* top) {
        QApplication::processEvents();
        for (auto* tree : top->findChildren<QTreeWidget*>()) {
            ++listsSeen;
            if (tree->horizontalScrollBar()->maximum() > 0 ||
                tree->header()->length() > tree->viewport()->width()) {
                cut.push_back(top->windowTitle().toStdString() + ": " +
                              tree->headerItem()->text(0).toStdString() + "… scrolls sideways");
            }
            const QHeaderView* header = tree->header();
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin);
            const QFontMetrics fm(header->font());
            for (int column = 0; column < tree->columnCount(); ++column) {
                const QString title = tree->headerItem()->text(column);
                if (header->sectionSize(column) < fm.horizontalAdvance(title) + 2 * margin) {
                    cut.push_back(top->windowTitle().toStdString() + ": " + title.toStdString());
                }
            }
        }
    };
    host.setModalHook([&](QWidget* top) {
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
            box->accept();
        } else if (auto* main = windowOf(top, kMainTemplate)) {
            checkLists(main);
            click(main->widget(kMainSetup));
            click(main->widget(kMainClose));
        } else if (auto* tabs = top->findChild<QTabWidget*>()) {
            for (int page = 0; page < tabs->count(); ++page) {
                tabs->setCurrentIndex(page);
            }
            checkLists(top);
            click(buttonNamed(top, "Cancel"));
        } else {
            ADD_FAILURE() << "unexpected window " << top->windowTitle().toStdString();
        }
    });

    CMainDlg main(context, standardOperations(context));
    main.runModal(host);

    EXPECT_GE(listsSeen, 5) << "the router list and the lists of the pages";
    EXPECT_EQ(cut, std::vector<std::string>{});
}

} // namespace
} // namespace tolvaro::app
