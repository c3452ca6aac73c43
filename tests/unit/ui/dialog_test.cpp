// The scripted backend as dialog code sees it: typing rules, notifications
// and their order, id lists, radio groups, Enter and Escape, list views with
// a selection mark, drop-down lists, and nested modal runs.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_templates.h"
#include "ui/dialog.h"
#include "ui/scripted/scripted_host.h"
#include "ui/text_rules.h"

namespace tolvaro::test {
namespace {

using ui::Notify;

std::string name(Notify n) {
    switch (n) {
    case Notify::Clicked:
        return "clicked";
    case Notify::TextChanged:
        return "changed";
    case Notify::FocusLost:
        return "left";
    case Notify::SelectionChanged:
        return "selected";
    case Notify::DropDown:
        return "dropdown";
    case Notify::ListClick:
        return "click";
    case Notify::ListDoubleClick:
        return "dblclick";
    case Notify::ListItemChanged:
        return "itemchanged";
    case Notify::ContextMenu:
        return "menu";
    }
    return "?";
}

// Records every notification as "<what> <id>"; hooks let a test react.
class RecordingDialog : public ui::Dialog {
public:
    explicit RecordingDialog(int number = kFormTemplate) : ui::Dialog(number) {}

    std::vector<std::string> events;
    std::function<void(RecordingDialog&)> onStart;
    std::function<void(RecordingDialog&, int, Notify)> onEvent;

protected:
    void onInitDialog() override {
        if (onStart) {
            onStart(*this);
        }
    }
    void onOK() override {
        events.push_back("ok");
        endDialog(ui::kIdOk);
    }
    void onCancel() override {
        events.push_back("cancel");
        endDialog(ui::kIdCancel);
    }
    void onCommand(int id, Notify n) override {
        events.push_back(name(n) + " " + std::to_string(id));
        if (onEvent) {
            onEvent(*this, id, n);
        }
    }
};

TEST(DialogNumber, ReadsAsTheDialogReadsIt) {
    struct Row {
        const char* name;
        const char* text;
        unsigned value;
        bool translated;
    };
    const Row rows[] = {
        {"plain digits", "255", 255, true},
        {"leading blanks", "  42", 42, true},
        {"empty field", "", 0, false},
        {"blanks only", "   ", 0, false},
        {"letters after digits", "12a", 0, false},
        {"minus sign", "-1", 0, false},
        {"largest unsigned", "4294967295", 4294967295u, true},
        {"one above the largest", "4294967296", 0, false},
        {"many digits", "99999999999999999999", 0, false},
    };
    for (const Row& row : rows) {
        bool translated = !row.translated;
        EXPECT_EQ(ui::parseDialogNumber(row.text, &translated), row.value) << row.name;
        EXPECT_EQ(translated, row.translated) << row.name;
    }
}

TEST(Typing, FollowsTheEditsRules) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    dlg.onStart = [](RecordingDialog& d) {
        d.limitText(kName, 9);
    };
    auto drv = host.open(dlg);

    drv.type(kName, "ROUTER-Number-1");
    EXPECT_EQ(drv.text(kName), "router-nu") << "lower case and cut at the limit of 9";
    drv.type(kPort, "8a0b8");
    EXPECT_EQ(drv.text(kPort), "808") << "non-digits refused";
    drv.type(kNote, "Mixed Case");
    EXPECT_EQ(drv.text(kNote), "Mixed Case");

    // Text set by the program is not cut by the limit.
    dlg.setText(kName, "a-name-longer-than-nine");
    EXPECT_EQ(drv.text(kName), "a-name-longer-than-nine");
}

TEST(Notifications, FocusLeavesTheEditBeforeTheButtonIsClicked) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    drv.type(kPort, "70000");
    drv.click(kAction);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"changed 1002", "left 1002", "clicked 1040"}));
}

TEST(Notifications, ProgramTextChangeNotifiesOnlyOnChange) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    host.open(dlg);
    dlg.setText(kNote, "x");
    dlg.setText(kNote, "x");
    dlg.setText(kCheck, "label");
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"changed 1003"}));
}

