// Real dialogs on the Qt backend where the platform's behaviour matters: a
// message box opened by a field's own handler is not that field losing its
// focus, and help stays usable (links, close, keys) while a modal dialog
// runs, which keeps working afterwards. Keys and clicks on the help window
// go through the platform, where a modal window would swallow them.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTextBrowser>

#include "pages/lan/route_dlg.h"
#include "pages/lan/special_app_dlg.h"
#include "res/ids/route_ids.h"
#include "res/ids/special_app_ids.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_window.h"

namespace tolvaro::test {
namespace {

struct GuiFixture : ::testing::Test {
    GuiFixture() {
        host.setModalHook([this](QWidget* top) {
            if (auto* box = qobject_cast<QMessageBox*>(top)) {
                // Answered once it has the activation, so the dialog below
                // has lost it.
                EXPECT_TRUE(QTest::qWaitForWindowActive(box));
                messages << box->text();
                box->accept();
            } else if (auto* window = qobject_cast<ui::QtWindow*>(top)) {
                window->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(window));
                drive(*window);
            }
        });
    }
    QLineEdit* edit(ui::QtWindow& window, int id) {
        return qobject_cast<QLineEdit*>(window.widget(id));
    }

    ui::QtHost host;
    QStringList messages;
    std::function<void(ui::QtWindow&)> drive;
};

TEST_F(GuiFixture, EnterWithAMetricAboveFifteenWarnsOnceAndShowsZero) {
    namespace ids = res::route;
    S_ROUTE record{};
    const pages::RouteList routes;
    pages::CRouteDlg dlg(record, pages::CRouteDlg::kNewRoute, routes);
    QString metricAfter;
    drive = [&](ui::QtWindow& window) {
        // Every field typed as a user would, through its validator.
        const auto type = [&](int id, const char* text) {
            QLineEdit* field = edit(window, id);
            field->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(field, QString::fromLatin1(text));
        };
        type(ids::kName, "office");
        for (const auto& [octets, value] :
             {std::pair{ids::kDestination, "10"}, {ids::kMask, "255"}, {ids::kGateway, "192"}}) {
            for (int id : octets) {
                type(id, id == octets.back() ? "1" : value);
            }
        }
        QLineEdit* metric = edit(window, ids::kMetric);
        metric->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(metric, QStringLiteral("16"));
        QTest::keyClick(metric, Qt::Key_Return);
        metricAfter = metric->text();
        QTest::keyClick(metric, Qt::Key_Escape);
    };
    EXPECT_EQ(dlg.runModal(host), ui::kIdCancel);
    EXPECT_EQ(messages.join('|').toStdString(),
              "Matric should be 0-15, it will be changed to 0 automatically");
    EXPECT_EQ(metricAfter.toStdString(), "0");
}

TEST_F(GuiFixture, SpecialApplicationHelpIsUsableOverTheDialogWhichThenStillWorks) {
    namespace ids = res::special_app;
    SP_AP record{};
    int cancelled = 0;
    const pages::SpecialAppList apps;
    pages::CSpecialAppDlg dlg(record, pages::EditMode::New, &cancelled, apps);
    QString endAfterWarning;
    QStringList helpPages;
    bool helpClosed = false;
    drive = [&](ui::QtWindow& window) {
        // A start port out of range, then Tab: the warning replaces the end
        // adjustment, and the box it opens is not the end field's focus loss.
        QLineEdit* start = edit(window, ids::kOutgoingStart);
        start->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(start, QStringLiteral("70000"));
        edit(window, ids::kOutgoingEnd)->setFocus(Qt::TabFocusReason);
        endAfterWarning = edit(window, ids::kOutgoingEnd)->text();

        QTest::mouseClick(window.widget(ui::kIdHelp), Qt::LeftButton);
        QTextBrowser* help = host.helpWindow();
        ASSERT_NE(help, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(help));
        helpPages << help->source().fileName();
        QTest::keyClick(help->windowHandle(), Qt::Key_Tab); // to the first link
        QTest::keyClick(help->windowHandle(), Qt::Key_Return);
        helpPages << help->source().fileName();
        QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
        helpClosed = !help->isVisible();

        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(edit(window, ids::kName), Qt::Key_F1);
        helpPages << help->source().fileName();
        help->close();
        QTest::mouseClick(window.widget(ui::kIdCancel), Qt::LeftButton);
    };
    EXPECT_EQ(dlg.runModal(host), ui::kIdCancel);
    EXPECT_EQ(messages, QStringList{"Port number must have a value between 0 and 65534."});
    EXPECT_EQ(endAfterWarning, QString());
    // The first link of the Special Application page leads to the page that
    // lists the applications.
    EXPECT_EQ(helpPages, (QStringList{"131238.html", "131228.html", "131238.html"}))
        << "opened on the dialog's topic, followed a link, and F1 opened the topic again";
    EXPECT_TRUE(helpClosed);
    EXPECT_EQ(cancelled, 1) << "the dialog answered its Cancel button after help";
}

} // namespace
} // namespace tolvaro::test
