// The scripted backend: windows held in memory, driven by tests as a user
// would drive them, with every message, wait, cursor change, file dialog and
// help request recorded.
//
//     ScriptedHost host;
//     CPasswordDlg dlg(...);
//     auto drv = host.open(dlg);           // dialog start has run
//     drv.type(kPasswordEdit, "secret");
//     drv.click(kIdOk);
//     EXPECT_FALSE(drv.isOpen());
//
// Nested modal dialogs and sheets are answered by scripts queued before the
// action that opens them; they run re-entrantly inside that action:
//
//     host.expectDialog(143, [](ScriptedDialogDriver& d) { d.type(1039, "pw"); d.click(kIdOk); });
//     host.answerMessage(Answer::Yes);
//
// An unexpected nested dialog or sheet, a script that leaves its dialog open,
// a message box with a choice but no queued answer, and any action on a
// control the user could not reach throw ScriptError, so a test cannot pass by
// accident; so does a popup menu with no queued answerMenu()/dismissMenu().
// Scripts and answers still queued when the host goes are reported
// to the handler set with ScriptedHost::onUnused (the test support makes each
// one a test failure).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/host.h"
#include "ui/property_sheet.h"

namespace tolvaro::ui {

class ScriptedWindow;

struct ScriptError : std::logic_error {
    using std::logic_error::logic_error;
};

// Drives one open dialog or page window.
class ScriptedDialogDriver {
public:
    ScriptedDialogDriver(Dialog& dialog, ScriptedWindow& window)
        : dialog_(&dialog), window_(&window) {}

    // User actions. Each throws ScriptError when the control is missing,
    // hidden, disabled or of the wrong kind, or the window is closed: a test
    // cannot go on past an action no user could take.
    // Focuses the control and replaces its text as typing would: characters
    // beyond the limit, and non-digits in a digits-only edit, are refused;
    // letters of a lower-case edit become lower case. One TextChanged follows.
    void type(int id, std::string_view text);
    // Moves the keyboard focus; the control that had it gets FocusLost.
    void focus(int id);
    // Takes the focus away from the focused control (FocusLost) without
    // giving it to another one.
    void leave();
    // Focus, then: check boxes toggle, radio buttons check (and uncheck the
    // rest of their group), then Clicked (ids 1 and 2: OK and Cancel).
    void click(int id);
    // Drop-down list: opens the list (DropDown), picks an item, SelectionChanged.
    // An index or item the list lacks throws after the list was opened.
    void select(int id, int index);
    void select(int id, std::string_view item);
    // Opens the drop-down list only (DropDown).
    void dropDown(int id);
    // List view: click on a row (-1: empty space). The row becomes the only
    // selected row and the selection mark (-1 clears both); then ListClick.
    // A row the list lacks throws.
    void clickRow(int id, int row);
    void doubleClickRow(int id, int row);
    // List view: right click on a row (-1: empty space): exactly clickRow's
    // selection and notifications, then ContextMenu.
    void rightClickRow(int id, int row);
    // List view: an arrow key moves the selection to `row` (no click). As
    // with real list views, ListItemChanged comes before the selection mark
    // moves.
    void moveToRow(int id, int row);
    // Enter: the focused push button when it is usable, else the first
    // usable default button, else OK. On a page, OK and Cancel belong to the
    // sheet (ScriptedSheetDriver).
    void pressEnter();
    void pressEscape();
    // The menu key (or Shift+F10): ContextMenu to the focused list view;
    // elsewhere nothing happens.
    void pressMenuKey();
    void sysCommand(unsigned command);
    // The four above throw ScriptError on a closed window, as the actions on
    // controls do.

    // What the user sees.
    // True when an action on the control would be accepted: it exists, is
    // visible and enabled, and the window is open. Tests of a disabled
    // control ask this instead of trying the action.
    bool isUsable(int id) const;
    std::string text(int id) const;
    bool isChecked(int id) const;
    bool isEnabled(int id) const;
    bool isVisible(int id) const;
    int textLimit(int id) const; // 0: no limit set
    int focused() const;
    std::vector<std::string> comboItems(int id) const;
    int comboSelection(int id) const;
    int listCount(int id) const;
    std::string listText(int id, int row, int column = 0) const;
    std::vector<std::string> listColumns(int id) const;
    std::vector<int> listColumnWidths(int id) const;
    int listSelectionMark(int id) const;
    bool listIsSelected(int id, int row) const;
    std::string caption() const;

