#include "line_pages.h"
#include "res/ids/quick_setup_ids.h"

namespace tolvaro::pages {
namespace {

namespace qs = res::quick_setup;

const std::vector<int> kReset{0x0001};

struct FamilyRow {
    const char* name;
    device::Family family;
    int level;
    int idleVariable;
};

class QuickSetupApply : public LinePagesTest, public testing::WithParamInterface<FamilyRow> {
protected:
    QuickSetupApply() : LinePagesTest(GetParam().family) {
        store.firmwareLevel = GetParam().level;
        readText(0x4001, "10.1.2.3");
        readText(0x4002, "anna");
        readText(0x4003, "s3cret");
        readText(0x4004, "192.168.7.9");
        readText(0x4006, "0301234");
        readInteger(0x3801, 9);
        readInteger(0x4008, 5);
        readInteger(0x400d, 1);
        readInteger(0x4017, 0x03);
    }
};

TEST_P(QuickSetupApply, FeatureByteThenElevenSettingsThenDialOutThenReset) {
    readInteger(0x3801, 23);
    auto& s = open();
    s.page().type(qs::kSpid1, "5551234");
    ASSERT_TRUE(s.pressOK());
    const auto w = writes();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0].variables, std::vector<int>{0x4017});
    // The feature byte keeps the length word it had.
    EXPECT_EQ(sent(w[0]), std::vector<std::string>{"1/0"});
    EXPECT_EQ(w[1].variables,
              (std::vector<int>{0x4001, 0x4002, 0x4003, 0x4004, 0x4006, 0x4014, 0x4015, 0x3801,
                                0x3823, 0x3824, GetParam().idleVariable}));
    EXPECT_EQ(sent(w[1]), (std::vector<std::string>{"10.1.2.3/8", "anna/4", "s3cret/6",
                                                    "192.168.7.9/11", "0301234/7", "/0", "/0",
                                                    "23/1", "5551234/7", "/0", "5/1"}));
    EXPECT_EQ(w[2].variables, std::vector<int>{0x400d});
    EXPECT_EQ(sent(w[2]), std::vector<std::string>{"1/1"});
    EXPECT_EQ(w[3].variables, kReset);
    for (const auto& call : w) {
        EXPECT_EQ(call.number, 0);
        EXPECT_EQ(call.text, "192.168.1.1");
    }
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    ASSERT_EQ(host.waits().size(), 1u);
    EXPECT_EQ(host.waits()[0].ms, 6000);
}

TEST_P(QuickSetupApply, InternetOffSendsNoFeatureByteAndDialOut0) {
    auto& s = open();
    s.page().click(qs::kDynamic);
    s.page().click(qs::kEnableInternet);
    ASSERT_TRUE(s.pressOK());
    const auto w = writes();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[0].variables.front(), 0x4001);
    EXPECT_EQ(sent(w[0]).front(), "0.0.0.0/7");
    EXPECT_EQ(sent(w[1]), std::vector<std::string>{"0/1"});
}

INSTANTIATE_TEST_SUITE_P(
    Families, QuickSetupApply,
    testing::Values(FamilyRow{"Family1Minutes", device::Family::One, 60, 0x4008},
                    FamilyRow{"Family2Seconds", device::Family::Two, 61, 0x4024}),
    [](const auto& info) { return info.param.name; });

class ApplyTest : public LinePagesTest {};

TEST_F(ApplyTest, CancelOnABusyLineWritesNothingOnAnyPage) {
    device.setInteger(0x0002, 1);
    host.answerMessage(ui::Answer::Cancel);
    auto& s = open();
    ASSERT_TRUE(s.selectPage(kIsdnIndex));
    ASSERT_TRUE(s.pressOK());
    EXPECT_TRUE(writes().empty());
    EXPECT_FALSE(store.saveConfirmed);
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{
                  "The ISDNLink is in use.\nSaving data now will break the connection.\nUsers may "
                  "have to re-establish their connection.\nClick \"OK\" to save, or \"Cancle\" to "
                  "abort."});
}

TEST_F(ApplyTest, AFailedWriteIsReportedAndTheRestStillRuns) {
    device.failSetOf(0x4002);
    auto& s = open();
    ASSERT_TRUE(s.pressOK());
    const auto w = writes();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[1].variables, std::vector<int>{0x400d});
    EXPECT_EQ(w[2].variables, kReset);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"IPSSetInfo fail", "Device reset finished"}));
}

} // namespace
} // namespace tolvaro::pages
