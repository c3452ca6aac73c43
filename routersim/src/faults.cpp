#include "routersim/faults.h"

#include <algorithm>

namespace routersim {

void FaultControl::setScope(FaultScope scope) {
    std::lock_guard lock(mutex_);
    scope_ = scope;
}

void FaultControl::setLatency(Millis latency) {
    std::lock_guard lock(mutex_);
    latency_ = std::max(latency, Millis{0});
}

Millis FaultControl::latency() const {
    std::lock_guard lock(mutex_);
    return latency_;
}

void FaultControl::pause() {
    std::lock_guard lock(mutex_);
    paused_ = true;
    pauseAfter_ = -1;
}

void FaultControl::resume() {
    std::lock_guard lock(mutex_);
    paused_ = false;
    pauseAfter_ = -1;
}

void FaultControl::pauseAfter(int replies) {
    std::lock_guard lock(mutex_);
    paused_ = replies <= 0;
    pauseAfter_ = replies <= 0 ? -1 : replies;
}

void FaultControl::dropEveryNth(int n) {
    std::lock_guard lock(mutex_);
    dropEvery_ = std::max(n, 0);
    dropCounter_ = 0;
}

void FaultControl::answerTwice(bool on) {
    std::lock_guard lock(mutex_);
    twice_ = on;
}

void FaultControl::holdReplies(bool on) {
    std::lock_guard lock(mutex_);
    hold_ = on;
}

void FaultControl::releaseHeld() {
    {
        std::lock_guard lock(mutex_);
        ++releases_;
    }
    wake();
}

bool FaultControl::waitForHeld(int count, Millis timeout) {
    std::unique_lock lock(mutex_);
    return heldChanged_.wait_for(lock, timeout, [&] { return held_ >= count; });
}

void FaultControl::limitAnswers(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    getRules_.answerLimit = bytes;
}

void FaultControl::refuseSeveral(bool on) {
    std::lock_guard lock(mutex_);
    getRules_.refuseSeveral = on;
}

FaultControl::GetRules FaultControl::getRules() const {
    std::lock_guard lock(mutex_);
    return getRules_;
}

void FaultControl::noteInFlight(int count) {
    std::lock_guard lock(mutex_);
    counts_.mostInFlight = std::max(counts_.mostInFlight, count);
}

void FaultControl::restartAfter(int n) {
    std::lock_guard lock(mutex_);
    restartAfter_ = n >= 1 ? n : -1;
}

void FaultControl::pauseAtWriteOf(int variable, int mode) {
    std::lock_guard lock(mutex_);
    pauseAtWrite_ = {variable, mode};
}

bool FaultControl::admitsWrite(const std::vector<std::pair<int, int>>& variables) {
    std::lock_guard lock(mutex_);
    if (pauseAtWrite_.first < 0 ||
        std::find(variables.begin(), variables.end(), pauseAtWrite_) == variables.end())
        return true;
    paused_ = true;
    pauseAtWrite_ = {-1, 0};
    ++counts_.ignored;
    return false;
}

FaultControl::Counts FaultControl::counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

void FaultControl::setWake(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
}

bool FaultControl::applies(Service service) const {
    return scope_ == FaultScope::Both || (scope_ == FaultScope::Snmp) == (service == Service::Snmp);
}

bool FaultControl::admits(Service service) {
    std::lock_guard lock(mutex_);
    if (paused_ && applies(service)) {
        ++counts_.ignored;
        return false;
    }
    return true;
}

FaultControl::Decision FaultControl::decide(Service service) {
    std::lock_guard lock(mutex_);
    ++counts_.replies;
    Decision decision;
    if (!applies(service)) {
        return decision;
    }
    if (dropEvery_ > 0 && ++dropCounter_ == dropEvery_) {
        dropCounter_ = 0;
        decision.send = false;
        ++counts_.lost;
    }
    decision.copies = twice_ ? 2 : 1;
    decision.hold = hold_;
    if (pauseAfter_ > 0 && --pauseAfter_ == 0) {
        paused_ = true;
        pauseAfter_ = -1;
    }
    if (restartAfter_ > 0 && --restartAfter_ == 0) {
        decision.restart = true;
        restartAfter_ = -1;
    }
    return decision;
}

void FaultControl::noteSent(int count) {
    std::lock_guard lock(mutex_);
    counts_.sent += count;
}

void FaultControl::noteHeld(int delta) {
    {
        std::lock_guard lock(mutex_);
        held_ += delta;
    }
    heldChanged_.notify_all();
}

std::uint64_t FaultControl::releaseGeneration() const {
    std::lock_guard lock(mutex_);
    return releases_;
}

void FaultControl::wake() {
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        wake = wake_;
    }
    if (wake) {
        wake();
    }
}

} // namespace routersim
