// One contract, two backends: the same user actions on the scripted window
// and on the real Qt window must give the dialog the same notifications and
// leave the controls in the same state. Each test runs on both.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTreeWidget>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_window.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {
namespace {

using ui::ControlKind;

constexpr int kTemplate = 9120;
constexpr int kName = 1101;  // lower-case edit
constexpr int kOther = 1102; // plain edit
constexpr int kRadioA = 1103;
constexpr int kRadioB = 1104;
constexpr int kRadioC = 1105; // a group of its own
constexpr int kSorted = 1106;
constexpr int kRows = 1107;
constexpr int kUse = 1110;   // default button, listed second
constexpr int kApply = 1120; // default button, listed first

const ui::TemplateRegistration reg{[] {
    ui::Template t{kTemplate, "Contract", 220, 140};
    t.controls = {
        {kName, ControlKind::Edit, "", {10, 10, 80, 12}, ui::kLowerCase},
        {kOther, ControlKind::Edit, "", {10, 26, 80, 12}},
        {kRadioA, ControlKind::RadioButton, "A", {100, 10, 30, 10}, ui::kGroupStart},
        {kRadioB, ControlKind::RadioButton, "B", {100, 22, 30, 10}},
        {kRadioC, ControlKind::RadioButton, "C", {100, 34, 30, 10}, ui::kGroupStart},
        {kSorted, ControlKind::ComboList, "", {140, 10, 70, 60}, ui::kSorted | ui::kGroupStart},
        {kRows, ControlKind::ListView, "", {10, 46, 120, 50}, ui::kBorder},
        {kApply, ControlKind::Button, "Apply", {140, 100, 30, 14}, ui::kDefault},
        {kUse, ControlKind::Button, "Use", {180, 100, 30, 14}, ui::kDefault},
        {ui::kIdOk, ControlKind::Button, "OK", {40, 120, 50, 14}},
        {ui::kIdCancel, ControlKind::Button, "Cancel", {100, 120, 50, 14}},
    };
    return t;
}()};

class Probe : public ui::Dialog {
public:
    Probe() : ui::Dialog(kTemplate) {}
    std::vector<std::string> events;
    bool warnOnNameLoss = false;

protected:
    void onOK() override { events.push_back("ok"); }
    void onCancel() override { events.push_back("cancel"); }
    void onCommand(int id, ui::Notify n) override {
        if (n == ui::Notify::Clicked) {
            events.push_back("clicked " + std::to_string(id));
        } else if (n == ui::Notify::FocusLost) {
            events.push_back("lost " + std::to_string(id));
            if (id == kName && warnOnNameLoss) {
                host().messageBox("Name checked");
            }
        } else if (n == ui::Notify::SelectionChanged) {
            events.push_back("picked " + std::to_string(id));
        } else if (n == ui::Notify::ListClick) {
            events.push_back("row " + std::to_string(list(id).selectionMark()));
        } else if (n == ui::Notify::ContextMenu) {
            const int mark = list(id).selectionMark();
            events.push_back("menu " + std::to_string(mark));
            if (mark >= 0) {
                const std::optional<int> chosen = host().popupMenu({"One", "Two"});
                events.push_back(chosen ? "chose " + std::to_string(*chosen) : "dismissed");
            }
        }
    }
};

// The scripted backend, driven through its test driver.
class ScriptedBackend {
public:
    void open(ui::Dialog& dialog) { driver_.emplace(host_.open(dialog)); }
    void type(int id, std::string_view text) { driver_->type(id, text); }
    void tabTo(int id) { driver_->focus(id); }
    void click(int id) { driver_->click(id); }
    void pick(int id, int index) { driver_->select(id, index); }
    void pressEnter() { driver_->pressEnter(); }
    void pressEscape() { driver_->pressEscape(); }
    void rightClickRow(int id, int row) { driver_->rightClickRow(id, row); }
    void pressMenuKey(int id, bool /*shiftF10*/) {
        driver_->focus(id);
        driver_->pressMenuKey();
    }
    void answerMenu(int index) { host_.answerMenu(index); }
    void dismissMenu() { host_.dismissMenu(); }
    const std::vector<std::vector<std::string>>& menus() const { return host_.menusShown(); }
    std::size_t messageCount() const { return host_.messages().size(); }

private:
    ui::ScriptedHost host_;
    std::optional<ui::ScriptedDialogDriver> driver_;
};

// The Qt backend, driven with keys and clicks on the real widgets of an
// active window.
class QtBackend {
public:
    QtBackend() {
        host_.setModalHook([this](QWidget* top) {
            if (auto* box = qobject_cast<QMessageBox*>(top)) {
                // Answered only once the box has taken the activation, so
                // the window below has felt it.
                EXPECT_TRUE(QTest::qWaitForWindowActive(box));
                ++messages_;
                box->accept();
            } else if (auto* menu = qobject_cast<QMenu*>(top)) {
                answer(*menu);
            }
        });
    }
    void open(ui::Dialog& dialog) {
        host_.createModeless(dialog);
        window_ = dynamic_cast<ui::QtWindow*>(dialog.window());
        ASSERT_NE(window_, nullptr);
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    }
    void type(int id, std::string_view text) {
        auto* edit = qobject_cast<QLineEdit*>(window_->widget(id));
        ASSERT_NE(edit, nullptr);
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromUtf8(text.data(), static_cast<int>(text.size())));
    }
    void tabTo(int id) {
        // The window has the activation back once a box is gone, as the
        // window manager gives it back.
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
        window_->widget(id)->setFocus(Qt::TabFocusReason);
    }
    void click(int id) { QTest::mouseClick(window_->widget(id), Qt::LeftButton); }
    void pick(int id, int index) {
        auto* combo = qobject_cast<QComboBox*>(window_->widget(id));
        ASSERT_NE(combo, nullptr);
        combo->setFocus(Qt::MouseFocusReason);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void pressEnter() { QTest::keyClick(focused(), Qt::Key_Return); }
    void pressEscape() { QTest::keyClick(focused(), Qt::Key_Escape); }
    void rightClickRow(int id, int row) {
        QTreeWidget* tree = list(id);
        ASSERT_NE(tree, nullptr);
        const QPoint below(4, tree->viewport()->height() - 4); // empty space
        const QPoint at = row < 0 ? below : tree->visualItemRect(tree->topLevelItem(row)).center();
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at);
    }
    void pressMenuKey(int id, bool shiftF10) {
        QTreeWidget* tree = list(id);
        ASSERT_NE(tree, nullptr);
        tree->setFocus(Qt::TabFocusReason);
        if (shiftF10) {
            QTest::keyClick(tree, Qt::Key_F10, Qt::ShiftModifier);
        } else {
            QTest::keyClick(tree, Qt::Key_Menu);
        }
    }
    void answerMenu(int index) { menuAnswers_.emplace_back(index); }
    void dismissMenu() { menuAnswers_.emplace_back(std::nullopt); }
    const std::vector<std::vector<std::string>>& menus() const { return menus_; }
    std::size_t messageCount() const { return messages_; }

private:
    QTreeWidget* list(int id) const { return qobject_cast<QTreeWidget*>(window_->widget(id)); }
    // Picks the queued answer the way a user would: the item made active,
    // then Return; a dismissal is Escape.
    void answer(QMenu& menu) {
        std::vector<std::string> items;
        for (const QAction* action : menu.actions()) {
            items.push_back(action->text().toStdString());
        }
        menus_.push_back(items);
        ASSERT_FALSE(menuAnswers_.empty()) << "unanswered popup menu";
        const std::optional<int> index = menuAnswers_.front();
        menuAnswers_.pop_front();
        if (index) {
            menu.setActiveAction(menu.actions().at(*index));
            QTest::keyClick(&menu, Qt::Key_Return);
        } else {
            QTest::keyClick(&menu, Qt::Key_Escape);
        }
    }

