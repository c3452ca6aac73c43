// The desktop program's device link: library calls run off the UI thread
// while the UI thread keeps handling its (non-input) events.
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "main/responsive_link.h"
#include "support/recording_device.h"

namespace tolvaro {
namespace {

// Waits (bounded) until `flag` is set by someone else.
bool waitFor(const std::atomic<bool>& flag) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!flag && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return flag;
}

TEST(ResponsiveLink, TheUiThreadHandlesItsEventsWhileACallRuns) {
    auto device = std::make_unique<test::RecordingDevice>();
    test::RecordingDevice& recording = *device;
    std::atomic<bool> timerFired{false};
    std::thread::id callThread;
    // The call only finishes once the UI thread has run its timer, which it
    // can do only if it keeps processing events during the call.
    recording.getHandler = [&](const test::DeviceCall&, MIB_RESPONSE* result) {
        callThread = std::this_thread::get_id();
        if (!waitFor(timerFired)) {
            return 0;
        }
        result[0].type = kTypeInteger;
        result[0].value[0] = 42;
        return 1;
    };
    auto link = program::makeResponsiveLink(std::move(device));
    QTimer::singleShot(0, [&] { timerFired = true; });

    MIB_RESPONSE entry{};
    const int variable = 0x0002;
    EXPECT_EQ(link->getInfo("127.0.0.5", 0, 1, &variable, &entry), 1);
    EXPECT_TRUE(timerFired);
    EXPECT_NE(callThread, std::this_thread::get_id());
    EXPECT_EQ(entry.value[0], 42);
    ASSERT_EQ(recording.calls().size(), 1u);
}

TEST(ResponsiveLink, EveryCallRunsOnTheSameWorkerThreadInOrder) {
    auto device = std::make_unique<test::RecordingDevice>();
    test::RecordingDevice& recording = *device;
    std::vector<std::thread::id> threads;
    recording.onCall = [&](const test::DeviceCall&) {
        threads.push_back(std::this_thread::get_id());
    };
    auto link = program::makeResponsiveLink(std::move(device));

    link->setCommunity("TiLvOrA");
    link->setSnmpPort(161);
    char network[16] = "127.0.0.0";
    link->queryFreeIp(network, network);

    EXPECT_EQ(recording.opNames(),
              (std::vector<std::string>{"PSSetCommunity", "PSSetSnmpPort", "IPSQueryFreeIp"}));
    ASSERT_EQ(threads.size(), 3u);
    EXPECT_NE(threads[0], std::this_thread::get_id());
    EXPECT_EQ(threads[1], threads[0]);
    EXPECT_EQ(threads[2], threads[0]);
}

} // namespace
} // namespace tolvaro
