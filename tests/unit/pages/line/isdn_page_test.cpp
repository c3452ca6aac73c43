#include "line_pages.h"
#include "res/ids/isdn_ids.h"

namespace tolvaro::pages {
namespace {

namespace isdn = res::isdn;

struct UsageRow {
    const char* name;
    std::int32_t stored;
    int checked;
};

class IsdnUsage : public LinePagesTest, public testing::WithParamInterface<UsageRow> {};

TEST_P(IsdnUsage, TheStoredUsageChecksOneRadio) {
    readInteger(0x3806, GetParam().stored);
    auto& s = open();
    ASSERT_TRUE(s.selectPage(kIsdnIndex));
    for (int id : {isdn::kUsageOneChannel, isdn::kUsageDynamic, isdn::kUsageTwoChannels})
        EXPECT_EQ(s.page().isChecked(id), id == GetParam().checked) << id;
}

INSTANTIATE_TEST_SUITE_P(Usages, IsdnUsage,
                         testing::Values(UsageRow{"OneChannel", 0, isdn::kUsageOneChannel},
                                         UsageRow{"Dynamic", 1, isdn::kUsageDynamic},
                                         UsageRow{"TwoChannels", 2, isdn::kUsageTwoChannels},
                                         UsageRow{"Unknown", 7, isdn::kUsageTwoChannels}),
                         [](const auto& info) { return info.param.name; });

class IsdnTest : public LinePagesTest {
protected:
    IsdnTest() {
        readInteger(0x3806, 1);
        readText(0x3809, "301234");
        readText(0x381c, "12");
        readText(0x381f, "305678");
        readText(0x3822, "34");
        readInteger(0x3804, 1);
        readText(0x4009, "ATZ");
    }
};

TEST_F(IsdnTest, AUsageClickLivesInTheWriteImageAcrossVisits) {
    auto& s = open();
    ASSERT_TRUE(s.selectPage(kIsdnIndex));
    s.page().click(isdn::kUsageTwoChannels);
    EXPECT_EQ(written(0x3806), "2");
    EXPECT_FALSE(s.page().isChecked(isdn::kUsageDynamic));
    ASSERT_TRUE(s.selectPage(kOtherIndex));
    ASSERT_TRUE(s.selectPage(kIsdnIndex));
    EXPECT_TRUE(s.page().isChecked(isdn::kUsageTwoChannels));
}

TEST_F(IsdnTest, ApplySendsSevenVariablesAndResetsInsteadOfQuickSetup) {
    const std::string initial(60, 'x');
    auto& s = open();
    ASSERT_TRUE(s.selectPage(kIsdnIndex));
    auto p = s.page();
    p.click(isdn::kUsageOneChannel);
    p.type(isdn::kOutgoingSad, "");
    p.select(isdn::kLineSpeed, "64 Kbps");
    EXPECT_EQ(p.textLimit(isdn::kInitialString), 60);
    p.type(isdn::kInitialString, initial);
    ASSERT_TRUE(s.pressOK());
    const auto w = writes();
    ASSERT_EQ(w.size(), 4u); // Quick Setup: settings and dial-out flag; ISDN; reset
    const auto& call = w[2];
    EXPECT_EQ(call.variables,
              (std::vector<int>{0x3806, 0x3809, 0x381c, 0x381f, 0x3822, 0x3804, 0x4009}));
    EXPECT_EQ(sent(call), (std::vector<std::string>{"0/1", "301234/6", "/0", "305678/6", "34/2",
                                                    "0/1", initial + "/60"}));
    std::vector<int> types;
    for (const auto& entry : call.values)
        types.push_back(entry.type);
    EXPECT_EQ(types, (std::vector<int>{2, 4, 4, 4, 4, 2, 0}));
    EXPECT_EQ(w[3].variables, std::vector<int>{0x0001});
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished."});
}

TEST_F(IsdnTest, ALineSpeedTheListCannotShowGoesBackAsStored) {
    readInteger(0x3804, 3);
    auto& s = open();
    ASSERT_TRUE(s.selectPage(kIsdnIndex));
    EXPECT_EQ(s.page().comboSelection(isdn::kLineSpeed), -1);
    ASSERT_TRUE(s.pressOK());
    const auto w = writes();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(sent(w[2])[5], "3/1");
}

} // namespace
} // namespace tolvaro::pages