    bool isOpen() const;
    int result() const { return dialog_->result(); }
    Dialog& dialog() const { return *dialog_; }

private:
    void require(int id, const char* action) const;
    void requireOpen(const char* action) const;
    Dialog* dialog_;
    ScriptedWindow* window_;
};

class ScriptedHost;

// Drives an open property sheet.
class ScriptedSheetDriver {
public:
    ScriptedSheetDriver(ScriptedHost& host, PropertySheet& sheet) : host_(&host), sheet_(&sheet) {}
    // Tab click; false when the current page refuses. A page the sheet lacks,
    // or a closed sheet, throws.
    bool selectPage(int index);
    bool pressOK();     // false when the current page refuses; a closed sheet throws
    void pressCancel(); // a closed sheet throws
    int activePage() const { return sheet_->activeIndex(); }
    bool isCreated(int index) const { return sheet_->isCreated(index); }
    bool isOpen() const { return sheet_->isOpen(); }
    // The current page's window (selectPage first for another page).
    ScriptedDialogDriver page() const;
    ScriptedDialogDriver page(int index) const; // a created page
    PropertySheet& sheet() const { return *sheet_; }

private:
    ScriptedHost* host_;
    PropertySheet* sheet_;
};

struct MessageRecord {
    std::string text;
    std::string caption;
    Buttons buttons;
    Icon icon;
    Answer answer;
    int waitCursorDepth; // wait-cursor nesting when the box appeared
};

struct WaitRecord {
    int ms;
    int waitCursorDepth;
};

enum class CursorChange { Begin, End };

struct FileDialogRecord {
    bool save;
    FileDialogOptions options;
};

// In-memory settings store whose operations can be made to fail.
class MemorySettings : public SettingsStore {
public:
    bool openKey(std::string_view key) override;
    bool createKey(std::string_view key) override;
    std::optional<std::string> readValue(std::string_view key, std::string_view name) override;
    bool writeValue(std::string_view key, std::string_view name, std::string_view value) override;

    bool failOpen = false;
    bool failCreate = false;
    bool failWrite = false;
    // key -> (name -> value); keys compare without regard to a trailing backslash.
    std::map<std::string, std::map<std::string, std::string>> keys;
};

class ScriptedHost : public Host {
public:
    ScriptedHost();
    ~ScriptedHost() override;

    // Starts a dialog as if run modally (dialog start runs) and hands it to
    // the test; the window stays until the dialog ends or the host goes.
    ScriptedDialogDriver open(Dialog& dialog);
    // Starts a sheet with its first page current.
    ScriptedSheetDriver open(PropertySheet& sheet);

    // Scripts for nested modal runs, each used once, in order per template.
    void expectDialog(int templateNumber, std::function<void(ScriptedDialogDriver&)> script);
    void expectSheet(std::function<void(ScriptedSheetDriver&)> script);
    // Answers for the next message boxes, in order. A box with the OK button
    // only needs none.
    void answerMessage(Answer answer);
    void onMessage(std::function<Answer(const MessageRecord&)> handler);
    // Answers for the next file dialogs: a path, or nothing for Cancel.
    void answerFileDialog(std::optional<std::string> path);
    // Answers for the next popup menus: the index of the item chosen, or a
    // dismissal. A menu with no answer queued, or an index it lacks, throws.
    void answerMenu(int index) { menuAnswers_.emplace_back(index); }
    void dismissMenu() { menuAnswers_.emplace_back(std::nullopt); }
    // Called on every sleep after it is recorded (e.g. to move a simulated
    // device on).
    void onSleep(std::function<void(int ms)> hook) { sleepHook_ = std::move(hook); }

    // What is still queued: one line per dialog script, sheet script, message
    // answer and file-dialog answer no action has used yet.
    std::vector<std::string> unused() const;
    // Called once per host that goes with unused scripts or answers, with a
    // description of them. Process-wide; the default does nothing.
    static void onUnused(std::function<void(const std::string&)> handler);

