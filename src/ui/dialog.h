// Dialog: a modal (or modeless) window built from a template, with the
// handlers a dialog class overrides and access to its controls by id.
//
// Lifetime: the window exists from the start of runModal()/create() until the
// run returns or destroy() is called; control access outside that span does
// nothing and reads as empty. Handlers run on the one user-interface thread.
//
// Commands: a click on id 1 (OK, also Enter) calls onOK(), on id 2 (Cancel,
// Escape, close box) onCancel(), on kIdHelp onHelp(); every other click and
// every notification goes to onCommand(id, notification).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "ui/template.h"
#include "ui/window.h"

namespace tolvaro::ui {

class Host;

enum class Notify {
    Clicked,          // button, check box, radio button
    TextChanged,      // edit text changed (user or program)
    FocusLost,        // edit lost the keyboard focus
    SelectionChanged, // drop-down list: the user picked an item
    DropDown,         // drop-down list: about to open its list
    ListClick,        // list view: click (on a row or on empty space)
    ListDoubleClick,  // list view: double-click
    ListItemChanged,  // list view: an item's state changed
    // List view: right click (after the ListClick it makes, since the click
    // selects as a left click would), or the menu key or Shift+F10 while the
    // list has the focus. The handler may call Host::popupMenu.
    ContextMenu,
};

class Dialog;

// Drop-down list of a dialog, addressed by id.
class ComboRef {
public:
    ComboRef(Window* window, int id) : window_(window), id_(id) {}
    void reset();
    int add(std::string_view item); // index of the new item
    int count() const;
    std::string item(int index) const;
    int selection() const;    // -1 when nothing is selected
    bool select(int index);   // false when the list rejects the index
    std::string text() const; // the field's text (selected item or typed text)
    void setText(std::string_view text);

private:
    Window* window_;
    int id_;
};

// Report-style list view of a dialog, addressed by id.
class ListViewRef {
public:
    ListViewRef(Window* window, int id) : window_(window), id_(id) {}
    void addColumn(std::string_view title, int widthPixels);
    int columnCount() const;
    int insert(int row, std::string_view text, bool selected = false);
    bool setText(int row, int column, std::string_view text);
    std::string text(int row, int column = 0) const;
    bool remove(int row);
    void removeAll();
    int count() const;
    int selectionMark() const; // -1 when there is none
    void setSelectionMark(int row);
    bool isSelected(int row) const;
    void setSelected(int row, bool selected = true); // row -1: every row
    // The first selected row after `start` (-1 searches from the top), or -1.
    int nextSelected(int start = -1) const;
    int pixelWidth() const;

private:
    Window* window_;
    int id_;
};

class Dialog {
public:
    explicit Dialog(int templateNumber);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns the value given to endDialog().
    int runModal(Host& host);
    // Modeless: shows the window and returns at once; destroy() removes it.
    void create(Host& host);
    void destroy();

    void endDialog(int result);
    int templateNumber() const { return templateNumber_; }
    bool isOpen() const { return window_ != nullptr; }
    Host& host() const;

    // Controls. Ids the template lacks are skipped.
    std::string text(int id) const;
    void setText(int id, std::string_view text);
    // The text as an unsigned number: optional leading blanks, then digits
    // only. Anything else, or a value above 4294967295, reads as 0 with
    // *translated false.
    unsigned number(int id, bool* translated = nullptr) const;
    void setNumber(int id, unsigned value);
    bool isChecked(int id) const;
    int checkState(int id) const;
    void setChecked(int id, bool checked = true);
    void enable(int id, bool enabled = true);
    void enable(std::initializer_list<int> ids, bool enabled = true);
    bool isEnabled(int id) const;
    void show(int id, bool visible = true);
    void show(std::initializer_list<int> ids, bool visible = true);
    bool isVisible(int id) const;
    void limitText(int id, int characters);
    void focus(int id);
    ComboRef combo(int id) const { return ComboRef(window_, id); }
    ListViewRef list(int id) const { return ListViewRef(window_, id); }
    void setCaption(std::string_view caption);
    void repaintNow();

    // Backend entry points: a backend attaches the window it built, reports
    // what the user does through command()/sysCommand(), and detaches the
    // window when it is gone.
    void attach(Host& host, Window& window);
    void detach();
    Window* window() const { return window_; }
    void start() { onInitDialog(); }
    void command(int id, Notify notification);
    void sysCommand(unsigned command) { onSysCommand(command); }
    int result() const { return result_; }

protected:
    // Dialog start, after the controls exist.
    virtual void onInitDialog() {}
    virtual void onOK() { endDialog(kIdOk); }
    virtual void onCancel() { endDialog(kIdCancel); }
    virtual void onHelp();
    virtual void onCommand(int id, Notify notification) {
        (void)id;
        (void)notification;
    }
    // Window-menu commands (minimise, close and the program's own entries).
    virtual void onSysCommand(unsigned command) { (void)command; }

    friend class PropertySheet;

private:
    int templateNumber_;
    Host* host_ = nullptr;
    Window* window_ = nullptr;
    int result_ = 0;
};

} // namespace tolvaro::ui