    QWidget* focused() const { return window_->focusWidget() ? window_->focusWidget() : window_; }
    ui::QtHost host_;
    ui::QtWindow* window_ = nullptr;
    std::size_t messages_ = 0;
    std::deque<std::optional<int>> menuAnswers_;
    std::vector<std::vector<std::string>> menus_;
};

template <typename Backend> class BackendContract : public ::testing::Test {
protected:
    BackendContract() { backend.open(dialog); }
    Backend backend;
    Probe dialog; // after the backend: its window goes first
};

using Backends = ::testing::Types<ScriptedBackend, QtBackend>;
TYPED_TEST_SUITE(BackendContract, Backends);

TYPED_TEST(BackendContract, TypingHonoursLimitAndCaseButProgramTextIsKept) {
    this->dialog.limitText(kName, 5);
    this->backend.type(kName, "ABCDEFG");
    EXPECT_EQ(this->dialog.text(kName), "abcde");
    this->dialog.setText(kName, "Longer Than Five");
    EXPECT_EQ(this->dialog.text(kName), "Longer Than Five");
}

TYPED_TEST(BackendContract, RadioButtonsAreExclusiveWithinTheirGroupOnly) {
    this->backend.click(kRadioC);
    this->backend.click(kRadioA);
    this->backend.click(kRadioB);
    EXPECT_FALSE(this->dialog.isChecked(kRadioA));
    EXPECT_TRUE(this->dialog.isChecked(kRadioB));
    EXPECT_TRUE(this->dialog.isChecked(kRadioC));
}

