#include "test_templates.h"

namespace tolvaro::test {
namespace {

using ui::ControlKind;

const ui::TemplateRegistration form{[] {
    ui::Template t{kFormTemplate, "Form", 200, 150};
    t.controls = {
        {kName, ControlKind::Edit, "", {10, 10, 60, 12}, ui::kLowerCase | ui::kAutoHScroll},
        {kPort, ControlKind::Edit, "", {80, 10, 40, 12}, ui::kDigitsOnly},
        {kNote, ControlKind::Edit, "", {130, 10, 60, 12}},
        {kCheck, ControlKind::CheckBox, "Enable", {10, 30, 60, 10}},
        {kRadioA, ControlKind::RadioButton, "A", {10, 45, 30, 10}, ui::kGroupStart},
        {kRadioB, ControlKind::RadioButton, "B", {45, 45, 30, 10}},
        {ui::kNoId, ControlKind::Static, "Other", {80, 45, 30, 10}, ui::kGroupStart},
        {kRadioC, ControlKind::RadioButton, "C", {115, 45, 30, 10}, ui::kGroupStart},
        {kCombo, ControlKind::ComboList, "", {10, 60, 60, 50}},
        {kList, ControlKind::ListView, "", {10, 75, 120, 50}, ui::kBorder},
        {kAction, ControlKind::Button, "Action", {140, 75, 50, 14}},
        {kHiddenButton, ControlKind::Button, "Hidden", {140, 95, 50, 14}, ui::kHidden},
        {ui::kIdOk, ControlKind::Button, "OK", {40, 130, 50, 14}},
        {ui::kIdCancel, ControlKind::Button, "Cancel", {100, 130, 50, 14}},
        {ui::kIdHelp, ControlKind::Button, "Help", {150, 130, 40, 14}},
    };
    return t;
}()};

const ui::TemplateRegistration nested{[] {
    ui::Template t{kNestedTemplate, "Nested", 120, 50};
    t.controls = {
        {kNestedEdit, ControlKind::Edit, "", {10, 10, 100, 12}},
        {ui::kIdOk, ControlKind::Button, "OK", {10, 30, 40, 14}, ui::kDefault},
        {ui::kIdCancel, ControlKind::Button, "Cancel", {60, 30, 40, 14}},
    };
    return t;
}()};

const ui::TemplateRegistration withDefault{[] {
    ui::Template t{kDefaultButtonTemplate, "Default", 120, 50};
    t.controls = {
        {kNote, ControlKind::Edit, "", {10, 10, 100, 12}},
        {kAction, ControlKind::Button, "Action", {10, 30, 40, 14}, ui::kDefault},
        {ui::kIdCancel, ControlKind::Button, "Cancel", {60, 30, 40, 14}},
    };
    return t;
}()};

ui::Template page(int index) {
    ui::Template t{kPageTemplateBase + index, "Page " + std::to_string(index), 100, 60, ui::kChild};
    t.controls = {{kNote, ControlKind::Edit, "", {10, 10, 80, 12}}};
    return t;
}

const ui::TemplateRegistration page0{page(0)};
const ui::TemplateRegistration page1{page(1)};
const ui::TemplateRegistration page2{page(2)};
const ui::TemplateRegistration page3{page(3)};

} // namespace
} // namespace tolvaro::test
