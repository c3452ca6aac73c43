// The dialog driver: a test's hands on one dialog or page, acting as a
// user would and refusing what no user could do.
#include "ui/scripted/scripted_host.h"

#include <algorithm>

#include "ui/control_rules.h"
#include "ui/scripted/scripted_window.h"

namespace tolvaro::ui {

namespace {

bool hasText(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::IpAddress ||
           kind == ControlKind::ComboEdit;
}

} // namespace

bool ScriptedDialogDriver::isUsable(int id) const {
    const ScriptedWindow::Control* c = window_->control(id);
    return c && c->enabled && c->visible && !window_->isClosed();
}

void ScriptedDialogDriver::require(int id, const char* action) const {
    const ScriptedWindow::Control* c = window_->control(id);
    const char* why = window_->isClosed() ? "the window is closed"
                      : !c                ? "there is no such control"
                      : !c->visible       ? "the control is hidden"
                      : !c->enabled       ? "the control is disabled"
                                          : nullptr;
    if (why) {
        throw ScriptError(std::string(action) + " " + std::to_string(id) + " in dialog " +
                          std::to_string(dialog_->templateNumber()) + ": " + why);
    }
}

namespace {

[[noreturn]] void refuse(const char* action, int id, const std::string& why) {
    throw ScriptError(std::string(action) + " " + std::to_string(id) + ": " + why);
}

} // namespace

void ScriptedDialogDriver::type(int id, std::string_view text) {
    require(id, "type into");
    ScriptedWindow::Control* c = window_->control(id);
    if (!hasText(c->spec->kind)) {
        refuse("type into", id, "the control takes no text");
    }
    if (c->spec->flags & kReadOnly) {
        refuse("type into", id, "the control is read-only");
    }
    window_->moveFocus(id);
    if (window_->isClosed()) {
        return;
    }
    const std::string accepted = acceptTyped(text, c->spec->flags, c->limit);
    if (c->spec->kind == ControlKind::ComboEdit) {
        c->text = accepted;
        return;
    }
    window_->setText(id, accepted);
}

void ScriptedDialogDriver::focus(int id) {
    require(id, "focus");
    window_->moveFocus(id);
}

void ScriptedDialogDriver::leave() {
    window_->moveFocus(kNoId);
}

void ScriptedDialogDriver::click(int id) {
    require(id, "click");
    ScriptedWindow::Control* c = window_->control(id);
    window_->moveFocus(id);
    if (window_->isClosed()) {
        return;
    }
    if (c->spec->kind == ControlKind::CheckBox) {
        c->check = c->check ? 0 : 1;
    } else if (c->spec->kind == ControlKind::RadioButton) {
        for (int sibling : window_->windowTemplate().radioSiblings(id)) {
            window_->setCheckState(sibling, 0);
        }
        c->check = 1;
    }
    dialog_->command(id, Notify::Clicked);
}

void ScriptedDialogDriver::dropDown(int id) {
    require(id, "drop down");
    window_->moveFocus(id);
    dialog_->command(id, Notify::DropDown);
}

void ScriptedDialogDriver::select(int id, int index) {
    dropDown(id);
    require(id, "select in");
    if (!window_->comboSelect(id, index)) {
        refuse("select in", id, "the list has no item " + std::to_string(index));
    }
    dialog_->command(id, Notify::SelectionChanged);
}

void ScriptedDialogDriver::select(int id, std::string_view item) {
    dropDown(id);
    require(id, "select in");
    const ScriptedWindow::Control* c = window_->control(id);
    auto it = std::find(c->items.begin(), c->items.end(), item);
    if (it == c->items.end()) {
        refuse("select in", id, "the list has no item \"" + std::string(item) + "\"");
    }
    window_->comboSelect(id, static_cast<int>(it - c->items.begin()));
    dialog_->command(id, Notify::SelectionChanged);
}

void ScriptedDialogDriver::clickRow(int id, int row) {
    require(id, "click a row of");
    ScriptedWindow::Control* c = window_->control(id);
    if (c->spec->kind != ControlKind::ListView) {
        refuse("click a row of", id, "the control is not a list");
    }
    if (row < -1 || row >= static_cast<int>(c->rows.size())) {
        refuse("click a row of", id, "the list has no row " + std::to_string(row));
    }
    window_->moveFocus(id);
    if (window_->isClosed()) {
        return;
    }
    const bool changed = row == -1 ? std::any_of(c->rows.begin(), c->rows.end(),
                                                 [](const auto& r) { return r.selected; })
                                   : !c->rows[static_cast<std::size_t>(row)].selected;
    window_->listSetSelected(id, -1, false);
    if (row >= 0) {
        window_->listSetSelected(id, row, true);
    }
    c->mark = row;
    if (changed) {
        dialog_->command(id, Notify::ListItemChanged);
    }
    if (!window_->isClosed()) {
        dialog_->command(id, Notify::ListClick);
    }
}

void ScriptedDialogDriver::moveToRow(int id, int row) {
    require(id, "move to a row of");
    ScriptedWindow::Control* c = window_->control(id);
    if (c->spec->kind != ControlKind::ListView) {
        refuse("move to a row of", id, "the control is not a list");
    }
    if (row < 0 || row >= static_cast<int>(c->rows.size())) {
        refuse("move to a row of", id, "the list has no row " + std::to_string(row));
    }
    window_->moveFocus(id);
    if (window_->isClosed()) {
        return;
    }
    window_->listSetSelected(id, -1, false);
    window_->listSetSelected(id, row, true);
    dialog_->command(id, Notify::ListItemChanged);
    c->mark = row;
}

void ScriptedDialogDriver::doubleClickRow(int id, int row) {
    clickRow(id, row);
    if (!window_->isClosed()) {
        dialog_->command(id, Notify::ListDoubleClick);
    }
}

void ScriptedDialogDriver::rightClickRow(int id, int row) {
    clickRow(id, row);
    if (!window_->isClosed()) {
        dialog_->command(id, Notify::ContextMenu);
    }
}

void ScriptedDialogDriver::requireOpen(const char* action) const {
    if (window_->isClosed()) {
        throw ScriptError(std::string(action) + " in dialog " +
                          std::to_string(dialog_->templateNumber()) + ": the window is closed");
    }
}

void ScriptedDialogDriver::pressMenuKey() {
    requireOpen("press the menu key");
    const int id = window_->focused();
    const ScriptedWindow::Control* c = window_->control(id);
    if (c && c->spec->kind == ControlKind::ListView) {
        dialog_->command(id, Notify::ContextMenu);
    }
}

void ScriptedDialogDriver::pressEnter() {
    requireOpen("press Enter");
    dialog_->command(enterCommand(window_->windowTemplate(), window_->focused(),
                                  [this](int id) { return isUsable(id); }),
                     Notify::Clicked);
}

void ScriptedDialogDriver::pressEscape() {
    requireOpen("press Escape");
    dialog_->command(kIdCancel, Notify::Clicked);
}

void ScriptedDialogDriver::sysCommand(unsigned command) {
    requireOpen("send a system command");
    dialog_->sysCommand(command);
}

std::string ScriptedDialogDriver::text(int id) const {
    return window_->text(id);
}

bool ScriptedDialogDriver::isChecked(int id) const {
    return window_->checkState(id) == 1;
}

bool ScriptedDialogDriver::isEnabled(int id) const {
    return window_->isEnabled(id);
}

bool ScriptedDialogDriver::isVisible(int id) const {
    return window_->isVisible(id);
}

int ScriptedDialogDriver::textLimit(int id) const {
    const ScriptedWindow::Control* c = window_->control(id);
    return c ? c->limit : 0;
}

int ScriptedDialogDriver::focused() const {
    return window_->focused();
}

std::vector<std::string> ScriptedDialogDriver::comboItems(int id) const {
    const ScriptedWindow::Control* c = window_->control(id);
    return c ? c->items : std::vector<std::string>{};
}

int ScriptedDialogDriver::comboSelection(int id) const {
    return window_->comboSelection(id);
}

int ScriptedDialogDriver::listCount(int id) const {
    return window_->listCount(id);
}

std::string ScriptedDialogDriver::listText(int id, int row, int column) const {
    return window_->listText(id, row, column);
}

std::vector<std::string> ScriptedDialogDriver::listColumns(int id) const {
    const ScriptedWindow::Control* c = window_->control(id);
    return c ? c->columns : std::vector<std::string>{};
}

std::vector<int> ScriptedDialogDriver::listColumnWidths(int id) const {
    const ScriptedWindow::Control* c = window_->control(id);
    return c ? c->columnWidths : std::vector<int>{};
}

int ScriptedDialogDriver::listSelectionMark(int id) const {
    return window_->listSelectionMark(id);
}

bool ScriptedDialogDriver::listIsSelected(int id, int row) const {
    return window_->listIsSelected(id, row);
}

std::string ScriptedDialogDriver::caption() const {
    return window_->caption();
}

bool ScriptedDialogDriver::isOpen() const {
    return !window_->isClosed();
}

} // namespace tolvaro::ui
