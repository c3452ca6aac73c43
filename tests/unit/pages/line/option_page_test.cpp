#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_record.h"
#include "page_fixture.h"
#include "pages/line/option_page.h"
#include "res/ids/option_ids.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::option;
using Texts = std::vector<std::string>;
using test::textsOf;

class OptionTest : public testing::Test {
protected:
    explicit OptionTest(device::Family family = device::Family::Two) : f(family) {
        f.readText(0x0106, "secret");
        if (family == device::Family::One)
            return; // the first family lacks the rest
        f.readInteger(0x4025, 1);
        f.readInteger(0x4028, 8080);
        f.readInteger(0x402a, 161);
    }

    ui::ScriptedSheetDriver open() {
        f.sheet.addPage(page);
        return f.host.open(f.sheet);
    }

    test::PageFixture f;
    CMPass page{f.context, f.store};
};

class OptionFamily1Test : public OptionTest {
protected:
    OptionFamily1Test() : OptionTest(device::Family::One) {}
};

TEST_F(OptionFamily1Test, HasNoRemoteManagementAndSendsOnlyThePassword) {
    auto s = open();
    for (int id : {1216, 1218, 1217, 1221, 1214, 1219, 1220, 1215})
        EXPECT_FALSE(s.page().isEnabled(id)) << id;
    EXPECT_EQ(s.page().text(ids::kWebPort), "");
    ASSERT_TRUE(s.pressOK());
    const auto w = f.writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].variables, std::vector<int>{0x0106});
    EXPECT_EQ(textsOf(w[0]), Texts{"secret"});
}

struct ApplyRow {
    const char* name;
    int managementOff; // the router's 0x4027
    bool clickManagement;
    bool clickPing;
    const char* webPort; // typed when the field is enabled
    Texts values;
};

class OptionApply : public OptionTest, public testing::WithParamInterface<ApplyRow> {};

TEST_P(OptionApply, SendsSixVariablesAsSmallIntegersAndTheNewPassword) {
    const ApplyRow& row = GetParam();
    f.readInteger(0x4027, row.managementOff);
    auto s = open();
    auto p = s.page();
    EXPECT_EQ(p.isEnabled(ids::kWebPortLabel), row.managementOff != 1);
    p.type(ids::kPassword, "n3w");
    p.type(ids::kVerifyPassword, "n3w");
    if (p.isUsable(ids::kWebPort))
        p.type(ids::kWebPort, row.webPort);
    if (row.clickManagement)
        p.click(ids::kEnableRemoteManagement);
    if (row.clickPing)
        p.click(ids::kRespondToPing);
    ASSERT_TRUE(s.pressOK());

    const auto w = f.writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].variables, (std::vector<int>{0x0106, 0x4025, 0x4027, 0x4028, 0x4029, 0x402a}));
    EXPECT_EQ(textsOf(w[0]), row.values);
    EXPECT_EQ(device::entryLength(w[0].values[0]), 3u);
    for (std::size_t i = 1; i < 6; ++i) {
        EXPECT_EQ(w[0].values[i].type, kTypeInteger) << i;
        EXPECT_EQ(device::entryLength(w[0].values[i]), 1u) << i;
    }
    EXPECT_EQ(device::fieldText(f.state.selected().password), "n3w");
    EXPECT_EQ(f.host.messageTexts(), Texts{"Device reset finished"});
}

INSTANTIATE_TEST_SUITE_P(
    Choices, OptionApply,
    testing::Values(
        ApplyRow{"Managed", 0, false, false, "8081", {"n3w", "1", "0", "8081", "0", "161"}},
        ApplyRow{"ManagementTurnedOn", 1, true, true, "", {"n3w", "0", "0", "8080", "0", "161"}},
        // Disabled port fields are sent as they stand, whatever they hold.
        ApplyRow{"ManagementTurnedOff", 0, true, false, "x", {"n3w", "1", "1", "0", "1", "161"}}),
    [](const auto& info) { return info.param.name; });

struct LeaveRow {
    const char* name;
    const char* password;
    const char* verify;
    const char* webPort;
    const char* message; // empty: accepted
};

class OptionLeaving : public OptionTest, public testing::WithParamInterface<LeaveRow> {};

TEST_P(OptionLeaving, RefusesAWrongVerificationOrAPortThatIsNotOne) {
    const LeaveRow& row = GetParam();
    auto s = open();
    s.page().type(ids::kPassword, row.password);
    s.page().type(ids::kVerifyPassword, row.verify);
    s.page().type(ids::kWebPort, row.webPort);
    const bool accepted = *row.message == '\0';
    EXPECT_EQ(s.pressOK(), accepted);
    EXPECT_EQ(f.host.messageTexts().front(), accepted ? "Device reset finished" : row.message);
    EXPECT_EQ(f.writes().empty(), !accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, OptionLeaving,
    testing::Values(LeaveRow{"BothEmpty", "", "", "80", ""},
                    LeaveRow{"Differing", "abc", "abd", "80", "Password verified wrong."},
                    // Ten typed characters are cut to the nine the fields take.
                    LeaveRow{"TenthCharacterRefused", "abcdefghiX", "abcdefghiY", "80", ""},
                    LeaveRow{"PortAbove65535", "a", "a", "65536", "Port Number should be 0-65535"},
                    LeaveRow{"PortNotANumber", "a", "a", "8o", "Port Number should be 0-65535"}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tolvaro::pages
