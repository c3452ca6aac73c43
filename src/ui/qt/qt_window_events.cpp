// QtWindow: keyboard, mouse, focus and close events turned into notifications.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include "ui/control_rules.h"
#include "ui/qt/qt_window.h"

namespace tolvaro::ui {

void QtWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_F1 && dialog_) {
        // F1 opens this window's help topic, as its Help button would.
        event->accept();
        notify(kIdHelp, Notify::Clicked);
        return;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (role_ == Role::Page || (!enter && key != Qt::Key_Escape)) {
        // Pages leave Enter and Escape to their sheet.
        if (role_ == Role::Page && (enter || key == Qt::Key_Escape)) {
            event->ignore();
            return;
        }
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (key == Qt::Key_Escape) {
        notify(kIdCancel, Notify::Clicked);
        return;
    }
    const auto focused = ids_.find(focusWidget());
    notify(enterCommand(*template_, focused == ids_.end() ? kNoId : focused->second,
                        [this](int id) { return isEnabled(id) && isVisible(id); }),
           Notify::Clicked);
}

void QtWindow::closeEvent(QCloseEvent* event) {
    // The close box is the Cancel command; the dialog decides whether to end.
    event->ignore();
    if (role_ == Role::Modal || role_ == Role::Modeless) {
        notify(kIdCancel, Notify::Clicked);
    }
}

void QtWindow::reject() {
    notify(kIdCancel, Notify::Clicked);
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
    auto it = ids_.find(watched);
    int id = it == ids_.end() ? kNoId : it->second;
    if (id == kNoId && watched->parent()) {
        // An editable drop-down list's field.
        auto parent = ids_.find(watched->parent());
        id = parent == ids_.end() ? kNoId : parent->second;
    }
    if (id == kNoId) {
        return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Resize:
        // A vertical scroll bar that comes or goes changes the room for the columns.
        if (auto* tree = list(id); tree && watched == tree->viewport()) {
            fitColumns(id);
        }
        break;
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const Entry* e = entry(id);
        const bool deactivatedByHandler =
            reason == Qt::ActiveWindowFocusReason && HandlerScope::active();
        if (e && isEditKind(e->spec->kind) && reason != Qt::PopupFocusReason &&
            !deactivatedByHandler) {
            notify(id, Notify::FocusLost);
        }
        break;
    }
    case QEvent::KeyPress: {
        auto* tree = list(id);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKey = key->key() == Qt::Key_Menu ||
                             (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
        if (tree && watched == tree && menuKey) {
            QTreeWidgetItem* current = tree->currentItem();
            const QRect row = current ? tree->visualItemRect(current) : QRect();
            requestMenu(
                id, tree->viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint(0, 0)));
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* tree = list(id);
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool right = mouse->button() == Qt::RightButton;
        if (tree && watched == tree->viewport() && (mouse->button() == Qt::LeftButton || right)) {
            QTreeWidgetItem* item = tree->itemAt(mouse->position().toPoint());
            const int row = item ? tree->indexOfTopLevelItem(item) : -1;
            if (row < 0) {
                listSetSelected(id, -1, false);
            }
            entry(id)->mark = row;
            notify(id, Notify::ListClick);
            // A right click selects as a left click does, then asks for the menu.
            if (right && !closing_) {
                requestMenu(id, mouse->globalPosition().toPoint());
            }
        }
        break;
    }
    case QEvent::MouseButtonDblClick: {
        auto* tree = list(id);
        if (tree && watched == tree->viewport()) {
            notify(id, Notify::ListDoubleClick);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tolvaro::ui
