// Faults and delay a test can impose on a running simulated router, so that
// lost, duplicated, late and missing answers are reproducible without sleeps:
//
//     routersim::Router router(config);
//     router.faults().dropEveryNth(3);  // every third reply is lost
//     router.faults().pauseAfter(5);    // answers five more requests, then none
//
// The control sits between the router and the network. A request is either
// ignored (paused: the router does not act on it, a write is not applied) or
// handled; a handled request's reply may then be lost, sent twice, held back
// or delayed. Losing or holding a reply does not undo the write it answers.
//
// Latency is real time (a steady clock, whatever clock the router's model
// uses): it stands for the network, which a test cannot step. Each reply
// waits on its own, so replies to requests in flight together leave together,
// and no router waits for another. Everything else is counted in replies and
// happens at once.
//
// All members are safe to call from any thread while the router runs.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "routersim/clock.h"

namespace routersim {

// Which of the router's services the faults apply to. Latency applies to
// both whatever the scope.
enum class FaultScope { Snmp, Discovery, Both };

class FaultControl {
public:
    // What becomes of one reply the router has composed.
    struct Decision {
        bool send = true;     // false: lost on the way
        int copies = 1;       // 2: answered twice
        bool hold = false;    // kept until releaseHeld()
        bool restart = false; // the router restarts right after this reply
    };
    enum class Service { Snmp, Discovery };

    FaultControl() = default;
    FaultControl(const FaultControl&) = delete;
    FaultControl& operator=(const FaultControl&) = delete;

    void setScope(FaultScope scope);
    void setLatency(Millis latency);
    Millis latency() const;

    // Paused, the router ignores requests as if it were switched off.
    void pause();
    void resume();
    // Answers `replies` more requests, then pauses (0 pauses at once).
    void pauseAfter(int replies);

    // Every n-th reply from now on is lost (n >= 1; 0 stops losing).
    void dropEveryNth(int n);
    // Every reply goes out twice (the same datagram).
    void answerTwice(bool on);
    // Replies are kept, not sent, until releaseHeld(); then they go out in
    // the order they were made, with the latency they would have had.
    void holdReplies(bool on);
    void releaseHeld();
    // Waits up to `timeout` (real time) until at least `count` replies are
    // held; true when they are. Lets a test know a request has arrived.
    bool waitForHeld(int count, Millis timeout);

    // GET answers above `bytes` (40 per variable plus its value) are refused
    // with tooBig, as by a router with a small buffer; 0 lifts the limit.
    void limitAnswers(std::size_t bytes);
    // GET requests naming more than one variable are answered genErr.
    void refuseSeveral(bool on);
    struct GetRules {
        std::size_t answerLimit = 0;
        bool refuseSeveral = false;
    };
    GetRules getRules() const;

    // Restarts the router, as a reset does, right after its `n`-th reply
    // from now (n >= 1; 0 cancels). The reply itself still goes out.
    void restartAfter(int n);

    // Pauses (as pause()) when a write of `variable` in `mode` arrives,
    // before the router acts on it: a router that goes silent at a given
    // write. A variable below 0 cancels.
    void pauseAtWriteOf(int variable, int mode = 0);

    // Counts since the router started: requests ignored while paused, and
    // replies composed, lost and sent (a double answer counts once); and the
    // most SNMP requests the router held at once, answered but not yet sent
    // (with a latency: the requests in flight).
    struct Counts {
        int ignored = 0;
        int replies = 0;
        int lost = 0;
        int sent = 0;
        int mostInFlight = 0;
    };
    Counts counts() const;

    // ---- For the router ----------------------------------------------------
    // Called when the router is woken to look at the control again.
    void setWake(std::function<void()> wake);
    // False when a request of `service` is to be ignored (counted).
    bool admits(Service service);
    // False when a write request naming `variables` (with their modes) is to
    // be ignored; pauses the router when it names the one to pause at.
    bool admitsWrite(const std::vector<std::pair<int, int>>& variables);
    Decision decide(Service service);
    void noteSent(int count);
    void noteInFlight(int count);
    void noteHeld(int delta);
    // Grows with every releaseHeld(); the router compares it with the value it
    // saw last.
    std::uint64_t releaseGeneration() const;

private:
    bool applies(Service service) const;
    void wake();

    mutable std::mutex mutex_;
    std::condition_variable heldChanged_;
    std::function<void()> wake_;
    FaultScope scope_ = FaultScope::Both;
    Millis latency_{0};
    bool paused_ = false;
    int pauseAfter_ = -1; // replies left before pausing; -1: none planned
    int dropEvery_ = 0;
    int dropCounter_ = 0;
    bool twice_ = false;
    bool hold_ = false;
    int held_ = 0;
    std::uint64_t releases_ = 0;
    int restartAfter_ = -1;
    std::pair<int, int> pauseAtWrite_{-1, 0};
    GetRules getRules_;
    Counts counts_;
};

} // namespace routersim
