#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <ipslan/variables.h>

#include "device/catalogue.h"
#include "device/load.h"
#include "support/read_entry.h"
#include "support/recording_device.h"

namespace tolvaro::device {
namespace {

using test::DeviceCall;
using test::DeviceOp;
using test::RecordingDevice;
using test::setReadText;

constexpr const char* kIp = "192.168.1.1";

// A family-2 file at level 65 whose entries are what the router holds.
std::vector<std::uint8_t> savedFile(ConfigStore& store) {
    ReadImageFill fill(store);
    for (int s = 0; s < store.slotCount(); ++s) {
        MIB_RESPONSE& entry = fill.read(s);
        entry = MIB_RESPONSE{};
        if (ipslan::variableKind(variableAt(Family::Two, s), 0) == ipslan::VarKind::Integer) {
            entry.type = kTypeInteger;
            entry.length[0] = 4;
        } else {
            entry.type = kTypeOctetString;
        }
    }
    for (int i = 0; i < 5; ++i) {
        fill.mode1Read(i) = MIB_RESPONSE{};
        fill.mode1Read(i).type = kTypeInteger;
        fill.mode1Read(i).length[0] = 4;
    }
    setReadText(fill.read(kVersionSlot), "6.5 (240918-07)");
    store.takeFirmwareLevel();
    return buildConfigFile(store, *fileVersionNumber(store));
}

struct WriteRow {
    const char* name;
    OnSilence onSilence;
    std::set<int> refusedVariables;
    int silentAfterWrites; // -1: never
    std::size_t attempted;
    bool stopped;
    std::vector<WriteOutcome> outcomes;
};

class LoadWritesTest : public testing::TestWithParam<WriteRow> {};

TEST_P(LoadWritesTest, ReportEachFailureAndStopOnlyWhenSilent) {
    const WriteRow& row = GetParam();
    ConfigStore store(Family::Two);
    const auto file = savedFile(store);
    const LoadPlan plan = checkLoad(file, store);
    ASSERT_EQ(plan.check, LoadCheck::Ok);

    RecordingDevice device;
    for (const int v : row.refusedVariables)
        device.failSetOf(v);
    int sets = 0;
    device.onCall = [&](const DeviceCall& call) {
        if (call.op == DeviceOp::SetInfo && ++sets == row.silentAfterWrites) {
            for (const FileWrite& w : plan.file.writes)
                device.failSetOf(w.variable);
            device.failGetOf(0x0104);
        }
    };
    const LoadWrites writes = writeLoad(device, kIp, file, plan.file, row.onSilence);
    EXPECT_EQ(writes.attempted, row.attempted);
    EXPECT_EQ(writes.stopped, row.stopped);
    std::vector<WriteOutcome> outcomes;
    for (const FailedWrite& f : writes.failed)
        outcomes.push_back(f.outcome);
    EXPECT_EQ(outcomes, row.outcomes);
    EXPECT_EQ(device.callsOf(DeviceOp::SetInfo).size(), row.attempted);
}

constexpr std::size_t kAll = 84 + 5 + 1;
using O = WriteOutcome;

INSTANTIATE_TEST_SUITE_P(
    Rows, LoadWritesTest,
    testing::Values(WriteRow{"AllAccepted", OnSilence::Stop, {}, -1, kAll, false, {}},
                    // A refusal is asked about once (the router still answers) and the
                    // load goes on.
                    WriteRow{
                        "RefusalGoesOn", OnSilence::Stop, {0x3004}, -1, kAll, false, {O::Refused}},
                    WriteRow{"SilenceStopsAtTheFirstUnansweredWrite",
                             OnSilence::Stop,
                             {},
                             9,
                             9,
                             true,
                             {O::NoAnswer}},
                    // The desktop program sends every entry whatever the answers.
                    WriteRow{"GoOnSendsEverything",
                             OnSilence::GoOn,
                             {},
                             9,
                             kAll,
                             false,
                             std::vector<O>(kAll - 8, O::Refused)}),
    [](const auto& info) { return info.param.name; });

// A write the router refused is told apart from one the library never sent
// (a number that is no number); a value of the full size is sent.
TEST(LoadChecks, AnEntryTheLibraryRefusesIsNotSentAndTold) {
    struct Row {
        const char* name;
        int variable;
        std::uint8_t type;
        std::size_t length;
        WriteOutcome outcome;
    };
    const Row rows[] = {
        {"IntegerThatIsNoNumber", variableAt(Family::Two, 15), kTypeInteger, 2,
         WriteOutcome::NotSent},
        {"TableOfTheFullSize", ipslan::var::kReservedTable, kTypeOctetString, kEntryValueSize,
         WriteOutcome::Refused},
    };
    for (const Row& row : rows) {
        ConfigStore store(Family::Two);
        auto file = savedFile(store);
        const std::size_t at =
            18 + static_cast<std::size_t>(*slotOf(Family::Two, row.variable)) * 1504;
        file[at] = row.type;
        file[at + 2] = static_cast<std::uint8_t>(row.length);
        file[at + 3] = static_cast<std::uint8_t>(row.length >> 8);
        std::memcpy(file.data() + at + 4, "x1", 3);
        const LoadPlan plan = checkLoad(file, store);
        ASSERT_EQ(plan.check, LoadCheck::Ok) << row.name;
        RecordingDevice device;
        device.failSetOf(row.variable);
        const LoadWrites writes = writeLoad(device, kIp, file, plan.file, OnSilence::Stop);
        ASSERT_EQ(writes.failed.size(), 1u) << row.name;
        EXPECT_EQ(writes.failed[0].outcome, row.outcome) << row.name;
    }
}

TEST(LoadChecks, AnUnreadableRouterVersionRefusesBeforeAnyWrite) {
    ConfigStore store(Family::Two);
    const auto file = savedFile(store);
    setReadText(ReadImageFill(store).read(kVersionSlot), "no point");
    const LoadPlan plan = checkLoad(file, store);
    EXPECT_EQ(plan.check, LoadCheck::NoVersion);
    EXPECT_TRUE(plan.file.writes.empty());
    EXPECT_NE(loadCheckMessage(plan.check), "");
}

} // namespace
} // namespace tolvaro::device