TEST(IdLists, IdsTheTemplateLacksAreSkipped) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    dlg.enable({kNote, 4242, kAction}, false);
    dlg.show({4243, kHiddenButton}, true);
    EXPECT_FALSE(drv.isEnabled(kNote));
    EXPECT_FALSE(drv.isEnabled(kAction));
    EXPECT_TRUE(drv.isVisible(kHiddenButton));
    EXPECT_EQ(dlg.text(4242), "");
    EXPECT_EQ(dlg.number(4242), 0u);
    EXPECT_FALSE(dlg.isChecked(4242));
    EXPECT_EQ(dlg.list(4242).selectionMark(), -1);
    EXPECT_FALSE(drv.isUsable(kAction));
    EXPECT_TRUE(dlg.events.empty());
}

// A test tool that ignores a step it cannot take lets a test pass without
// doing what it says.
TEST(StrictDriver, AnActionNoUserCouldTakeThrows) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    dlg.enable({kAction}, false);
    dlg.list(kList).insert(0, "only", false);
    const std::vector<std::pair<const char*, std::function<void()>>> rows = {
        {"DisabledButton",
         [&] {
             drv.click(kAction);
         }},
        {"HiddenButton",
         [&] {
             drv.click(kHiddenButton);
         }},
        {"MissingControl",
         [&] {
             drv.focus(4242);
         }},
        {"MissingRow",
         [&] {
             drv.doubleClickRow(kList, 5);
         }},
        {"MissingItem",
         [&] {
             drv.select(kCombo, "none");
         }},
    };
    for (const auto& [name, action] : rows) {
        EXPECT_THROW(action(), ui::ScriptError) << name;
    }
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"dropdown 1020"}));
}

// After OK closed the window, a key press that reached the dialog anyway
// would run its handlers a second time.
TEST(StrictDriver, EveryPressOnAClosedWindowThrows) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    drv.pressEnter();
    ASSERT_FALSE(drv.isOpen());
    const std::vector<std::pair<const char*, std::function<void()>>> rows = {
        {"Enter",
         [&] {
             drv.pressEnter();
         }},
        {"Escape",
         [&] {
             drv.pressEscape();
         }},
        {"MenuKey",
         [&] {
             drv.pressMenuKey();
         }},
        {"SystemCommand",
         [&] {
             drv.sysCommand(0xf060);
         }}, // close
    };
    for (const auto& [name, action] : rows) {
        EXPECT_THROW(action(), ui::ScriptError) << name;
    }
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"ok"}));
}

TEST(StrictDriver, ScriptsAndAnswersLeftUnusedFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ui::ScriptedHost host;
            host.expectDialog(kFormTemplate, [](ui::ScriptedDialogDriver&) {});
            host.answerMessage(ui::Answer::Yes);
            host.answerFileDialog(std::nullopt);
        },
        "script for dialog 9001\n  message answer Yes\n  file dialog answer Cancel");
}

TEST(RadioButtons, AClickChecksOneOfItsGroupOnly) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    dlg.setChecked(kRadioC);
    drv.click(kRadioA);
    drv.click(kRadioB);
    EXPECT_FALSE(drv.isChecked(kRadioA));
    EXPECT_TRUE(drv.isChecked(kRadioB));
    EXPECT_TRUE(drv.isChecked(kRadioC)) << "another group is untouched";

    // The program checks without unchecking, as the platform does.
    dlg.setChecked(kRadioA);
    EXPECT_TRUE(drv.isChecked(kRadioA));
    EXPECT_TRUE(drv.isChecked(kRadioB));
}

TEST(CheckBoxes, AClickToggles) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    drv.click(kCheck);
    EXPECT_TRUE(dlg.isChecked(kCheck));
    drv.click(kCheck);
    EXPECT_FALSE(dlg.isChecked(kCheck));
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"clicked 1010", "clicked 1010"}));
}

TEST(Keys, EnterAndEscapeIssueTheDialogsCommands) {
    struct Row {
        const char* name;
        int templateNumber;
        int focus; // kNoId: nothing focused
        bool escape;
        std::vector<std::string> events;
    };
    const Row rows[] = {
        {"Enter without a default button issues OK", kFormTemplate, kNote, false, {"ok"}},
        {"Enter on a focused button clicks it", kFormTemplate, kAction, false, {"clicked 1040"}},
        {"Enter issues the default button", kDefaultButtonTemplate, kNote, false, {"clicked 1040"}},
        {"Escape issues Cancel", kFormTemplate, ui::kNoId, true, {"cancel"}},
    };
    for (const Row& row : rows) {
        ui::ScriptedHost host;
        RecordingDialog dlg(row.templateNumber);
        auto drv = host.open(dlg);
        if (row.focus != ui::kNoId) {
            drv.focus(row.focus);
        }
        if (row.escape) {
            drv.pressEscape();
        } else {
            drv.pressEnter();
        }
        EXPECT_EQ(dlg.events, row.events) << row.name;
    }
}

