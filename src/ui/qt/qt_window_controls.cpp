// QtWindow: reading and changing single controls and drop-down lists.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/control_rules.h"
#include "ui/qt/qt_convert.h"
#include "ui/qt/qt_window.h"

namespace tolvaro::ui {

std::string QtWindow::text(int id) const {
    QWidget* w = widget(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return ss(edit->text());
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        // A multi-line edit's lines end in CR LF, as the program wrote them.
        return ss(edit->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return ss(combo->currentText());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return ss(button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return ss(label->text());
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return ss(group->title());
    }
    return {};
}

void QtWindow::setText(int id, std::string_view text) {
    QWidget* w = widget(id);
    const QString t = qs(text);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(t);
        // A filled field shows the start of its text, as the platform's does.
        edit->setCursorPosition(0);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        QString plain = t;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (plain != edit->toPlainText()) {
            edit->setPlainText(plain);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            combo->setEditText(t);
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(t);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(qs(stripMnemonics(text)));
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(t);
    }
}

int QtWindow::checkState(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(widget(id));
    return button && button->isCheckable() && button->isChecked() ? 1 : 0;
}

void QtWindow::setCheckState(int id, int state) {
    auto* button = qobject_cast<QAbstractButton*>(widget(id));
    if (button && button->isCheckable()) {
        button->setChecked(state != 0);
    }
}

bool QtWindow::isEnabled(int id) const {
    QWidget* w = widget(id);
    return w && w->isEnabled();
}

void QtWindow::setEnabled(int id, bool enabled) {
    if (QWidget* w = widget(id)) {
        w->setEnabled(enabled);
    }
}

bool QtWindow::isVisible(int id) const {
    QWidget* w = widget(id);
    return w && !w->isHidden();
}

void QtWindow::setVisible(int id, bool visible) {
    if (QWidget* w = widget(id)) {
        w->setVisible(visible);
    }
}

void QtWindow::setFocus(int id) {
    if (QWidget* w = widget(id)) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

int QtWindow::pixelWidth(int id) const {
    QWidget* w = widget(id);
    return w ? w->width() : 0;
}

void QtWindow::comboReset(int id) {
    if (auto* combo = qobject_cast<QComboBox*>(widget(id))) {
        const QString typed = combo->isEditable() ? combo->currentText() : QString();
        combo->clear();
        if (combo->isEditable()) {
            // Emptying the list leaves the field's text alone.
            combo->setEditText(typed);
        }
    }
}

int QtWindow::comboAdd(int id, std::string_view item) {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    if (!combo) {
        return -1;
    }
    int at = combo->count();
    if (entry(id)->spec->flags & kSorted) {
        std::vector<std::string> items;
        for (int i = 0; i < combo->count(); ++i) {
            items.push_back(ss(combo->itemText(i)));
        }
        at = sortedInsertPosition(items, item);
    }
    const QString typed = combo->isEditable() ? combo->currentText() : QString();
    const int before = combo->currentIndex();
    combo->insertItem(at, qs(item));
    // The selection stays on its item; a list without one shows nothing
    // until an item is chosen.
    combo->setCurrentIndex(indexAfterInsert(before, at));
    if (combo->isEditable()) {
        combo->setEditText(typed);
    }
    return at;
}

int QtWindow::comboCount(int id) const {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    return combo ? combo->count() : 0;
}

std::string QtWindow::comboItem(int id, int index) const {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    return combo && index >= 0 && index < combo->count() ? ss(combo->itemText(index))
                                                         : std::string();
}

int QtWindow::comboSelection(int id) const {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    return combo ? combo->currentIndex() : -1;
}

bool QtWindow::comboSelect(int id, int index) {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    if (!combo) {
        return false;
    }
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return false;
    }
    combo->setCurrentIndex(index);
    return true;
}

} // namespace tolvaro::ui
