// The name a screen reader gives a field comes from the template alone: the
// label on its row (not the "." between octets), the label above it, or the
// caption of its group frame.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "ui/control_rules.h"

namespace tolvaro::ui {
namespace {

struct LabelRow {
    const char* name;
    int templateNumber;
    int id;
    const char* expected;
};

void PrintTo(const LabelRow& row, std::ostream* os) {
    *os << row.name;
}

const LabelRow kLabels[] = {
    {"LabelLeftOfTheField", 163, 1166, "Name"},
    {"LaterOctetSkipsTheDotSeparators", 163, 1169, "Destination"},
    {"DropDownBesideItsLabel", 163, 1016, "Interface"},
    {"DropDownWhoseListReachesBelowItsFrame", 180, 1224, "IP Address (WAN port)"},
    {"FieldWithoutLabelTakesItsGroupCaption", 158, 1133, "Connection Status"},
    {"NumberLabelReadAfterItsFrame", 152, 1154, "DNS IP Address 1"},
};

class AccessibleLabel : public testing::TestWithParam<LabelRow> {};

TEST_P(AccessibleLabel, ComesFromTheTemplate) {
    const LabelRow& row = GetParam();
    const Template* t = findTemplate(row.templateNumber);
    ASSERT_NE(t, nullptr);
    const ControlSpec* control = t->find(row.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(accessibleLabel(*t, *control), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Templates, AccessibleLabel, testing::ValuesIn(kLabels),
                         [](const testing::TestParamInfo<LabelRow>& info) {
                             return std::string(info.param.name);
                         });

std::string nameOf(const Template& t, int id) {
    const std::vector<std::string> names = accessibleNames(t);
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        if (t.controls[i].id == id)
            return names[i];
    }
    return "(no control " + std::to_string(id) + ")";
}

TEST(AccessibleNames, AddressBoxesAreNumberedAndRepeatedButtonsSayWhere) {
    struct Row {
        const char* name;
        int templateNumber;
        int id;
        const char* expected;
    };
    const Row rows[] = {
        {"FirstBox", 152, 1154, "DNS IP Address 1, part 1 of 4"},
        {"LastBox", 152, 1157, "DNS IP Address 1, part 4 of 4"},
        {"NextAddress", 152, 1158, "DNS IP Address 2, part 1 of 4"},
        {"AddOfTheUpperList", 156, 1089, "Add, Special Applications"},
        {"AddOfTheLowerList", 156, 1087, "Add, Virtual Server"},
        {"RadioButtonByItsText", 149, 1044, "Dynamic"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Template* t = findTemplate(row.templateNumber);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(nameOf(*t, row.id), row.expected);
    }
}

// What a screen reader needs of every window: each control it can stop at
// has a name, and no two in one window share it.
TEST(AccessibleNames, EveryWindowNamesEachControlOnce) {
    for (const Template* t : allTemplates()) {
        const std::vector<std::string> names = accessibleNames(*t);
        std::map<std::string, int> seen;
        for (std::size_t i = 0; i < t->controls.size(); ++i) {
            const ControlSpec& c = t->controls[i];
            if (isInputControl(c.kind) || c.kind == ControlKind::Button) {
                EXPECT_FALSE(names[i].empty()) << t->number << " control " << c.id;
                EXPECT_EQ(++seen[names[i]], 1) << t->number << " \"" << names[i] << "\"";
            }
        }
    }
}

TEST(FitColumns, EveryColumnShowsWithinTheList) {
    struct Row {
        const char* name;
        std::vector<int> asked;
        std::vector<int> needed;
        int available;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {"AskedWidthsKeptWhenAllFit", {50, 50, 50}, {30, 30, 30}, 160, {50, 50, 50}},
        {"LeftoverRoomGoesFirst", {100, 40}, {50, 60}, 200, {100, 60}},
        {"NarrowColumnTakesFromBothWideOnes", {100, 100, 40}, {60, 60, 70}, 240, {85, 85, 70}},
        {"TooWideAskShrinksTheColumnWithRoomToSpare", {100, 100}, {90, 50}, 180, {100, 80}},
        {"NoRoomAtAllShrinksAllAlike", {100, 100}, {150, 150}, 120, {60, 60}},
        {"LastColumnNotPushedOut",
         {107, 107, 107, 55, 51},
         {96, 96, 96, 62, 50},
         427,
         {104, 105, 105, 62, 51}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<int> widths = fitColumns(row.asked, row.needed, row.available);
        EXPECT_EQ(widths, row.expected);
        int total = 0;
        for (int w : widths)
            total += w;
        EXPECT_LE(total, row.available);
    }
}

} // namespace
} // namespace tolvaro::ui
