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
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvaro::headless {

enum class Control {
    Edit,   // ids[0]
    Secret, // ids[0] and its verify field ids[1]: typed into both, never shown
    Octets, // ids[0..3]
    Check,  // ids[0]
    Combo,  // ids[0], by item text
    Radio,  // ids[0..]: the buttons; the value is the chosen one's caption
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
    std::array<int, 4> ids{};

    int template_() const;
    // "Page / Label", the label taken from the page's template.
    std::string name() const;
    // Radio: the captions of the buttons, in ids order.
    std::vector<std::string> choices() const;
};

std::span<const SettingControl> allSettingControls();
// nullptr when no control edits the key.
const SettingControl* settingControl(std::string_view key);

// A check box's value from what a user or a state file may say.
bool parseOnOff(std::string_view text, bool& on);

} // namespace tolvaro::headless
