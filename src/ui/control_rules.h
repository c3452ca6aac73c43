// Decisions about controls that both backends make alike: which command
// Enter issues, where a selection goes when items are inserted or removed,
// and what a control is called for a screen reader. Pure functions over the
// template, so that a scripted test and the real window cannot disagree.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/template.h"

namespace tolvaro::ui {

// The command Enter issues: the focused push button; else the first default
// button, in template order, that `usable` (enabled and shown) accepts; else
// OK. `focused` is kNoId when no control has the focus.
int enterCommand(const Template& t, int focused, const std::function<bool(int id)>& usable);

// Where a sorted list puts `item`: after every item that sorts before it or
// equal to it.
int sortedInsertPosition(const std::vector<std::string>& items, std::string_view item);

// A selection (drop-down list) or selection mark (list view) after a row is
// inserted at `at`: it stays on the same item. -1 stays -1.
int indexAfterInsert(int index, int at);
// The same after row `row` is removed: the removed item's index becomes -1.
int indexAfterRemove(int index, int row);

// What a screen reader calls an input control: the label on its row to its
// left, else the label above it, within the same group frame; else the
// group's caption; else the window's caption. Mnemonics and a trailing ":"
// are dropped; separator statics ("." between address octets) never count.
// A label that is only a number ("1.") is read after its frame's caption
// ("DNS IP Address 1").
std::string accessibleLabel(const Template& t, const ControlSpec& control);

// Controls the user types into, picks from or ticks: the ones that need a
// name of their own.
bool isInputControl(ControlKind kind);

// Every control's name for a screen reader, by index into `t.controls`
// (empty for statics, frames and icons): a push button's own text, an input
// control's accessibleLabel, or a check box's or radio button's own text.
// Names are unique within the window: fields that share a label on one row
// become "<label>, part k of n" (the four boxes of an address); other
// repeats gain their group frame's caption ("Add, Virtual Server"), and
// failing that their position.
std::vector<std::string> accessibleNames(const Template& t);

// The widths a list's columns get so that all of them show: `asked` are the
// widths the page gave, `needed` the widths their header and cells need,
// `available` the list's inner width. A column that needs more than it was
// given takes the room first from the space left over and then from
// columns with more than they need; if the asked widths add up to more than
// there is, columns with room to spare shrink, then all of them alike. The
// result never adds up to more than `available` (unless that is below one
// pixel per column).
std::vector<int> fitColumns(const std::vector<int>& asked, const std::vector<int>& needed,
                            int available);

} // namespace tolvaro::ui
