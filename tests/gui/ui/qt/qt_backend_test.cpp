// The Qt backend on the offscreen platform: every template builds inside its
// bounds, keys issue the dialog's commands, message boxes show their text
// exactly, and the sheet, list views, typing rules and settings behave as
// the scripted backend promises.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/control_rules.h"
#include "ui/dialog.h"
#include "ui/property_sheet.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_window.h"

namespace tolvaro::test {
namespace {

using ui::ControlKind;

constexpr int kFormTemplate = 9101;
constexpr int kPageTemplate = 9110; // 9110, 9111
constexpr int kEdit = 1001;
constexpr int kList = 1002;
constexpr int kAction = 1003;
constexpr int kLabel = 1004;

const ui::TemplateRegistration form{[] {
    ui::Template t{kFormTemplate, "Form", 200, 120};
    t.controls = {
        {kEdit, ControlKind::Edit, "", {10, 10, 80, 12}, ui::kLowerCase},
        {kList, ControlKind::ListView, "", {10, 30, 120, 50}, ui::kBorder},
        {kAction, ControlKind::Button, "Action", {140, 30, 50, 14}},
        {kLabel, ControlKind::Static, "", {10, 85, 120, 8}},
        {ui::kIdOk, ControlKind::Button, "OK", {40, 100, 50, 14}},
        {ui::kIdCancel, ControlKind::Button, "Cancel", {100, 100, 50, 14}},
    };
    return t;
}()};

ui::Template page(int index) {
    ui::Template t{kPageTemplate + index, "Page " + std::to_string(index), 120, 60, ui::kChild};
    t.controls = {{kEdit, ControlKind::Edit, "", {10, 10, 80, 12}}};
    return t;
}
const ui::TemplateRegistration page0{page(0)};
const ui::TemplateRegistration page1{page(1)};

class Form : public ui::Dialog {
public:
    Form() : ui::Dialog(kFormTemplate) {}
    std::vector<std::string> events;

protected:
    void onOK() override {
        events.push_back("ok");
        endDialog(ui::kIdOk);
    }
    void onCancel() override {
        events.push_back("cancel");
        endDialog(ui::kIdCancel);
    }
    void onCommand(int id, ui::Notify n) override {
        if (n == ui::Notify::Clicked) {
            events.push_back("clicked " + std::to_string(id));
        }
    }
};

void press(QWidget* target, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
}

void typeText(QWidget* target, const QString& text) {
    for (QChar c : text) {
        QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &down);
    }
}

struct QtFixture : ::testing::Test {
    QtFixture() {
        host.setSleepFunction([this](int ms) { waits.push_back(ms); });
    }
    ui::QtHost host;
    std::vector<int> waits;
};

TEST_F(QtFixture, EveryTemplateBuildsWithItsControlsInsideItsBounds) {
    for (const ui::Template* t : ui::allTemplates()) {
        std::unique_ptr<QWidget> window(ui::QtHost::buildTemplate(*t));
        const QRect bounds = window->rect();
        EXPECT_GT(bounds.width(), 0) << t->number;
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(bounds.contains(child->geometry()))
                << "template " << t->number << ": " << child->metaObject()->className() << " \""
                << child->property("text").toString().toStdString() << "\" at "
                << child->geometry().x() << "," << child->geometry().y();
        }
    }
}

// What a screen reader announces: every field, list and drop-down of every
// template is named (by its label or its group), and the Tab order is the
// template's.
TEST_F(QtFixture, EveryInputControlOfEveryTemplateHasAnAccessibleName) {
    for (const ui::Template* t : ui::allTemplates()) {
        ui::QtWindow window(*t, nullptr, ui::QtWindow::Role::Preview);
        QList<QWidget*> inTemplateOrder;
        for (const ui::ControlSpec& spec : t->controls) {
            QWidget* w = window.widget(spec.id);
            if (!w || !ui::isInputControl(spec.kind) || inTemplateOrder.contains(w)) {
                continue;
            }
            inTemplateOrder << w;
            QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(reader, nullptr);
            EXPECT_FALSE(reader->text(QAccessible::Name).trimmed().isEmpty())
                << "template " << t->number << ", control " << spec.id;
        }
        QList<QWidget*> inTabOrder;
        for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
            if (inTemplateOrder.contains(w)) {
                inTabOrder << w;
            }
        }
        EXPECT_EQ(inTabOrder, inTemplateOrder) << "template " << t->number;
    }
}

TEST_F(QtFixture, EnterIssuesOkWithoutADefaultButton) {
    Form dlg;
    host.setModalHook([](QWidget* window) {
        auto* edit = window->findChild<QLineEdit*>();
        edit->setFocus();
        press(edit, Qt::Key_Return);
    });
    EXPECT_EQ(dlg.runModal(host), ui::kIdOk);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"ok"}));
}

