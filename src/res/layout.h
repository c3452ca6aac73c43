// Building blocks for the page and dialog templates: the common page size,
// the usual control heights and a few makers for repeated rows (address
// fields with their separators), so every template keeps the same rhythm.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "res/ids/captions.h"
#include "ui/template.h"

namespace tolvaro::res::layout {

// Every page of the settings sheet has the same size, so the sheet does not
// change shape from one tab to the next.
inline constexpr int kPageWidth = 300;
inline constexpr int kPageHeight = 225;

inline constexpr int kMargin = 7;
inline constexpr int kLabelHeight = 8;
inline constexpr int kEditHeight = 12;
inline constexpr int kCheckHeight = 10;
inline constexpr int kButtonWidth = 50;
inline constexpr int kButtonHeight = 14;
// A drop-down list's rectangle includes its opened list, as in a dialog
// resource; only the top kEditHeight units show while it is closed.
inline constexpr int kComboDropHeight = 60;
// Enough for a list of two or three entries.
inline constexpr int kShortComboDropHeight = 36;

// An address field: one narrow edit per octet (or per hardware-address
// byte), each followed by a separator label except the last.
inline constexpr int kOctetWidth = 18;
inline constexpr int kSeparatorWidth = 4;
inline constexpr int kOctetPitch = kOctetWidth + kSeparatorWidth;
inline constexpr int kAddressWidth = 4 * kOctetWidth + 3 * kSeparatorWidth;
inline constexpr int kHexByteWidth = 14;
inline constexpr int kHexBytePitch = kHexByteWidth + kSeparatorWidth;
inline constexpr int kHardwareAddressWidth = 6 * kHexByteWidth + 5 * kSeparatorWidth;

using ui::ControlKind;
using ui::ControlSpec;

// Labels sit 2 units below the top of the edit they name, so their text lines
// up with the edit's text.
inline ControlSpec label(std::string text, int x, int editY, int w, int id = ui::kNoId,
                         unsigned flags = 0) {
    return {id, ControlKind::Static, std::move(text), {x, editY + 2, w, kLabelHeight}, flags};
}

// A static at an exact position (notes and value texts).
inline ControlSpec text(std::string text, int x, int y, int w, int id = ui::kNoId,
                        unsigned flags = 0) {
    return {id, ControlKind::Static, std::move(text), {x, y, w, kLabelHeight}, flags};
}

// Single-line edits scroll horizontally, as the resource editor makes them,
// so that the input limits set at run time are what bounds the text.
inline ControlSpec edit(int id, int x, int y, int w, unsigned flags = 0) {
    return {id, ControlKind::Edit, "", {x, y, w, kEditHeight}, flags | ui::kAutoHScroll};
}

inline ControlSpec check(int id, std::string text, int x, int y, int w, unsigned flags = 0) {
    return {id, ControlKind::CheckBox, std::move(text), {x, y, w, kCheckHeight}, flags};
}

inline ControlSpec radio(int id, std::string text, int x, int y, int w, unsigned flags = 0) {
    return {id, ControlKind::RadioButton, std::move(text), {x, y, w, kCheckHeight}, flags};
}

inline ControlSpec button(int id, std::string text, int x, int y, unsigned flags = 0) {
    return {id, ControlKind::Button, std::move(text), {x, y, kButtonWidth, kButtonHeight}, flags};
}

inline ControlSpec combo(int id, int x, int y, int w, unsigned flags = 0,
                         int dropHeight = kComboDropHeight) {
    return {id, ControlKind::ComboList, "", {x, y, w, dropHeight}, flags};
}

inline ControlSpec group(std::string text, int x, int y, int w, int h, int id = ui::kNoId,
                         unsigned flags = 0) {
    return {id, ControlKind::GroupBox, std::move(text), {x, y, w, h}, flags};
}

inline ControlSpec listView(int id, int x, int y, int w, int h, unsigned flags = 0) {
    return {id, ControlKind::ListView, "", {x, y, w, h}, flags | ui::kBorder};
}

// The same makers for the captions that name settings, so that a window
// shows exactly the text its settings are called by.
inline ControlSpec label(const Caption& caption, int x, int editY, int w, int id = ui::kNoId,
                         unsigned flags = 0) {
    return label(std::string(caption.text), x, editY, w, id, flags);
}
inline ControlSpec text(const Caption& caption, int x, int y, int w, int id = ui::kNoId,
                        unsigned flags = 0) {
    return text(std::string(caption.text), x, y, w, id, flags);
}
inline ControlSpec check(int id, const Caption& caption, int x, int y, int w, unsigned flags = 0) {
    return check(id, std::string(caption.text), x, y, w, flags);
}
inline ControlSpec radio(int id, const Caption& caption, int x, int y, int w, unsigned flags = 0) {
    return radio(id, std::string(caption.text), x, y, w, flags);
}
inline ControlSpec group(const Caption& caption, int x, int y, int w, int h, int id = ui::kNoId,
                         unsigned flags = 0) {
    return group(std::string(caption.text), x, y, w, h, id, flags);
}

// Appends the edits of `ids` in a row starting at (x, y), `fieldWidth` wide
// each, with a `separator` label between neighbours.
template <std::size_t N>
void addFieldRow(std::vector<ControlSpec>& controls, const std::array<int, N>& ids, int x, int y,
                 int fieldWidth, const char* separator, unsigned flags = 0) {
    for (std::size_t i = 0; i < N; ++i) {
        const int left = x + static_cast<int>(i) * (fieldWidth + kSeparatorWidth);
        if (i > 0) {
            controls.push_back(text(separator, left - kSeparatorWidth, y + 2, kSeparatorWidth,
                                    ui::kNoId, ui::kCentered));
        }
        controls.push_back(edit(ids[i], left, y, fieldWidth, flags));
    }
}

// Four octet edits of an IPv4 address, "." between them.
inline void addAddress(std::vector<ControlSpec>& controls, const std::array<int, 4>& ids, int x,
                       int y, unsigned flags = 0) {
    addFieldRow(controls, ids, x, y, kOctetWidth, ".", flags);
}

// A template of a property page: a child window of the common page size.
inline ui::Template page(int number, std::string caption) {
    ui::Template t{number, std::move(caption), kPageWidth, kPageHeight};
    t.style = ui::kChild;
    return t;
}

inline ui::Template page(int number, const Caption& caption) {
    return page(number, std::string(caption.text));
}

// A modal dialog with a window menu.
inline ui::Template dialog(int number, std::string caption, int width, int height) {
    ui::Template t{number, std::move(caption), width, height};
    t.style = ui::kSystemMenu;
    return t;
}

inline ui::Template dialog(int number, const Caption& caption, int width, int height) {
    return dialog(number, std::string(caption.text), width, height);
}

} // namespace tolvaro::res::layout
