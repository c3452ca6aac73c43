#include "ui/control_rules.h"

#include <algorithm>
#include <cctype>

#include "ui/text_rules.h"

namespace tolvaro::ui {

namespace {

// A drop-down list shows this much of its rectangle while it is closed.
constexpr int kClosedComboHeight = 12;

// By the top-left corner: a drop-down list's rectangle includes its opened
// list, which may reach beyond the frame.
bool contains(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x < outer.x + outer.w &&
           inner.y < outer.y + outer.h;
}

// The smallest group frame around a control, or nullptr.
const ControlSpec* enclosingGroup(const Template& t, const ControlSpec& control) {
    const ControlSpec* best = nullptr;
    for (const ControlSpec& s : t.controls) {
        if (s.kind == ControlKind::GroupBox && &s != &control && contains(s.rect, control.rect) &&
            (!best || s.rect.w * s.rect.h < best->rect.w * best->rect.h)) {
            best = &s;
        }
    }
    return best;
}

// A static that names something: separators between octets carry no letter
// or digit.
bool isLabel(const ControlSpec& s) {
    return s.kind == ControlKind::Static &&
           std::any_of(s.text.begin(), s.text.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; });
}

std::string cleaned(std::string_view text) {
    std::string name = stripMnemonics(text);
    while (!name.empty() && (name.back() == ':' || name.back() == ' ')) {
        name.pop_back();
    }
    return name;
}

} // namespace

int enterCommand(const Template& t, int focused, const std::function<bool(int id)>& usable) {
    if (const ControlSpec* f = t.find(focused);
        f && f->kind == ControlKind::Button && usable(focused)) {
        return focused;
    }
    for (const ControlSpec& s : t.controls) {
        if (s.kind == ControlKind::Button && (s.flags & kDefault) && s.id != kNoId &&
            usable(s.id)) {
            return s.id;
        }
    }
    return kIdOk;
}

int sortedInsertPosition(const std::vector<std::string>& items, std::string_view item) {
    return static_cast<int>(std::upper_bound(items.begin(), items.end(), item,
                                             [](std::string_view a, const std::string& b) {
                                                 return a < std::string_view(b);
                                             }) -
                            items.begin());
}

int indexAfterInsert(int index, int at) {
    return index >= 0 && index >= at ? index + 1 : index;
}

int indexAfterRemove(int index, int row) {
    if (index == row) {
        return -1;
    }
    return index > row ? index - 1 : index;
}

bool isInputControl(ControlKind kind) {
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::IpAddress:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::ComboList:
    case ControlKind::ComboEdit:
    case ControlKind::ListView:
        return true;
    default:
        return false;
    }
}

std::string accessibleLabel(const Template& t, const ControlSpec& control) {
    const ControlSpec* group = enclosingGroup(t, control);
    Rect c = control.rect;
    if (control.kind == ControlKind::ComboList || control.kind == ControlKind::ComboEdit) {
        c.h = std::min(c.h, kClosedComboHeight);
    }
    const ControlSpec* left = nullptr;
    const ControlSpec* above = nullptr;
    for (const ControlSpec& s : t.controls) {
        if (&s == &control || !isLabel(s) || enclosingGroup(t, s) != group) {
            continue;
        }
        const Rect& r = s.rect;
        const bool sameRow = r.y < c.y + c.h && r.y + r.h > c.y;
        if (sameRow && r.x < c.x && (!left || r.x > left->rect.x)) {
            left = &s;
        }
        const bool overlapsColumn = r.x < c.x + c.w && r.x + r.w > c.x;
        if (overlapsColumn && r.y + r.h <= c.y + 1 && (!above || r.y > above->rect.y)) {
            above = &s;
        }
    }
    for (const ControlSpec* source : {left, above, group}) {
        if (source) {
            if (std::string name = cleaned(source->text); !name.empty()) {
                return name;
            }
        }
    }
    return cleaned(t.caption);
}

} // namespace tolvaro::ui