    const std::vector<MessageRecord>& messages() const { return messages_; }
    std::vector<std::string> messageTexts() const;
    const std::vector<WaitRecord>& waits() const { return waits_; }
    // A wait shown with a progress window: what it said and how long; each is
    // also one entry of waits().
    struct ProgressRecord {
        std::string what;
        int ms;
    };
    // A progress window: the text it opened with, the parts its bar is split
    // in (1 for a lone wait), the waits it showed and whether it is open.
    struct ProgressWindow {
        std::string what;
        int parts;
        std::vector<ProgressRecord> waits;
        bool open;
    };
    const std::vector<ProgressWindow>& progressWindows() const { return progress_; }
    long long elapsedMs() const { return elapsedMs_; }
    const std::vector<CursorChange>& cursorChanges() const { return cursorChanges_; }
    int waitCursorDepth() const { return waitDepth_; }
    int unmatchedCursorEnds() const { return unmatchedEnds_; }
    const std::vector<FileDialogRecord>& fileDialogs() const { return fileDialogs_; }
    // The items of every popup menu shown, in order.
    const std::vector<std::vector<std::string>>& menusShown() const { return menus_; }
    const std::vector<int>& helpTopics() const { return helpTopics_; }
    const std::vector<std::string>& openedUrls() const { return urls_; }
    // Template numbers of every dialog run modally or created modeless, in order.
    const std::vector<int>& dialogsShown() const { return dialogsShown_; }
    // Every sheet caption run, in order.
    const std::vector<std::string>& sheetsShown() const { return sheetsShown_; }
    void clearRecords();

    MemorySettings settingsStore;
    std::string localHostName = "tolvaro-test";
    std::vector<std::string> localAddresses = {"127.0.0.1"};

    // Host.
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void sleep(int ms) override;
    void sleepWithProgress(std::string_view what, int ms) override;
    void beginProgress(std::string_view what, int parts) override;
    void endProgress() override;
    int runDialog(Dialog& dialog) override;
    int runSheet(PropertySheet& sheet) override;
    void createModeless(Dialog& dialog) override;
    void destroyModeless(Dialog& dialog) override;
    std::optional<std::string> openFileName(const FileDialogOptions& options) override;
    std::optional<std::string> saveFileName(const FileDialogOptions& options) override;
    std::optional<int> popupMenu(const std::vector<std::string>& items) override;
    SettingsStore& settings() override { return settingsStore; }
    void openUrl(std::string_view url) override { urls_.emplace_back(url); }
    void showHelp(int topic) override { helpTopics_.push_back(topic); }
    std::string hostName() override { return localHostName; }
    Answer showMessage(std::string_view text, Buttons buttons, Icon icon,
                       std::string_view caption) override;
    std::vector<std::string> hostAddresses() override { return localAddresses; }

    // The scripted window of an attached dialog (for drivers).
    ScriptedWindow& windowOf(Dialog& dialog);

private:
    class Frame;
    ScriptedWindow& build(Dialog& dialog, bool child);
    void release(Dialog& dialog);
    std::optional<std::string> fileDialog(bool save, const FileDialogOptions& options);

    std::map<Dialog*, std::unique_ptr<ScriptedWindow>> windows_;
    std::vector<std::unique_ptr<Frame>> frames_;
    std::map<int, std::deque<std::function<void(ScriptedDialogDriver&)>>> dialogScripts_;
    std::deque<std::function<void(ScriptedSheetDriver&)>> sheetScripts_;
    std::deque<Answer> answers_;
    std::function<Answer(const MessageRecord&)> messageHandler_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::deque<std::optional<int>> menuAnswers_;
    std::function<void(int)> sleepHook_;

    std::vector<MessageRecord> messages_;
    std::vector<WaitRecord> waits_;
    std::vector<ProgressWindow> progress_;
    int progressDepth_ = 0; // open begins; the open window is progress_.back()
    long long elapsedMs_ = 0;
    std::vector<CursorChange> cursorChanges_;
    int waitDepth_ = 0;
    int unmatchedEnds_ = 0;
    std::vector<FileDialogRecord> fileDialogs_;
    std::vector<std::vector<std::string>> menus_;
    std::vector<int> helpTopics_;
    std::vector<std::string> urls_;
    std::vector<int> dialogsShown_;
    std::vector<std::string> sheetsShown_;
};

} // namespace tolvaro::ui