TEST(ListView, SelectionMarkAndSelectedStateFollowTheWindowsModel) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    ui::ListViewRef list = dlg.list(kList);
    list.addColumn("Machine", 60);
    for (int row = 0; row < 4; ++row) {
        list.insert(row, "r" + std::to_string(row), row % 2 == 0);
        list.setText(row, 1, "10.0.0." + std::to_string(row));
    }
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.selectionMark(), -1) << "inserting does not set the mark";
    EXPECT_EQ(list.nextSelected(), 2) << "single selection: the last selected insert wins";
    EXPECT_FALSE(list.isSelected(0));
    EXPECT_EQ(list.text(3, 1), "10.0.0.3");
    EXPECT_EQ(list.text(7, 0), "") << "a row past the end reads empty";

    list.setSelectionMark(1);
    drv.clickRow(kList, 3);
    EXPECT_EQ(list.selectionMark(), 3);
    EXPECT_EQ(list.nextSelected(), 3);

    drv.clickRow(kList, -1);
    EXPECT_EQ(list.selectionMark(), -1) << "a click on empty space clears the mark";
    EXPECT_EQ(list.nextSelected(), -1);

    list.setSelectionMark(2);
    list.remove(0);
    EXPECT_EQ(list.selectionMark(), 1) << "the mark follows its row";
    list.remove(1);
    EXPECT_EQ(list.selectionMark(), -1) << "deleting the marked row clears the mark";

    list.setSelected(-1, true);
    EXPECT_EQ(list.nextSelected(), 1) << "selecting every row leaves one selected";
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"itemchanged 1030", "click 1030",
                                                    "itemchanged 1030", "click 1030"}));
}

TEST(ListView, DoubleClickFollowsTheClick) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    dlg.list(kList).insert(0, "only", true);
    drv.doubleClickRow(kList, 0);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"click 1030", "dblclick 1030"}));
}

TEST(DropDownList, OpeningNotifiesBeforeThePick) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    // Like the remote dialog: the list is refilled each time it opens.
    dlg.onEvent = [](RecordingDialog& d, int id, Notify n) {
        if (id == kCombo && n == Notify::DropDown) {
            ui::ComboRef combo = d.combo(kCombo);
            combo.reset();
            combo.add("newest");
            combo.add("oldest");
        }
    };
    auto drv = host.open(dlg);
    drv.select(kCombo, "oldest");
    EXPECT_EQ(dlg.combo(kCombo).selection(), 1);
    EXPECT_EQ(dlg.text(kCombo), "oldest");
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"dropdown 1020", "selected 1020"}));

    EXPECT_FALSE(dlg.combo(kCombo).select(7)) << "an index the list lacks is rejected";
    EXPECT_EQ(dlg.combo(kCombo).selection(), -1);
}

TEST(Messages, AreRecordedAndAnsweredFromTheScript) {
    ui::ScriptedHost host;
    host.beginWaitCursor();
    EXPECT_EQ(host.messageBox("Device reset finished", ui::Buttons::Ok, ui::Icon::Information),
              ui::Answer::Ok);
    host.endWaitCursor();
    host.answerMessage(ui::Answer::No);
    EXPECT_EQ(host.messageBox("Permanently change the Router setting", ui::Buttons::YesNo,
                              ui::Icon::Question),
              ui::Answer::No);
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[0].icon, ui::Icon::Information);
    EXPECT_EQ(host.messages()[0].caption, "Tolvaro");
    EXPECT_EQ(host.messages()[0].waitCursorDepth, 1);
    EXPECT_EQ(host.messages()[1].buttons, ui::Buttons::YesNo);

    EXPECT_THROW(host.messageBox("Question?", ui::Buttons::OkCancel), ui::ScriptError)
        << "a choice needs a scripted answer";
    host.answerMessage(ui::Answer::Yes);
    EXPECT_THROW(host.messageBox("Sure?", ui::Buttons::OkCancel), ui::ScriptError)
        << "an answer the box cannot give";
}

