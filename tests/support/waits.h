// How long tests let the device library wait for an answer. An answer ends
// the wait the moment it arrives, so a request that should be answered waits
// long: on a loaded machine (sanitizers, tests in parallel) a thread can be
// held far longer than any short timeout. Only a request meant to go
// unanswered waits briefly, inside a BriefWait.
#pragma once

#include <ipslan/config.h>

namespace tolvaro::test {

inline constexpr int kAnswerTimeoutMs = 10000;
inline constexpr int kBriefTimeoutMs = 150;

// While it lives, requests wait kBriefTimeoutMs without a retry.
class BriefWait {
public:
    BriefWait() : saved_(ipslan::timeouts()) { ipslan::setTimeouts(kBriefTimeoutMs, 0); }
    ~BriefWait() { ipslan::setTimeouts(saved_.timeoutMs, saved_.retries); }
    BriefWait(const BriefWait&) = delete;
    BriefWait& operator=(const BriefWait&) = delete;

private:
    ipslan::Timeouts saved_;
};

} // namespace tolvaro::test
