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

// The command Enter issues: the focused push button when `usable` (enabled
// and shown) accepts it; else the first default button, in template order,
// that `usable` accepts; else OK. `focused` is kNoId when no control has the
// focus.
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
std::string accessibleLabel(const Template& t, const ControlSpec& control);

// Controls the user types into, picks from or ticks: the ones that need a
// name of their own.
bool isInputControl(ControlKind kind);

} // namespace tolvaro::ui
