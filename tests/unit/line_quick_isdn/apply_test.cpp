#include "line_pages.h"
#include "res/ids/isdn_ids.h"
#include "res/ids/quick_setup_ids.h"

namespace tolvaro::pages {
namespace {

namespace qs = res::quick_setup;
namespace isdn = res::isdn;

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
    EXPECT_EQ(store.saveConfirmed, 0);
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

TEST_F(ApplyTest, ACountryTheListCannotShowIsWrittenAsMinus1) {
    readInteger(0x3801, 40);
    auto& s = open();
    ASSERT_TRUE(s.pressOK());
    const auto w = writes();
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(sent(w[0])[7], "-1/1");
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"Warning, Country Stored in System Wrong!!! ",
                                        "Warning, Country Stored in System Wrong!!! ",
                                        "Device reset finished"}));
}

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

TEST_F(IsdnTest, StartFillsTheFieldsAndTakesTheReset) {
    auto& s = open();
    ASSERT_TRUE(s.selectPage(kIsdnIndex));
    auto p = s.page();
    EXPECT_EQ(p.text(isdn::kOutgoingMsn), "301234");
    EXPECT_EQ(p.text(isdn::kOutgoingSad), "12");
    EXPECT_EQ(p.text(isdn::kIncomingMsn), "305678");
    EXPECT_EQ(p.text(isdn::kIncomingSad), "34");
    EXPECT_EQ(p.text(isdn::kInitialString), "ATZ");
    EXPECT_EQ(p.comboItems(isdn::kLineSpeed), (std::vector<std::string>{"64 Kbps", "56 Kbps"}));
    EXPECT_EQ(p.comboSelection(isdn::kLineSpeed), 1);
    EXPECT_EQ(p.textLimit(isdn::kIncomingMsn), 17);
    EXPECT_EQ(p.textLimit(isdn::kOutgoingSad), 7);
    EXPECT_EQ(p.textLimit(isdn::kInitialString), 60);
    EXPECT_EQ(store.resetOwner, 9);
}

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
    EXPECT_EQ(w[3].variables, kReset);
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
