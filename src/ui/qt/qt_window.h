// A dialog or page window of the Qt backend, built from a template.
// Internal to the backend.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QPoint>
#include <QPointer>
#include <QTreeWidget>

#include <map>
#include <optional>
#include <vector>

#include "ui/dialog.h"
#include "ui/text_rules.h"
#include "ui/window.h"

namespace tolvaro::ui {

// The program's icon: drawn, so that no image file has to be found at run time.
QIcon programIcon();

// Counts the user-interface handlers that are running, backend-wide. A
// window that loses activation to a message box, a file dialog or a nested
// dialog that some handler opened has not lost its focus: the focused field
// keeps it and gets it back when the window is active again, so no focus
// loss is reported for it.
class HandlerScope {
public:
    HandlerScope() { ++depth_; }
    ~HandlerScope() { --depth_; }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;
    static bool active() { return depth_ > 0; }

private:
    static inline int depth_ = 0;
};

// Where a popup menu opened by a ContextMenu handler appears: set for the
// handler's run by the window that reports the request (the pointer after a
// right click, under the current row after the menu key).
class PopupAnchor {
public:
    explicit PopupAnchor(QPoint global) : previous_(at_) { at_ = global; }
    ~PopupAnchor() { at_ = previous_; }
    PopupAnchor(const PopupAnchor&) = delete;
    PopupAnchor& operator=(const PopupAnchor&) = delete;
    // Null outside a ContextMenu handler.
    static std::optional<QPoint> current() { return at_; }

private:
    std::optional<QPoint> previous_;
    static inline std::optional<QPoint> at_;
};

class TypingValidator;

// Drop-down list that reports the opening of its list before it shows.
class DropDownCombo : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
signals:
    void aboutToDrop();
};

// A report list view. Its frame takes the highlight colour while it has the
// focus: the style marks neither a focused list nor, with whole rows
// selected, its current row.
class ListViewWidget : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    bool event(QEvent* event) override;
};

class QtWindow : public QDialog, public Window {
    Q_OBJECT
public:
    enum class Role { Modal, Modeless, Page, Preview };

    // `dialog` may be null for a preview: controls only, no handlers.
    QtWindow(const Template& t, Dialog* dialog, Role role, QWidget* parent = nullptr);
    ~QtWindow() override;

    static BaseUnits baseUnits(const QFont& font);
    QWidget* widget(int id) const;
    // Detaches the handlers: after this no notification reaches the dialog.
    void disconnectDialog() { dialog_ = nullptr; }
    bool isClosed() const { return closing_; }
    // Runs the window modally unless its start already closed it.
    int runModal();

    const Template& windowTemplate() const override { return *template_; }
    void close(int result) override;
    void setCaption(std::string_view caption) override;
    void repaintNow() override;
    std::string text(int id) const override;
    void setText(int id, std::string_view text) override;
    int checkState(int id) const override;
    void setCheckState(int id, int state) override;
    bool isEnabled(int id) const override;
    void setEnabled(int id, bool enabled) override;
    bool isVisible(int id) const override;
    void setVisible(int id, bool visible) override;
    void setTextLimit(int id, int characters) override;
    void setFocus(int id) override;
    int pixelWidth(int id) const override;
    void comboReset(int id) override;
    int comboAdd(int id, std::string_view item) override;
    int comboCount(int id) const override;
    std::string comboItem(int id, int index) const override;
    int comboSelection(int id) const override;
    bool comboSelect(int id, int index) override;
    void listAddColumn(int id, std::string_view title, int widthPixels) override;
    int listColumnCount(int id) const override;
    int listInsert(int id, int row, std::string_view text, bool selected) override;
    bool listSetText(int id, int row, int column, std::string_view text) override;
    std::string listText(int id, int row, int column) const override;
    bool listDelete(int id, int row) override;
    void listDeleteAll(int id) override;
    int listCount(int id) const override;
    int listSelectionMark(int id) const override;
    void listSetSelectionMark(int id, int row) override;
    bool listIsSelected(int id, int row) const override;
    void listSetSelected(int id, int row, bool selected) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        const ControlSpec* spec = nullptr;
        QWidget* widget = nullptr;
        TypingValidator* validator = nullptr; // single-line edits
        int limit = 0;
        int mark = -1;                 // list views: the selection mark
        std::vector<int> columnWidths; // list views: the widths the page asked for
        std::vector<int> textWidths;   // list views: each column's widest text
    };

    static bool isEditKind(ControlKind kind);
    void build();
    QWidget* makeControl(const ControlSpec& spec, TypingValidator** validator);
    // Gives drop-down list `combo` a label that screen readers take its name from.
    void labelCombo(QWidget* combo, const QString& name);
    // Shares list `id`'s width out among its columns (ui::fitColumns).
    void fitColumns(int id);
    // Widens the record of column `column`'s widest text for `text`.
    void noteText(int id, int column, const QString& text);
    void recountColumns(int id);
    void notify(int id, Notify notification);
    // ContextMenu for list `id`, its popup anchored at `global`.
    void requestMenu(int id, QPoint global);
    void clickRadio(int id);
    Entry* entry(int id);
    const Entry* entry(int id) const;
    QTreeWidget* list(int id) const;

    const Template* template_;
    Dialog* dialog_;
    Role role_;
    BaseUnits units_;
    std::map<int, Entry> entries_;
    std::map<QObject*, int> ids_;
    bool closing_ = false;
    bool running_ = false;
};

} // namespace tolvaro::ui
