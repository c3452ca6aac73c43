#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/config_store.h"
#include "operation/app_context.h"
#include "operation/commit.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::operation {
namespace {

using device::ConfigStore;
using device::entryLength;
using device::entryText;
using device::Family;
using device::setEntryText;

struct OwnerRow {
    const char* name;
    std::vector<int> shown; // page numbers in the order their starts run
    int owner;
};

class ResetOwner : public testing::TestWithParam<OwnerRow> {};

TEST_P(ResetOwner, IsTheHighestPageShown) {
    ConfigStore store(Family::Two);
    for (int page : GetParam().shown)
        claimReset(store, page);
    EXPECT_EQ(store.resetOwner, GetParam().owner);
}

INSTANTIATE_TEST_SUITE_P(
    Visits, ResetOwner,
    testing::Values(OwnerRow{"QuickSetupOnly", {1}, 1}, OwnerRow{"QuickSetupAndStatus", {1, 2}, 1},
                    OwnerRow{"QuickSetupAndIsdn", {1, 9}, 9},
                    OwnerRow{"LowerPageAfterHigher", {1, 8, 3}, 8},
                    OwnerRow{"EveryPageInSheetOrder", {1, 2, 3, 4, 5, 6, 7, 8, 9}, 9},
                    OwnerRow{"EveryPageBackwards", {1, 9, 8, 7, 6, 5, 4, 3, 2}, 9},
                    OwnerRow{"StatusNeverClaims", {2}, 0}),
    [](const auto& info) { return info.param.name; });

class CommitTest : public testing::Test {
protected:
    CommitTest() {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1");
        store.saveConfirmed = true;
    }
    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    ConfigStore store{Family::Two};
};

TEST_F(CommitTest, WritesTheWriteImageEntriesInTheOrderGiven) {
    setEntryText(store.write(*store.slotOf(0x4002)), "account");
    setEntryText(store.write(*store.slotOf(0x4001)), "0.0.0.0");
    Commit commit(context, store, kOptionPage);
    const int vars[] = {0x4002, 0x4001};
    EXPECT_TRUE(commit.writeVariables(vars));
    const auto sets = device.callsOf(test::DeviceOp::SetInfo);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].text, "192.168.1.1");
    EXPECT_EQ(sets[0].number, 0);
    EXPECT_EQ(sets[0].variables, (std::vector<int>{0x4002, 0x4001}));
    EXPECT_EQ(entryText(sets[0].values[0]), "account");
    EXPECT_EQ(entryText(sets[0].values[1]), "0.0.0.0");
    EXPECT_TRUE(host.messages().empty());
    EXPECT_EQ(host.waitCursorDepth(), 0);
}

TEST_F(CommitTest, ModeOneWritesComeFromTheModeOneImage) {
    setEntryText(store.mode1Write(2), "16");
    setEntryText(store.write(*store.slotOf(0x4023)), "99");
    Commit commit(context, store, kDialinPage);
    const int vars[] = {0x4023};
    commit.writeMode1(vars);
    const auto sets = device.callsOf(test::DeviceOp::SetInfo);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].number, 1);
    EXPECT_EQ(entryText(sets[0].values[0]), "16");
}

struct FailureRow {
    const char* name;
    OnFailure onFailure;
    std::vector<std::string> messages;
};

class CommitFailures : public CommitTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(CommitFailures, AFailedWriteIsReportedOrNotAndTheApplyGoesOn) {
    device.failSetOf(0x4001);
    Commit commit(context, store, kQuickSetupPage);
    store.resetOwner = kQuickSetupPage;
    const int first[] = {0x4001};
    const int second[] = {0x4002};
    EXPECT_FALSE(commit.writeVariables(first, GetParam().onFailure));
    EXPECT_TRUE(commit.writeVariables(second, GetParam().onFailure));
    EXPECT_TRUE(commit.finish("Device reset finished"));
    auto expected = GetParam().messages;
    expected.push_back("Device reset finished");
    EXPECT_EQ(host.messageTexts(), expected);
    EXPECT_EQ(device.callsOf(test::DeviceOp::SetInfo).size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CommitFailures,
    testing::Values(FailureRow{"Reported", OnFailure::Report, {"IPSSetInfo fail"}},
                    FailureRow{"Ignored", OnFailure::Ignore, {}}),
    [](const auto& info) { return info.param.name; });

struct FinishRow {
    const char* name;
    int page;
    int owner;
    bool saveConfirmed;
    const char* message;
    bool resets;
};

class CommitFinish : public CommitTest, public testing::WithParamInterface<FinishRow> {};

TEST_P(CommitFinish, OnlyTheOwnerResetsAndOnlyWhenSavingIsConfirmed) {
    const FinishRow& row = GetParam();
    store.resetOwner = row.owner;
    store.saveConfirmed = row.saveConfirmed;
    Commit commit(context, store, row.page);
    EXPECT_EQ(commit.allowed(), row.saveConfirmed);
    EXPECT_EQ(commit.finish(row.message), row.resets);
    const auto sets = device.callsOf(test::DeviceOp::SetInfo);
    if (!row.resets) {
        EXPECT_TRUE(sets.empty());
        EXPECT_TRUE(host.messages().empty());
        EXPECT_TRUE(host.waits().empty());
        return;
    }
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].number, 0);
    EXPECT_EQ(sets[0].variables, std::vector<int>{0x0001});
    EXPECT_EQ(sets[0].values[0].type, 2);
    EXPECT_EQ(entryLength(sets[0].values[0]), 1u);
    EXPECT_EQ(entryText(sets[0].values[0]), "1");
    ASSERT_EQ(host.waits().size(), 1u);
    EXPECT_EQ(host.waits()[0].ms, 6000);
    EXPECT_GT(host.waits()[0].waitCursorDepth, 0);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, row.message);
    EXPECT_EQ(host.messages()[0].icon, ui::Icon::Information);
    EXPECT_EQ(host.waitCursorDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CommitFinish,
    testing::Values(
        FinishRow{"QuickSetupOwns", 1, 1, true, "Device reset finished", true},
        FinishRow{"QuickSetupWhenIsdnOwns", 1, 9, true, "Device reset finished", false},
        FinishRow{"IsdnOwnsWithItsFullStop", 9, 9, true, "Device reset finished.", true},
        FinishRow{"OwnerAfterCancelledQuestion", 9, 9, false, "Device reset finished.", false},
        FinishRow{"LanOwns", 4, 4, true, "Device reset finished", true}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tolvaro::operation
