// The row an editable table's Edit and Delete act on is the list's selection
// mark, and the row the user sees chosen is the highlighted one. Every change
// of either goes through here, so the two are always the same row.
#pragma once

#include "ui/dialog.h"

namespace tolvaro::pages {

// Highlights exactly `row` and makes it the selection mark; -1 (or a row the
// list does not have) clears both.
inline void chooseRow(ui::ListViewRef list, int row) {
    list.setSelected(-1, false);
    if (row < 0 || row >= list.count()) {
        list.setSelectionMark(-1);
        return;
    }
    list.setSelected(row, true);
    list.setSelectionMark(row);
}

} // namespace tolvaro::pages
