// Dialog templates: the plain data both backends build windows from.
//
// A template lives in src/res, one file per dialog or page group, and
// registers itself at static-initialisation time:
//
//     namespace {
//     const tolvaro::ui::TemplateRegistration reg{[] {
//         using tolvaro::ui::ControlKind;
//         tolvaro::ui::Template t{102, "Tolvaro V2.4", 237, 148,
//                                 tolvaro::ui::kSystemMenu | tolvaro::ui::kMinimizeBox};
//         t.controls = {
//             {1019, ControlKind::Button, "Refresh", {190, 57, 40, 14}},
//             {1039, ControlKind::Edit, "", {10, 20, 80, 12}, tolvaro::ui::kPassword},
//         };
//         return t;
//     }()};
//     }
//
// The objects of src/res are linked whole into every program and test (the
// build adds them as object files, not through an archive), so a registration
// is never dropped by the linker and no central list needs editing.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tolvaro::ui {

// Dialog units, as in a dialog resource: x and width in quarters of the
// font's average character width, y and height in eighths of its height.
struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

enum class ControlKind {
    Static,      // label; text may carry "&" mnemonics ("&&" shows one "&")
    GroupBox,    // frame with a title, drawn behind the controls inside it
    Icon,        // the program's icon
    Edit,        // single-line edit, or multi-line with kMultiLine
    IpAddress,   // four-field address control; its text is "a.b.c.d"
    Button,      // push button (kDefault makes it the default button)
    CheckBox,    // automatic check box
    RadioButton, // automatic radio button; exclusive within its group
    ComboList,   // drop-down list, fixed items
    ComboEdit,   // drop-down list with an editable field
    ListView,    // report-style list view, single selection
};

// Control flags.
enum ControlFlag : unsigned {
    kPassword = 1u << 0,       // edit shows placeholders instead of characters
    kLowerCase = 1u << 1,      // typed letters become lower case
    kDigitsOnly = 1u << 2,     // typed characters other than digits are refused
    kReadOnly = 1u << 3,       // edit that the user cannot change
    kMultiLine = 1u << 4,      // multi-line edit: vertical scroll, no soft line breaks
    kHidden = 1u << 5,         // created hidden
    kDisabled = 1u << 6,       // created disabled
    kGroupStart = 1u << 7,     // first control of a group (radio exclusivity)
    kAutoHScroll = 1u << 8,    // edit scrolls horizontally instead of refusing text
    kDefault = 1u << 9,        // default push button (Enter issues its id)
    kVScroll = 1u << 10,       // vertical scroll bar
    kAlwaysShowSel = 1u << 11, // list keeps its selection visible without focus
    kBorder = 1u << 12,        // list or static with a border
    kSorted = 1u << 13,        // combo box sorts its items
    kCentered = 1u << 14,      // static text centred
    kRightAligned = 1u << 15,  // static text right-aligned
};

// Controls without an id of their own (labels, frames) use kNoId.
inline constexpr int kNoId = -1;
// The commands every dialog knows: OK (also Enter), Cancel (also Escape and
// the close box) and Help.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdHelp = 57670;
// Topic of a template's help page: kHelpTopicBase + template number.
inline constexpr int kHelpTopicBase = 131072;

struct ControlSpec {
    ControlSpec() = default;
    ControlSpec(int id_, ControlKind kind_, std::string text_, Rect rect_, unsigned flags_ = 0)
        : id(id_), kind(kind_), text(std::move(text_)), rect(rect_), flags(flags_) {}

    int id = kNoId;
    ControlKind kind = ControlKind::Static;
    std::string text;
    Rect rect;
    unsigned flags = 0;
};

// Template styles.
enum TemplateStyle : unsigned {
    kSystemMenu = 1u << 0,  // close box and window menu
    kMinimizeBox = 1u << 1, // can be minimised
    kCaptionless = 1u << 2, // popup without a title bar
    kChild = 1u << 3,       // a property page: lives inside a sheet
};

struct Template {
    Template() = default;
    Template(int number_, std::string caption_, int width_, int height_,
             unsigned style_ = kSystemMenu, std::vector<ControlSpec> controls_ = {})
        : number(number_), caption(std::move(caption_)), width(width_), height(height_),
          style(style_), controls(std::move(controls_)) {}

    int number = 0;
    std::string caption;
    int width = 0; // dialog units
    int height = 0;
    unsigned style = kSystemMenu;
    std::vector<ControlSpec> controls;

    // The first control with this id, or nullptr (also for kNoId).
    const ControlSpec* find(int id) const;
    // The other radio buttons of the group that control `id` belongs to: from
    // the group's first control up to the next group start. Empty for an id
    // the template lacks.
    std::vector<int> radioSiblings(int id) const;
};

// The registered template with this number, or nullptr.
const Template* findTemplate(int number);

// Every registered template, ordered by number.
std::vector<const Template*> allTemplates();

// Registers a template at static-initialisation time. A second template with
// the same number replaces nothing: the first one stays and the clash is
// reported by duplicateTemplateNumbers() (checked by the tests).
struct TemplateRegistration {
    explicit TemplateRegistration(Template t);
};

std::vector<int> duplicateTemplateNumbers();

} // namespace tolvaro::ui
