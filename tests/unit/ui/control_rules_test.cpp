// The name a screen reader gives a field comes from the template alone: the
// label on its row (not the "." between octets), the label above it, or the
// caption of its group frame.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

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

} // namespace
} // namespace tolvaro::ui