TEST_F(QtFixture, EscapeAndTheCloseBoxIssueCancel) {
    Form first;
    host.setModalHook([](QWidget* window) { press(window, Qt::Key_Escape); });
    EXPECT_EQ(first.runModal(host), ui::kIdCancel);
    Form second;
    host.setModalHook([](QWidget* window) { window->close(); });
    EXPECT_EQ(second.runModal(host), ui::kIdCancel);
    EXPECT_EQ(second.events, (std::vector<std::string>{"cancel"}));
}

TEST_F(QtFixture, MessageBoxShowsTheTextExactly) {
    const std::string text =
        " Network mask error.\nFor a network mask, each field must have a value between 0 and 255.";
    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    host.setModalHook([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr);
        shown = box->text();
        icon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(host.messageBox(text, ui::Buttons::YesNo, ui::Icon::Stop), ui::Answer::No);
    EXPECT_EQ(shown.toStdString(), text);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

// A short text must not make the box so narrow that the window manager cuts
// its caption ("To…o"): the caption and a title bar's buttons fit.
TEST_F(QtFixture, MessageBoxIsWideEnoughForItsCaption) {
    int width = 0;
    int needed = 0;
    host.setModalHook([&](QWidget* window) {
        const QFontMetrics fm(window->font());
        needed = fm.horizontalAdvance(window->windowTitle()) + 4 * fm.height();
        width = window->width();
        window->close();
    });
    host.messageBox("Wrong Password", ui::Buttons::Ok, ui::Icon::Stop, "Tolvaro Configuration");
    EXPECT_GE(width, needed);
}

TEST_F(QtFixture, TypingFollowsTheEditsRulesButProgramTextIsKept) {
    Form dlg;
    host.setModalHook([&](QWidget* window) {
        dlg.limitText(kEdit, 5);
        auto* edit = window->findChild<QLineEdit*>();
        typeText(edit, QStringLiteral("ABCDEFG"));
        EXPECT_EQ(dlg.text(kEdit), "abcde");
        dlg.setText(kEdit, "Longer Than Five");
        EXPECT_EQ(dlg.text(kEdit), "Longer Than Five");
        dlg.endDialog(ui::kIdCancel);
    });
    dlg.runModal(host);
}

// Router names reach labels from unauthenticated discovery replies; read as
// markup, "<img src=/dev/zero>" would make the label read that file forever.
TEST_F(QtFixture, LabelsShowMarkupAsPlainText) {
    Form dlg;
    host.setModalHook([&](QWidget* window) {
        dlg.setText(kLabel, "Selected ISDN Router: <img src=/dev/zero>");
        const auto labels = window->findChildren<QLabel*>();
        const auto shown = std::find_if(labels.begin(), labels.end(), [](QLabel* label) {
            return label->text().contains(QStringLiteral("<img"));
        });
        ASSERT_NE(shown, labels.end());
        EXPECT_EQ((*shown)->textFormat(), Qt::PlainText);
        dlg.endDialog(ui::kIdCancel);
    });
    dlg.runModal(host);
}

TEST_F(QtFixture, ListViewKeepsOneSelectedRowAndAMarkThatFollowsItsRow) {
    Form dlg;
    host.setModalHook([&](QWidget*) {
        ui::ListViewRef list = dlg.list(kList);
        list.addColumn("Machine", 60);
        list.addColumn("IP Address", 116);
        for (int row = 0; row < 4; ++row) {
            list.insert(row, "r" + std::to_string(row), row % 2 == 0);
        }
        list.setText(1, 1, "10.0.0.1");
        EXPECT_EQ(list.nextSelected(), 2);
        EXPECT_FALSE(list.isSelected(0));
        EXPECT_EQ(list.text(1, 1), "10.0.0.1");
        EXPECT_EQ(list.pixelWidth(),
                  ui::dialogUnitsToPixelsX(120, ui::QtWindow::baseUnits(QApplication::font())));
        list.setSelectionMark(2);
        list.remove(0);
        EXPECT_EQ(list.selectionMark(), 1);
        list.removeAll();
        EXPECT_EQ(list.selectionMark(), -1);
        dlg.endDialog(ui::kIdOk);
    });
    dlg.runModal(host);
}

class Page : public ui::PropertyPage {
public:
    Page(int index, std::vector<std::string>& log)
        : ui::PropertyPage(kPageTemplate + index), index_(index), log_(log) {}
    bool refuse = false;

protected:
    void onInitDialog() override { log_.push_back("start " + std::to_string(index_)); }
    bool onKillActive() override {
        if (refuse) {
            host().messageBox("Stay here");
        }
        return !refuse;
    }
    void onApply() override { log_.push_back("apply " + std::to_string(index_)); }

private:
    int index_;
    std::vector<std::string>& log_;
};

TEST_F(QtFixture, SheetStartsPagesOnFirstShowAndAppliesThemOnOk) {
    std::vector<std::string> log;
    Page first(0, log);
    Page second(1, log);
    ui::PropertySheet sheet("Office");
    sheet.addPage(first);
    sheet.addPage(second);
    QTabWidget* tabs = nullptr;
    int shownBehindMessage = -1;
    host.setModalHook([&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            shownBehindMessage = tabs->currentIndex();
            box->accept();
            return;
        }
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Office"));
        tabs = window->findChild<QTabWidget*>();
        first.refuse = true;
        tabs->setCurrentIndex(1);
        EXPECT_EQ(tabs->currentIndex(), 0) << "a refusing page stays current";
        EXPECT_EQ(shownBehindMessage, 0) << "and stays in sight while it says why";
        first.refuse = false;
        tabs->setCurrentIndex(1);
        EXPECT_EQ(sheet.activeIndex(), 1);
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("OK")) {
                b->click();
            }
        }
    });
    EXPECT_EQ(sheet.runModal(host), ui::kIdOk);
    EXPECT_EQ(log, (std::vector<std::string>{"start 0", "start 1", "apply 0", "apply 1"}));
}

