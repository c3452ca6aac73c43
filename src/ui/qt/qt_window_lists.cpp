// QtWindow: list views (columns, rows, selection and selection mark).
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

#include "ui/control_rules.h"
#include "ui/qt/qt_convert.h"
#include "ui/qt/qt_window.h"

namespace tolvaro::ui {

void QtWindow::listAddColumn(int id, std::string_view title, int widthPixels) {
    QTreeWidget* tree = list(id);
    if (!tree) {
        return;
    }
    const int column = tree->columnCount();
    tree->setColumnCount(column + 1);
    tree->headerItem()->setText(column, qs(title));
    // The widths the pages ask for share out the list's width; a header or
    // value that needs more widens its column (the list then scrolls).
    tree->header()->resizeSection(column, std::max(0, widthPixels));
    fitColumn(tree, column, qs(title));
}

void QtWindow::fitColumn(QTreeWidget* tree, int column, const QString& text) const {
    const QFontMetrics fm(tree->font());
    const int needed = fm.horizontalAdvance(text) + 2 * fm.averageCharWidth();
    if (tree->header()->sectionSize(column) < needed) {
        tree->header()->resizeSection(column, needed);
    }
}

int QtWindow::listColumnCount(int id) const {
    QTreeWidget* tree = list(id);
    return tree ? tree->columnCount() : 0;
}

int QtWindow::listInsert(int id, int row, std::string_view text, bool selected) {
    QTreeWidget* tree = list(id);
    if (!tree) {
        return -1;
    }
    const int at = std::clamp(row, 0, tree->topLevelItemCount());
    auto* item = new QTreeWidgetItem;
    item->setText(0, qs(text));
    {
        const QSignalBlocker quiet(tree);
        tree->insertTopLevelItem(at, item);
    }
    if (tree->columnCount() > 0) {
        fitColumn(tree, 0, item->text(0));
    }
    Entry* e = entry(id);
    e->mark = indexAfterInsert(e->mark, at);
    if (selected) {
        listSetSelected(id, at, true);
    }
    return at;
}

bool QtWindow::listSetText(int id, int row, int column, std::string_view text) {
    QTreeWidget* tree = list(id);
    QTreeWidgetItem* item = tree ? tree->topLevelItem(row) : nullptr;
    if (!item || column < 0) {
        return false;
    }
    item->setText(column, qs(text));
    if (column < tree->columnCount()) {
        fitColumn(tree, column, item->text(column));
    }
    return true;
}

std::string QtWindow::listText(int id, int row, int column) const {
    QTreeWidget* tree = list(id);
    QTreeWidgetItem* item = tree ? tree->topLevelItem(row) : nullptr;
    return item && column >= 0 ? ss(item->text(column)) : std::string();
}

bool QtWindow::listDelete(int id, int row) {
    QTreeWidget* tree = list(id);
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) {
        return false;
    }
    {
        const QSignalBlocker quiet(tree);
        delete tree->takeTopLevelItem(row);
    }
    Entry* e = entry(id);
    e->mark = indexAfterRemove(e->mark, row);
    return true;
}

void QtWindow::listDeleteAll(int id) {
    if (QTreeWidget* tree = list(id)) {
        const QSignalBlocker quiet(tree);
        tree->clear();
        entry(id)->mark = -1;
    }
}

int QtWindow::listCount(int id) const {
    QTreeWidget* tree = list(id);
    return tree ? tree->topLevelItemCount() : 0;
}

int QtWindow::listSelectionMark(int id) const {
    const Entry* e = entry(id);
    return e && list(id) ? e->mark : -1;
}

void QtWindow::listSetSelectionMark(int id, int row) {
    Entry* e = entry(id);
    QTreeWidget* tree = list(id);
    if (!e || !tree) {
        return;
    }
    e->mark = row;
    if (QTreeWidgetItem* item = tree->topLevelItem(row)) {
        const QSignalBlocker quiet(tree);
        tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
}

bool QtWindow::listIsSelected(int id, int row) const {
    QTreeWidget* tree = list(id);
    QTreeWidgetItem* item = tree ? tree->topLevelItem(row) : nullptr;
    return item && item->isSelected();
}

void QtWindow::listSetSelected(int id, int row, bool selected) {
    QTreeWidget* tree = list(id);
    if (!tree) {
        return;
    }
    const QSignalBlocker quiet(tree);
    if (row == -1) {
        tree->clearSelection();
        if (selected && tree->topLevelItemCount() > 0) {
            tree->topLevelItem(tree->topLevelItemCount() - 1)->setSelected(true);
        }
    } else if (QTreeWidgetItem* item = tree->topLevelItem(row)) {
        if (selected) {
            tree->clearSelection();
        }
        item->setSelected(selected);
    }
}

} // namespace tolvaro::ui
