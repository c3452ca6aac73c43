#include "ui/control_rules.h"

#include <algorithm>
#include <cctype>
#include <map>

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
    if (const ControlSpec* f = t.find(focused); f && f->kind == ControlKind::Button) {
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
                const bool numberOnly = std::none_of(
                    name.begin(), name.end(), [](unsigned char c) { return std::isalpha(c) != 0; });
                if (numberOnly && group && source != group && !cleaned(group->text).empty()) {
                    // "1." in a frame "DNS IP Address" names the first DNS address.
                    while (!name.empty() && name.back() == '.')
                        name.pop_back();
                    return cleaned(group->text) + " " + name;
                }
                return name;
            }
        }
    }
    return cleaned(t.caption);
}

namespace {

bool sameRow(const Rect& a, const Rect& b) {
    return a.y < b.y + b.h && b.y < a.y + a.h;
}

// Indices of the controls that share a name with another, by name.
std::map<std::string, std::vector<std::size_t>> repeats(const std::vector<std::string>& names) {
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!names[i].empty())
            byName[names[i]].push_back(i);
    }
    std::erase_if(byName, [](const auto& entry) { return entry.second.size() < 2; });
    return byName;
}

} // namespace

std::vector<std::string> accessibleNames(const Template& t) {
    const auto& controls = t.controls;
    std::vector<std::string> names(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& s = controls[i];
        const bool field = s.kind == ControlKind::Edit || s.kind == ControlKind::IpAddress;
        if (s.kind == ControlKind::Button) {
            names[i] = cleaned(s.text);
        } else if (isInputControl(s.kind)) {
            std::string own = cleaned(s.text);
            names[i] = own.empty() || field ? accessibleLabel(t, s) : std::move(own);
        }
    }
    // The boxes of one address or number share their label and their row.
    for (const auto& [name, indices] : repeats(names)) {
        std::vector<bool> done(indices.size());
        for (std::size_t a = 0; a < indices.size(); ++a) {
            if (done[a])
                continue;
            std::vector<std::size_t> run;
            for (std::size_t b = a; b < indices.size(); ++b) {
                const ControlSpec& s = controls[indices[b]];
                if (!done[b] && s.kind == ControlKind::Edit &&
                    sameRow(s.rect, controls[indices[a]].rect)) {
                    run.push_back(indices[b]);
                    done[b] = true;
                }
            }
            if (run.size() < 2)
                continue;
            std::sort(run.begin(), run.end(), [&](std::size_t x, std::size_t y) {
                return controls[x].rect.x < controls[y].rect.x;
            });
            for (std::size_t k = 0; k < run.size(); ++k)
                names[run[k]] =
                    name + ", part " + std::to_string(k + 1) + " of " + std::to_string(run.size());
        }
    }
    for (const auto& [name, indices] : repeats(names)) {
        for (std::size_t i : indices) {
            const ControlSpec* group = enclosingGroup(t, controls[i]);
            const std::string caption = group ? cleaned(group->text) : std::string();
            if (!caption.empty() && caption != name)
                names[i] = name + ", " + caption;
        }
    }
    for (const auto& [name, indices] : repeats(names)) {
        for (std::size_t k = 0; k < indices.size(); ++k)
            names[indices[k]] =
                name + ", " + std::to_string(k + 1) + " of " + std::to_string(indices.size());
    }
    return names;
}

namespace {

// One pixel at a time from the column with the most room to spare, so that
// the spare room ends up shared out evenly. Returns the pixels taken.
int takeSpareRoom(std::vector<int>& widths, const std::vector<int>& needed, int amount,
                  std::size_t except) {
    int taken = 0;
    while (taken < amount) {
        std::size_t best = widths.size();
        int most = 0;
        for (std::size_t i = 0; i < widths.size(); ++i) {
            const int spare = widths[i] - (i < needed.size() ? needed[i] : 0);
            if (i != except && spare > most) {
                best = i;
                most = spare;
            }
        }
        if (best == widths.size())
            break;
        --widths[best];
        ++taken;
    }
    return taken;
}

int sum(const std::vector<int>& widths) {
    int total = 0;
    for (int w : widths)
        total += w;
    return total;
}

} // namespace

std::vector<int> fitColumns(const std::vector<int>& asked, const std::vector<int>& needed,
                            int available) {
    std::vector<int> widths;
    for (int w : asked)
        widths.push_back(std::max(1, w));
    const std::size_t none = widths.size();
    int excess = sum(widths) - available;
    if (excess > 0)
        excess -= takeSpareRoom(widths, needed, excess, none);
    while (excess > 0) {
        auto widest = std::max_element(widths.begin(), widths.end());
        if (widest == widths.end() || *widest <= 1)
            break;
        --*widest;
        --excess;
    }
    for (std::size_t i = 0; i < widths.size() && i < needed.size(); ++i) {
        int short_of = needed[i] - widths[i];
        if (short_of <= 0)
            continue;
        const int free = std::clamp(available - sum(widths), 0, short_of);
        widths[i] += free;
        short_of -= free;
        widths[i] += takeSpareRoom(widths, needed, short_of, i);
    }
    return widths;
}

} // namespace tolvaro::ui
