// What a list shows chosen and what Edit and Delete would act on, in one
// text, so a test states that the two are the same row.
#pragma once

#include <string>

#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {

// "mark R, highlighted H" (H: the highlighted rows, "-" for none).
inline std::string listChoice(const ui::ScriptedDialogDriver& d, int list) {
    std::string highlighted;
    for (int row = 0; row < d.listCount(list); ++row) {
        if (d.listIsSelected(list, row))
            highlighted += (highlighted.empty() ? "" : " ") + std::to_string(row);
    }
    return "mark " + std::to_string(d.listSelectionMark(list)) + ", highlighted " +
           (highlighted.empty() ? "-" : highlighted);
}

} // namespace tolvaro::test
