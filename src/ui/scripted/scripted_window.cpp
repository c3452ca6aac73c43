#include "ui/scripted/scripted_window.h"

#include <algorithm>

#include "ui/control_rules.h"
#include "ui/dialog.h"

namespace tolvaro::ui {

namespace {

bool inRange(int index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

bool isEdit(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::IpAddress;
}

} // namespace

ScriptedWindow::ScriptedWindow(const Template& t, Dialog& dialog, bool page)
    : template_(&t), dialog_(&dialog), caption_(t.caption), page_(page) {
    for (const ControlSpec& spec : t.controls) {
        if (spec.id == kNoId || controls_.count(spec.id)) {
            continue;
        }
        Control c;
        c.spec = &spec;
        c.enabled = !(spec.flags & kDisabled);
        c.visible = !(spec.flags & kHidden);
        if (spec.kind != ControlKind::ComboList && spec.kind != ControlKind::ComboEdit &&
            spec.kind != ControlKind::ListView) {
            c.text = spec.text;
        }
        controls_.emplace(spec.id, std::move(c));
    }
}

ScriptedWindow::Control* ScriptedWindow::control(int id) {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

const ScriptedWindow::Control* ScriptedWindow::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

void ScriptedWindow::moveFocus(int id) {
    if (id == focused_) {
        return;
    }
    const int previous = focused_;
    focused_ = id;
    const Control* c = control(previous);
    if (c && isEdit(c->spec->kind) && !closed_) {
        dialog_->command(previous, Notify::FocusLost);
    }
}

void ScriptedWindow::close(int) {
    // A page closes with its sheet, not by itself.
    if (!page_) {
        closed_ = true;
    }
}

std::string ScriptedWindow::text(int id) const {
    const Control* c = control(id);
    if (!c) {
        return {};
    }
    if (c->spec->kind == ControlKind::ComboList) {
        return inRange(c->selection, c->items.size())
                   ? c->items[static_cast<std::size_t>(c->selection)]
                   : std::string();
    }
    return c->text;
}

void ScriptedWindow::setText(int id, std::string_view text) {
    Control* c = control(id);
    if (!c || c->spec->kind == ControlKind::ComboList || c->spec->kind == ControlKind::ListView) {
        return;
    }
    if (c->text == text) {
        return;
    }
    c->text = text;
    if (isEdit(c->spec->kind)) {
        dialog_->command(id, Notify::TextChanged);
    }
}

int ScriptedWindow::checkState(int id) const {
    const Control* c = control(id);
    return c ? c->check : 0;
}

void ScriptedWindow::setCheckState(int id, int state) {
    if (Control* c = control(id)) {
        c->check = state;
    }
}

bool ScriptedWindow::isEnabled(int id) const {
    const Control* c = control(id);
    return c && c->enabled;
}

void ScriptedWindow::setEnabled(int id, bool enabled) {
    if (Control* c = control(id)) {
        c->enabled = enabled;
    }
}

bool ScriptedWindow::isVisible(int id) const {
    const Control* c = control(id);
    return c && c->visible;
}

void ScriptedWindow::setVisible(int id, bool visible) {
    if (Control* c = control(id)) {
        c->visible = visible;
    }
}

void ScriptedWindow::setTextLimit(int id, int characters) {
    if (Control* c = control(id)) {
        c->limit = characters;
    }
}

void ScriptedWindow::setFocus(int id) {
    if (control(id)) {
        moveFocus(id);
    }
}

int ScriptedWindow::pixelWidth(int id) const {
    const Control* c = control(id);
    return c ? dialogUnitsToPixelsX(c->spec->rect.w, kBaseUnits) : 0;
}

void ScriptedWindow::comboReset(int id) {
    if (Control* c = control(id)) {
        c->items.clear();
        c->selection = -1;
    }
}

int ScriptedWindow::comboAdd(int id, std::string_view item) {
    Control* c = control(id);
    if (!c) {
        return -1;
    }
    const int at = (c->spec->flags & kSorted) ? sortedInsertPosition(c->items, item)
                                              : static_cast<int>(c->items.size());
    c->items.insert(c->items.begin() + at, std::string(item));
    c->selection = indexAfterInsert(c->selection, at);
    return at;
}

int ScriptedWindow::comboCount(int id) const {
    const Control* c = control(id);
    return c ? static_cast<int>(c->items.size()) : 0;
}

std::string ScriptedWindow::comboItem(int id, int index) const {
    const Control* c = control(id);
    return c && inRange(index, c->items.size()) ? c->items[static_cast<std::size_t>(index)]
                                                : std::string();
}

int ScriptedWindow::comboSelection(int id) const {
    const Control* c = control(id);
    return c ? c->selection : -1;
}

bool ScriptedWindow::comboSelect(int id, int index) {
    Control* c = control(id);
    if (!c) {
        return false;
    }
    if (!inRange(index, c->items.size())) {
        c->selection = -1;
        return false;
    }
    c->selection = index;
    if (c->spec->kind == ControlKind::ComboEdit) {
        c->text = c->items[static_cast<std::size_t>(index)];
    }
    return true;
}

void ScriptedWindow::listAddColumn(int id, std::string_view title, int widthPixels) {
    if (Control* c = control(id)) {
        c->columns.emplace_back(title);
        c->columnWidths.push_back(widthPixels);
    }
}

int ScriptedWindow::listColumnCount(int id) const {
    const Control* c = control(id);
    return c ? static_cast<int>(c->columns.size()) : 0;
}

int ScriptedWindow::listInsert(int id, int row, std::string_view text, bool selected) {
    Control* c = control(id);
    if (!c || c->spec->kind != ControlKind::ListView) {
        return -1;
    }
    const int at = std::clamp(row, 0, static_cast<int>(c->rows.size()));
    Row r;
    r.texts.emplace_back(text);
    c->rows.insert(c->rows.begin() + at, std::move(r));
    c->mark = indexAfterInsert(c->mark, at);
    if (selected) {
        listSetSelected(id, at, true);
    }
    return at;
}

bool ScriptedWindow::listSetText(int id, int row, int column, std::string_view text) {
    Control* c = control(id);
    if (!c || !inRange(row, c->rows.size()) || column < 0) {
        return false;
    }
    auto& texts = c->rows[static_cast<std::size_t>(row)].texts;
    if (texts.size() <= static_cast<std::size_t>(column)) {
        texts.resize(static_cast<std::size_t>(column) + 1);
    }
    texts[static_cast<std::size_t>(column)] = text;
    return true;
}

std::string ScriptedWindow::listText(int id, int row, int column) const {
    const Control* c = control(id);
    if (!c || !inRange(row, c->rows.size())) {
        return {};
    }
    const auto& texts = c->rows[static_cast<std::size_t>(row)].texts;
    return inRange(column, texts.size()) ? texts[static_cast<std::size_t>(column)] : std::string();
}

bool ScriptedWindow::listDelete(int id, int row) {
    Control* c = control(id);
    if (!c || !inRange(row, c->rows.size())) {
        return false;
    }
    c->rows.erase(c->rows.begin() + row);
    c->mark = indexAfterRemove(c->mark, row);
    return true;
}

void ScriptedWindow::listDeleteAll(int id) {
    if (Control* c = control(id)) {
        c->rows.clear();
        c->mark = -1;
    }
}

int ScriptedWindow::listCount(int id) const {
    const Control* c = control(id);
    return c ? static_cast<int>(c->rows.size()) : 0;
}

int ScriptedWindow::listSelectionMark(int id) const {
    const Control* c = control(id);
    return c ? c->mark : -1;
}

void ScriptedWindow::listSetSelectionMark(int id, int row) {
    if (Control* c = control(id)) {
        c->mark = row;
    }
}

bool ScriptedWindow::listIsSelected(int id, int row) const {
    const Control* c = control(id);
    return c && inRange(row, c->rows.size()) && c->rows[static_cast<std::size_t>(row)].selected;
}

void ScriptedWindow::listSetSelected(int id, int row, bool selected) {
    Control* c = control(id);
    if (!c) {
        return;
    }
    if (row == -1) {
        // A single-selection list keeps at most one selected row: selecting
        // every row leaves the last one selected.
        for (auto& r : c->rows) {
            r.selected = false;
        }
        if (selected && !c->rows.empty()) {
            c->rows.back().selected = true;
        }
        return;
    }
    if (!inRange(row, c->rows.size())) {
        return;
    }
    if (selected) {
        for (auto& r : c->rows) {
            r.selected = false;
        }
    }
    c->rows[static_cast<std::size_t>(row)].selected = selected;
}

} // namespace tolvaro::ui
