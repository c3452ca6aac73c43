// QtWindow: list views (columns, rows, selection and selection mark).
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
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
    entry(id)->columnWidths.push_back(widthPixels);
    fitColumns(id);
}

void QtWindow::recountColumns(int id) {
    QTreeWidget* tree = list(id);
    Entry* e = entry(id);
    if (!tree || !e) {
        return;
    }
    e->textWidths.assign(static_cast<std::size_t>(tree->columnCount()), 0);
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        for (int c = 0; c < tree->columnCount(); ++c) {
            noteText(id, c, tree->topLevelItem(row)->text(c));
        }
    }
}

void QtWindow::noteText(int id, int column, const QString& text) {
    QTreeWidget* tree = list(id);
    Entry* e = entry(id);
    if (!tree || !e || column < 0 || column >= tree->columnCount()) {
        return;
    }
    auto& widths = e->textWidths;
    widths.resize(static_cast<std::size_t>(tree->columnCount()), 0);
    int& widest = widths[static_cast<std::size_t>(column)];
    widest = std::max(widest, tree->fontMetrics().horizontalAdvance(text));
}

void QtWindow::fitColumns(int id) {
    QTreeWidget* tree = list(id);
    Entry* e = entry(id);
    if (!tree || !e || e->columnWidths.empty()) {
        return;
    }
    // The widths the pages ask for share out the list's width; a header or
    // value that needs more takes room from columns that can spare it, so
    // that every column stays in sight without a sideways scroll.
    QHeaderView* header = tree->header();
    const QFontMetrics fm(tree->font());
    // A cell's text with the margins the style puts around it.
    const int margins =
        2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1) +
        fm.averageCharWidth();
    e->textWidths.resize(static_cast<std::size_t>(tree->columnCount()), 0);
    std::vector<int> headers;
    std::vector<int> needed;
    for (int c = 0; c < tree->columnCount(); ++c) {
        headers.push_back(header->sectionSizeHint(c));
        needed.push_back(
            std::max(headers.back(), e->textWidths[static_cast<std::size_t>(c)] + margins));
    }
    int available = tree->width() - 2 * tree->frameWidth();
    if (tree->verticalScrollBar()->isVisible() ||
        tree->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) {
        available -= tree->verticalScrollBar()->sizeHint().width();
    }
    // Headers first: when the values need more room than the list has, every
    // column still says what it holds, and long values are cut instead.
    const std::vector<int> widths =
        ui::fitColumns(ui::fitColumns(e->columnWidths, headers, available), needed, available);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        header->resizeSection(static_cast<int>(c), widths[c]);
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
    // A value cut short in a narrow column can still be read whole.
    item->setToolTip(0, item->text(0));
    noteText(id, 0, item->text(0));
    {
        const QSignalBlocker quiet(tree);
        tree->insertTopLevelItem(at, item);
    }
    fitColumns(id);
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
    item->setToolTip(column, item->text(column));
    noteText(id, column, item->text(column));
    fitColumns(id);
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
    recountColumns(id);
    fitColumns(id);
    Entry* e = entry(id);
    e->mark = indexAfterRemove(e->mark, row);
    return true;
}

void QtWindow::listDeleteAll(int id) {
    if (QTreeWidget* tree = list(id)) {
        const QSignalBlocker quiet(tree);
        tree->clear();
        entry(id)->mark = -1;
        recountColumns(id);
        fitColumns(id);
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
