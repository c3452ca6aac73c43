#include <gtest/gtest.h>

#include <chrono>

#include "device/device_link.h"
#include "device/write_session.h"

namespace tolvaro::device {
namespace {

using namespace std::chrono_literals;

// Time that moves only when the code under test sleeps or a request costs
// it some.
class ManualWaitClock final : public WaitClock {
public:
    std::chrono::steady_clock::time_point now() override { return now_; }
    void sleepFor(std::chrono::milliseconds duration) override { now_ += duration; }
    void pass(std::chrono::milliseconds duration) { now_ += duration; }
    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - start_);
    }

private:
    std::chrono::steady_clock::time_point start_{};
    std::chrono::steady_clock::time_point now_{};
};

// A router that answers its hardware address from the n-th ask on; each
// unanswered ask costs the library's time-out on the clock.
class SlowRouter final : public DeviceLink {
public:
    SlowRouter(ManualWaitClock& clock, std::chrono::milliseconds timeout, int answersFrom)
        : clock_(clock), timeout_(timeout), answersFrom_(answersFrom) {}
    int asks = 0;

    int getInfo(const char*, int, int, const int*, MIB_RESPONSE* result) override {
        if (++asks < answersFrom_ || answersFrom_ == 0) {
            clock_.pass(timeout_);
            return 0;
        }
        *result = MIB_RESPONSE{};
        result->length[0] = 6;
        return 1;
    }
    int initLan() override { return 1; }
    int browse(DEVICE_INFO*, int* count) override { return *count = 0; }
    int setCommunity(const char*) override { return 1; }
    int setSnmpPort(int) override { return 1; }
    int setInfo(const char*, int, int, const int*, const _snmp_packet*) override { return 0; }
    int udpSetIp(const DEVICE_INFO*, int, const char*, const char*, const char*,
                 unsigned char) override {
        return 0;
    }
    int queryFreeIp(const char*, char*) override { return 0; }

private:
    ManualWaitClock& clock_;
    std::chrono::milliseconds timeout_;
    int answersFrom_;
};

struct WaitRow {
    const char* name;
    std::chrono::milliseconds timeoutPerAsk;
    int answersFrom; // 0: never
    bool answered;
    int asks;
    std::chrono::milliseconds elapsed;
};

class ComeBackWait : public testing::TestWithParam<WaitRow> {};

TEST_P(ComeBackWait, MeasuresTheTimeThatPassedNotTheSleeps) {
    const WaitRow& row = GetParam();
    ManualWaitClock clock;
    SlowRouter router(clock, row.timeoutPerAsk, row.answersFrom);
    EXPECT_EQ(waitUntilAnswering(router, "127.0.0.21", clock, kComeBackLimit), row.answered);
    EXPECT_EQ(router.asks, row.asks);
    EXPECT_EQ(clock.elapsed(), row.elapsed);
}

INSTANTIATE_TEST_SUITE_P(Rows, ComeBackWait,
                         testing::Values(
                             // Five asks of 2 s and four pauses: 11 s, not 40 asks and 90 s.
                             WaitRow{"SilentRouterWhoseAsksTimeOut", 2000ms, 0, false, 5, 11000ms},
                             WaitRow{"SilentRouterRefusingAtOnce", 0ms, 0, false, 41, 10000ms},
                             WaitRow{"RouterBackOnTheThirdAsk", 2000ms, 3, true, 3, 4500ms},
                             WaitRow{"RouterAnsweringAtOnce", 2000ms, 1, true, 1, 0ms}),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tolvaro::device
