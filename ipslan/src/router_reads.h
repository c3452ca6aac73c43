// The reads of one router, packed: each distinct variable of a batch is asked
// once, in GET requests holding as many variables as the router has shown it
// can answer, with several requests outstanding on one session.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <list>
#include <string>
#include <vector>

#include "ipslan/ipslan.h"
#include "ipslan/wire.h"
#include "snmp_session.h"

namespace ipslan::detail {

class RouterReads;

// One GET on the wire. Its address is the callback's magic, so packets live
// in a list.
struct Packet {
    RouterReads* owner = nullptr;
    std::vector<std::size_t> wanted;
    bool done = false;
};

// Which distinct variables the reads name, what is on the wire, what came
// back, and at the end the outcome of each read as if it had been an
// IPSGetInfo call of its own.
class RouterReads {
public:
    // `peer` empty: the router cannot be asked and every read fails. With
    // `resultsLater` a read's result area may be null until land().
    RouterReads(std::string peer, IPS_READ* reads, int n, int window, bool resultsLater);

    bool wantsToSend() const {
        return std::any_of(wanted_.begin(), wanted_.end(),
                           [this](const Wanted& w) { return queued(w); });
    }
    void attach(void* session) { session_ = session; }
    void* session() const { return session_; }
    bool broken() const { return broken_; }
    bool waiting() const { return !inFlight_.empty(); }
    bool finished() const { return inFlight_.empty() && (session_ == nullptr || !wantsToSend()); }

    // Sends requests while the window has room.
    void send();
    // An answer, or nullptr when the request timed out after its retries.
    void take(Packet& packet, const netsnmp_pdu* answer);
    // Forgets the packets that were answered or timed out.
    void settle();
    // The session is gone, and with it every request in flight.
    void abandon();
    // Puts the results into the reads' areas in order and sets statuses, with
    // the stop rule of IPSGetInfoBatch. 1 when every read succeeded.
    int land();
    // After land(): lets lastRequestFailure() tell why the first read that
    // failed at the router did (its first failed variable); clears it when
    // none did.
    void noteOutcome() const;

private:
    enum class State { Queued, Sent, Got, Failed };
    // Why a variable failed, for lastRequestFailure().
    struct Why {
        RequestFailure::Kind kind = RequestFailure::None;
        int errorStatus = 0;
        int valueType = 0;
        bool named = true; // the failure is this variable's own
    };
    struct Wanted {
        wire::VariableOid oid;
        std::size_t firstRead = 0; // the earliest read that names it
        State state = State::Queued;
        bool alone = false; // goes in a request of its own
        std::uint8_t type = 0;
        std::vector<std::uint8_t> value;
        Why why;
    };

    static std::size_t entryLength(const MIB_RESPONSE& entry) {
        return static_cast<std::size_t>(entry.length[0]) | static_cast<std::size_t>(entry.length[1])
                                                               << 8;
    }

    // Only variables a read before the stop still needs go out.
    bool queued(const Wanted& w) const { return w.state == State::Queued && w.firstRead <= stop_; }

    void requeue(const Packet& packet, bool alone);
    void fail(std::size_t w, const Why& why);
    bool succeeded(std::size_t read) const;
    bool failed(std::size_t read) const;
    // The first read that failed and ends the batch: nothing after it is
    // sent any more.
    void findStop();

    std::string peer_;
    IPS_READ* reads_;
    std::size_t n_ = 0;
    int window_;
    std::vector<std::vector<std::size_t>> readWanted_;
    std::vector<bool> readValid_;
    std::vector<Wanted> wanted_;
    std::list<Packet> inFlight_;
    std::size_t stop_ = std::numeric_limits<std::size_t>::max();
    void* session_ = nullptr;
    bool broken_ = false;
};

// Waits for the answers and time-outs of the routers' sessions and hands them
// over. False when waiting itself failed: the sessions cannot be trusted.
bool waitForAnswers(const std::vector<RouterReads*>& routers);

} // namespace ipslan::detail