TEST_F(QtFixture, WaitCursorNestsAndSleepUsesTheInjectedClock) {
    host.beginWaitCursor();
    host.beginWaitCursor();
    host.endWaitCursor();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    host.sleep(6000);
    host.endWaitCursor();
    host.endWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(waits, (std::vector<int>{6000}));
}

// The open progress window as each step of a wait sees it.
struct ProgressStep {
    QPointer<QProgressDialog> window;
    QString text;
    double bar; // value / maximum
};

// Waits inside one progress share one window whose bar runs over all parts;
// the window closes when the progress ends, also by an exception.
TEST_F(QtFixture, OneProgressWindowSpansItsWaitsAndClosesWithIt) {
    std::vector<ProgressStep> steps;
    host.setSleepFunction([&](int ms) {
        waits.push_back(ms);
        const auto all = QApplication::topLevelWidgets();
        QProgressDialog* open = nullptr;
        for (QWidget* w : all) {
            if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible()) {
                ASSERT_EQ(open, nullptr) << "a second progress window";
                open = p;
            }
        }
        ASSERT_NE(open, nullptr);
        steps.push_back({open, open->labelText(), double(open->value()) / open->maximum()});
    });
    QPointer<QProgressDialog> window;
    try {
        ui::Progress progress(host, "Polling", 4);
        host.sleepWithProgress("Polling (1 of 4)", 2000);
        const std::size_t firstWait = steps.size();
        host.sleepWithProgress("Polling (2 of 4)", 2000);
        ASSERT_FALSE(steps.empty());
        window = steps.front().window;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const int wait = i < firstWait ? 1 : 2;
            SCOPED_TRACE(i);
            EXPECT_EQ(steps[i].window.data(), window.data());
            EXPECT_EQ(steps[i].text, QString("Polling (%1 of 4)").arg(wait));
            EXPECT_GE(steps[i].bar, (wait - 1) / 4.0);
            EXPECT_LE(steps[i].bar, wait / 4.0);
        }
        throw std::runtime_error("the line failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(std::accumulate(waits.begin(), waits.end(), 0), 4000);
}

TEST_F(QtFixture, SettingsStoreKeysValuesAndFailures) {
    QTemporaryDir dir;
    host.useSettingsFile(dir.filePath(QStringLiteral("tolvaro.conf")));
    ui::SettingsStore& store = host.settings();
    const char* key = "Software\\Karvel\\ISDN Tolvaro";
    EXPECT_FALSE(store.openKey(key)) << "a fresh store has no key";
    EXPECT_FALSE(store.writeValue(key, "IPADDRESS_1", "10.1.2.3")) << "writing needs the key";
    EXPECT_TRUE(store.createKey(key));
    EXPECT_TRUE(store.openKey(key));
    EXPECT_TRUE(store.writeValue(key, "IPADDRESS_1", "10.1.2.3"));
    EXPECT_EQ(store.readValue(key, "IPADDRESS_1"), "10.1.2.3");
    EXPECT_EQ(store.readValue(key, "IPADDRESS_2"), std::nullopt);

    host.useSettingsFile(dir.filePath(QStringLiteral("tolvaro.conf")));
    EXPECT_TRUE(host.settings().openKey(key)) << "the key is there in the next run";

    host.setSettingsDefault("Software\\Microsoft\\Internet Explorer\\", "Version", "6.4.2");
    EXPECT_EQ(host.settings().readValue("Software\\Microsoft\\Internet Explorer", "Version"),
              "6.4.2");

    host.useSettingsFile(QStringLiteral("/proc/tolvaro-no-such-dir/settings.conf"));
    EXPECT_FALSE(host.settings().createKey(key)) << "an unwritable store fails";
}

TEST_F(QtFixture, HelpTopicsWithoutAPageOpenTheIndex) {
    EXPECT_EQ(ui::QtHost::helpPagePath(131072 + 9999), QStringLiteral(":/help/index.html"));
    EXPECT_TRUE(QFile::exists(ui::QtHost::helpPagePath(131072 + 102)));
}

} // namespace
} // namespace tolvaro::test