TYPED_TEST(BackendContract, SelectionMarkFollowsItsRowAcrossInsertAndDelete) {
    ui::ListViewRef rows = this->dialog.list(kRows);
    rows.addColumn("Name", 60);
    for (int row = 0; row < 3; ++row) {
        rows.insert(row, "r" + std::to_string(row));
    }
    rows.setSelectionMark(1);
    rows.insert(0, "new");
    EXPECT_EQ(rows.selectionMark(), 2);
    rows.remove(3);
    EXPECT_EQ(rows.selectionMark(), 2) << "a row below the mark";
    rows.remove(2);
    EXPECT_EQ(rows.selectionMark(), -1) << "the marked row itself";
}

TYPED_TEST(BackendContract, SortedDropDownKeepsThePickedItemWhenOneIsInsertedBefore) {
    ui::ComboRef combo = this->dialog.combo(kSorted);
    combo.add("delta");
    combo.add("bravo");
    EXPECT_EQ(combo.selection(), -1) << "nothing is picked until the user picks";
    this->backend.pick(kSorted, 1);
    combo.add("alpha");
    EXPECT_EQ(combo.text(), "delta");
    EXPECT_EQ(combo.selection(), 2);
    EXPECT_EQ(this->dialog.events.back(), "picked 1106");
}

TYPED_TEST(BackendContract, EnterIssuesTheFirstUsableDefaultButtonInTemplateOrder) {
    this->backend.type(kName, "x");
    this->backend.pressEnter();
    this->dialog.enable(kApply, false);
    this->backend.pressEnter();
    this->dialog.show(kUse, false);
    this->backend.pressEnter();
    this->backend.pressEscape();
    EXPECT_EQ(this->dialog.events,
              (std::vector<std::string>{"clicked 1120", "clicked 1110", "ok", "cancel"}));
}

// A button disabled while it has the focus cannot be pressed by Enter: the
// platform moves the focus on, and Enter goes to the default button.
TYPED_TEST(BackendContract, EnterSkipsAFocusedButtonThatWasDisabled) {
    this->backend.tabTo(kApply);
    this->dialog.enable(kApply, false);
    this->dialog.events.clear();
    this->backend.pressEnter();
    std::vector<std::string> clicks;
    for (const std::string& e : this->dialog.events) {
        if (e.starts_with("clicked") || e == "ok") {
            clicks.push_back(e);
        }
    }
    EXPECT_EQ(clicks, std::vector<std::string>{"clicked 1110"});
}

TYPED_TEST(BackendContract, FocusLossReachesTheFieldOnceEvenWhenItsHandlerOpensABox) {
    this->dialog.warnOnNameLoss = true;
    this->backend.type(kName, "abc");
    this->backend.tabTo(kOther);
    this->backend.type(kOther, "x");
    this->backend.tabTo(kName);
    EXPECT_EQ(this->backend.messageCount(), 1u);
    EXPECT_EQ(this->dialog.events, (std::vector<std::string>{"lost 1101", "lost 1102"}))
        << "the box took the activation from the window, not the focus from the field";
}

TYPED_TEST(BackendContract, RightClickSelectsLikeAClickThenAsksForTheMenuAsTheMenuKeysDo) {
    ui::ListViewRef rows = this->dialog.list(kRows);
    rows.addColumn("Name", 60);
    for (int row = 0; row < 3; ++row) {
        rows.insert(row, "r" + std::to_string(row));
    }
    this->backend.tabTo(kRows); // the first field's focus loss is not what this is about
    this->dialog.events.clear();
    this->backend.answerMenu(1);
    this->backend.rightClickRow(kRows, 2);
    EXPECT_TRUE(rows.isSelected(2));
    this->backend.dismissMenu();
    this->backend.pressMenuKey(kRows, false);
    this->backend.answerMenu(0);
    this->backend.pressMenuKey(kRows, true);
    this->backend.rightClickRow(kRows, -1);
    EXPECT_FALSE(rows.isSelected(2)) << "empty space clears the selection, as a click does";
    EXPECT_EQ(this->dialog.events,
              (std::vector<std::string>{"row 2", "menu 2", "chose 1", "menu 2", "dismissed",
                                        "menu 2", "chose 0", "row -1", "menu -1"}));
    EXPECT_EQ(this->backend.menus(), (std::vector<std::vector<std::string>>(3, {"One", "Two"})));
}

} // namespace
} // namespace tolvaro::test
