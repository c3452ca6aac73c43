// The reads of a fetch as one batch: the idle time-out in seconds travels
// with both candidates and counts above level 60 only, and a remote router's
// connection test rides first.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/config_store.h"
#include "device/fetch.h"
#include "device/snapshots.h"
#include "support/recording_device.h"

namespace tolvaro::device {
namespace {

using test::DeviceOp;

TEST(Fetch, SlotTenHoldsTheSecondsAboveLevel60AndTheMinutesUpToIt) {
    struct Row {
        const char* name;
        const char* version;
        bool secondsFail;
        FetchResult result;
        int slotTen;
    };
    const Row rows[] = {
        {"level 60", "6.0 (240918-07)", false, FetchResult::Ok, 5},
        {"level 60, no seconds variable", "6.0 (240918-07)", true, FetchResult::Ok, 5},
        {"level 61", "6.12", false, FetchResult::Ok, 300},
        {"level 61, seconds read fails", "6.12", true, FetchResult::IdleTimeFail, -1},
    };
    const auto router = [](const Row& row, test::RecordingDevice& device) {
        device.setText(0x0104, row.version);
        device.setInteger(0x4008, 5);
        device.setInteger(0x4024, 300);
        if (row.secondsFail)
            device.failGetOf(0x4024);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::RecordingDevice device;
        router(row, device);
        ConfigStore store(Family::Two);
        EXPECT_EQ(fetchConfiguration(device, "192.168.1.1", store), row.result);
        if (row.slotTen >= 0) {
            EXPECT_EQ(entryInteger(store.read(10)), row.slotTen);
        }
        // One batch: the seconds are asked before the level is known.
        const auto reads = device.callsOf(DeviceOp::GetInfo);
        ASSERT_EQ(reads.size(), 12u);
        EXPECT_EQ(reads.back().variables, std::vector<int>{0x4024});

        // A load's snapshot reads the catalogue alone, then what it lacks.
        test::RecordingDevice loading;
        router(row, loading);
        ConfigStore asLoaded(Family::Two);
        ASSERT_EQ(fetchCatalogue(loading, "192.168.1.1", asLoaded), FetchResult::Ok);
        EXPECT_EQ(completeForSnapshot(loading, "192.168.1.1", asLoaded, true), row.slotTen >= 0);
        if (row.slotTen >= 0) {
            EXPECT_EQ(entryInteger(asLoaded.read(10)), row.slotTen);
        }
    }
}

TEST(Fetch, TheConnectionTestRidesFirstAndItsFailureIsNoAnswer) {
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers);
        test::RecordingDevice device;
        device.setText(0x0104, "6.5 (240918-07)");
        if (!answers)
            device.failGetCall(0);
        ConfigStore store(Family::Two);
        EXPECT_EQ(fetchForFile(device, "198.51.100.7", store, true),
                  answers ? FetchResult::Ok : FetchResult::NoAnswer);
        const auto reads = device.callsOf(DeviceOp::GetInfo);
        ASSERT_FALSE(reads.empty());
        EXPECT_EQ(reads.front().variables, std::vector<int>{0x4027});
        EXPECT_EQ(reads.size(), answers ? 14u : 1u)
            << "test, catalogue, mode-1, seconds, last slot";
    }
    EXPECT_EQ(fetchFailureMessage(FetchResult::NoAnswer), "Error - no response");
}

} // namespace
} // namespace tolvaro::device
