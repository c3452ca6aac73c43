// Which control of which page edits a named setting. The keys are those of
// the named-settings table where it has the setting, so `get`, `set`,
// `apply`, `show` and `diff` speak of a setting by one name; the table is
// here, not beside the names, because the controls are the templates' ids.
//
// Values are texts as the window shows them: an edit's text, an address's
// four fields as "a.b.c.d", "on" or "off" for a check box, the item of a
// drop-down list, the caption of the chosen radio button.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvaro::headless {

enum class Control {
    Edit,     // ids[0]
    Secret,   // ids[0] and its verify field ids[1] (if any): typed into both, never shown
    Octets,   // ids[0..3]
    Hardware, // ids[0..5], two hexadecimal digits each: "00-0A-95-9D-68-16"
    Check,    // ids[0]
    Combo,    // ids[0], by item text
    Radio,    // ids[0..]: the buttons; the value is the chosen one's caption
};

// The settings sheet's pages, in sheet order.
enum SheetPage : int {
    kQuickSetup,
    kStatus,
    kOption,
    kLan,
    kDialin,
    kAccessControl,
    kInternetApplication,
    kLanToLan,
    kIsdn,
};

struct SettingControl {
    std::string_view key;
    SheetPage page;
    Control control;
    std::array<int, 6> ids{};
    // The name where the named-settings table's would mislead: a control
    // that edits one variable or another depending on the firmware.
    std::string_view ownName{};

    int template_() const;
    // "Page / Label", the label taken from the page's template.
    std::string name() const;
    // Radio: the captions of the buttons, in ids order.
    std::vector<std::string> choices() const;
};

std::span<const SettingControl> allSettingControls();
// nullptr when no control edits the key.
const SettingControl* settingControl(std::string_view key);

// A table of a page, edited row by row through its editor dialog as the
// window does: Add, Edit (where the page has it) and Delete. A row is named
// by the text of its list's "Name" column, or of its first column where the
// list shows no name (routes: the destination).
struct TableControl {
    std::string_view key; // "lan.routes"
    SheetPage page;
    int list;
    int add;
    int edit; // 0: rows cannot be edited, only deleted and added
    int remove;
    int dialog; // the editor dialog's template
    std::span<const SettingControl> fields;
    // The field that holds the row's name (what its list shows as the key).
    std::string_view nameField = "name";
};

std::span<const TableControl> allTableControls();

// "Dialog caption / ROW / Label", the label taken from the editor dialog's
// template.
std::string rowFieldName(const TableControl& table, std::string_view row,
                         const SettingControl& field);

// "KEY[ROW]": a row of a table ("+" for a new one); nothing when the key
// names no table.
struct RowKey {
    const TableControl* table = nullptr;
    std::string row;
};
std::optional<RowKey> parseRowKey(std::string_view key);
// A table by its key alone.
const TableControl* tableControl(std::string_view key);

// How a list's row text compares with a row name: blanks do not count, so
// "10 . 1 . 0 . 0 " is the row 10.1.0.0.
bool sameRowName(std::string_view shown, std::string_view name);

// A check box's value from what a user or a state file may say.
bool parseOnOff(std::string_view text, bool& on);

} // namespace tolvaro::headless
