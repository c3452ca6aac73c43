// The simulated router's sense of time. Everything time-dependent in the
// model (restart, dialling, lease ages, log stamps) reads this clock, so
// tests can step it instead of sleeping.
#pragma once

#include <atomic>
#include <chrono>

namespace routersim {

using Millis = std::chrono::milliseconds;

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time since an arbitrary origin.
    virtual Millis now() const = 0;
};

class SteadyClock final : public Clock {
public:
    Millis now() const override {
        return std::chrono::duration_cast<Millis>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

// A clock that moves only when told to; safe to step from a test thread while
// router threads read it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(Millis start = Millis{1'000'000}) : now_(start.count()) {}
    Millis now() const override { return Millis{now_.load()}; }
    void advance(Millis step) { now_ += step.count(); }

private:
    std::atomic<Millis::rep> now_;
};

} // namespace routersim