TEST(NestedDialogs, RunInsideTheActionThatOpensThem) {
    ui::ScriptedHost host;
    RecordingDialog outer;
    std::string typed;
    int nestedResult = 0;
    outer.onEvent = [&](RecordingDialog& d, int id, Notify n) {
        if (id == kAction && n == Notify::Clicked) {
            RecordingDialog inner(kNestedTemplate);
            nestedResult = inner.runModal(d.host());
            typed = inner.text(kNestedEdit);
        }
    };
    host.expectDialog(kNestedTemplate, [](ui::ScriptedDialogDriver& d) {
        d.type(kNestedEdit, "secret");
        d.pressEnter();
    });
    auto drv = host.open(outer);
    drv.click(kAction);
    EXPECT_EQ(nestedResult, ui::kIdOk);
    EXPECT_EQ(typed, "") << "the nested window is gone once its run returns";
    EXPECT_EQ(host.dialogsShown(), (std::vector<int>{kFormTemplate, kNestedTemplate}));
    EXPECT_TRUE(drv.isOpen());

    EXPECT_THROW(drv.click(kAction), ui::ScriptError) << "no script for a second run";
    host.expectDialog(kNestedTemplate,
                      [](ui::ScriptedDialogDriver& d) { d.type(kNestedEdit, "x"); });
    EXPECT_THROW(drv.click(kAction), ui::ScriptError) << "the script left the dialog open";
}

TEST(NestedDialogs, DialogStartMayEndTheDialog) {
    ui::ScriptedHost host;
    RecordingDialog dlg(kNestedTemplate);
    dlg.onStart = [](RecordingDialog& d) {
        d.endDialog(7);
    };
    host.expectDialog(kNestedTemplate, [](ui::ScriptedDialogDriver&) {
        ADD_FAILURE() << "a dialog closed at start is not scripted";
    });
    EXPECT_EQ(dlg.runModal(host), 7);
}

TEST(HostRecords, WaitsAndCursorNesting) {
    ui::ScriptedHost host;
    std::vector<int> seen;
    host.onSleep([&](int ms) { seen.push_back(ms); });
    {
        ui::WaitCursor outer(host);
        host.sleep(2000);
        {
            ui::WaitCursor inner(host);
            EXPECT_EQ(host.waitCursorDepth(), 2);
            host.sleep(6000);
        }
        EXPECT_EQ(host.waitCursorDepth(), 1);
    }
    host.sleep(10);
    host.endWaitCursor();
    EXPECT_EQ(seen, (std::vector<int>{2000, 6000, 10}));
    ASSERT_EQ(host.waits().size(), 3u);
    EXPECT_EQ(host.waits()[1].waitCursorDepth, 2);
    EXPECT_EQ(host.waits()[2].waitCursorDepth, 0);
    EXPECT_EQ(host.elapsedMs(), 8010);
    EXPECT_EQ(host.waitCursorDepth(), 0);
    EXPECT_EQ(host.unmatchedCursorEnds(), 1) << "an end without a begin is counted, not nested";
}

TEST(HostRecords, HelpButtonOpensTheTemplatesTopic) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    auto drv = host.open(dlg);
    drv.click(ui::kIdHelp);
    EXPECT_EQ(host.helpTopics(), (std::vector<int>{131072 + kFormTemplate}));
    EXPECT_TRUE(drv.isOpen());
}

TEST(ListView, ColumnWidthsUseTheScriptedFontMetrics) {
    ui::ScriptedHost host;
    RecordingDialog dlg;
    host.open(dlg);
    // 120 dialog units at an average character width of 6 pixels.
    EXPECT_EQ(dlg.list(kList).pixelWidth(), 180);
}

TEST(FileFilter, SplitsIntoPairs) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(ui::parseFileFilter("Config Files (*.cfg)|*.cfg|CFG Files"),
              (Pairs{{"Config Files (*.cfg)", "*.cfg"}}));
    EXPECT_EQ(ui::parseFileFilter("A|*.a|B|*.b||"), (Pairs{{"A", "*.a"}, {"B", "*.b"}}));
    EXPECT_TRUE(ui::parseFileFilter("").empty());
}

} // namespace
} // namespace tolvaro::test
