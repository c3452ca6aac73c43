// Every registered template is sound data: unique numbers, controls inside
// the dialog, no id used twice.
#include <gtest/gtest.h>

#include <set>

#include "ui/template.h"

namespace tolvaro::test {
namespace {

TEST(Templates, NumbersAreUnique) {
    EXPECT_TRUE(ui::duplicateTemplateNumbers().empty());
}

TEST(Templates, TheProgramsTemplatesAreLinkedIn) {
    // Nothing names the resource files; they must still be registered.
    EXPECT_NE(ui::findTemplate(100), nullptr) << "About";
    EXPECT_NE(ui::findTemplate(102), nullptr) << "main window";
}

TEST(Templates, ControlsLieInsideTheirDialog) {
    for (const ui::Template* t : ui::allTemplates()) {
        for (const ui::ControlSpec& c : t->controls) {
            const ui::Rect& r = c.rect;
            // The height of a drop-down list is that of its opened list.
            const bool dropDown =
                c.kind == ui::ControlKind::ComboList || c.kind == ui::ControlKind::ComboEdit;
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= t->width &&
                        (dropDown || r.y + r.h <= t->height))
                << "template " << t->number << " control " << c.id << " \"" << c.text << "\"";
        }
    }
}

TEST(Templates, ControlIdsAreUniqueWithinATemplate) {
    for (const ui::Template* t : ui::allTemplates()) {
        std::set<int> seen;
        for (const ui::ControlSpec& c : t->controls) {
            if (c.id != ui::kNoId) {
                EXPECT_TRUE(seen.insert(c.id).second)
                    << "template " << t->number << " repeats id " << c.id;
            }
        }
    }
}

} // namespace
} // namespace tolvaro::test
