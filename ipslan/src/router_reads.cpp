// Packed reads: the reads of a batch are independent, so their variables
// travel together. A router that answers tooBig gets requests half the size;
// one that answers genErr to a request of several variables gets one
// variable per request from then on. What the library learns holds for the
// rest of the process.
#include "router_reads.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <optional>

#include "ipslan/detail/snmp_client.h"
#include "snmp_entries.h"

namespace ipslan::detail {
namespace {

struct Packing {
    int maxVariables = kMaxPackedVariables;
    bool oneAtATime = false;
};

class PackingMemory {
public:
    Packing of(const std::string& peer) {
        std::lock_guard lock(mutex_);
        const auto found = known_.find(peer);
        return found == known_.end() ? Packing{} : found->second;
    }
    void tooBig(const std::string& peer, std::size_t variables) {
        std::lock_guard lock(mutex_);
        Packing& packing = known_[peer];
        packing.maxVariables =
            std::min(packing.maxVariables, std::max(1, static_cast<int>(variables / 2)));
    }
    void refusesSeveral(const std::string& peer) {
        std::lock_guard lock(mutex_);
        known_[peer].oneAtATime = true;
    }
    void forget() {
        std::lock_guard lock(mutex_);
        known_.clear();
    }

private:
    std::mutex mutex_;
    std::map<std::string, Packing> known_;
};

PackingMemory& packingMemory() {
    static PackingMemory memory;
    return memory;
}

int onPacket(int operation, netsnmp_session* /*session*/, int /*requestId*/, netsnmp_pdu* pdu,
             void* magic) {
    // A resend is only news; the request is still waiting.
    if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT) {
        return 1;
    }
    auto* packet = static_cast<Packet*>(magic);
    // Net-SNMP frees the PDU after the callback returns, so it is read here.
    packet->owner->take(*packet, operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE ? pdu : nullptr);
    return 1;
}

} // namespace

RouterReads::RouterReads(std::string peer, IPS_READ* reads, int n, int window, bool resultsLater)
    : peer_(std::move(peer)), reads_(reads), window_(std::max(window, 1)) {
    if (reads == nullptr || n < 1 || n > kMaxBatchReads) {
        return;
    }
    n_ = static_cast<std::size_t>(n);
    readWanted_.resize(n_);
    readValid_.assign(n_, false);
    std::map<wire::VariableOid, std::size_t> known;
    for (std::size_t i = 0; i < n_; ++i) {
        const IPS_READ& read = reads[i];
        if (peer_.empty() || read.variables == nullptr || read.count < 1 ||
            read.count > kMaxRequestVariables || (read.result == nullptr && !resultsLater)) {
            continue;
        }
        std::vector<std::size_t> mine;
        for (int k = 0; k < read.count; ++k) {
            const auto oid = wire::variableOid(read.variables[k], read.mode);
            if (!oid) {
                break;
            }
            const auto [at, isNew] = known.emplace(*oid, wanted_.size());
            if (isNew) {
                Wanted added{};
                added.oid = *oid;
                added.firstRead = i;
                wanted_.push_back(std::move(added));
            }
            mine.push_back(at->second);
        }
        if (mine.size() == static_cast<std::size_t>(read.count)) {
            readValid_[i] = true;
            readWanted_[i] = std::move(mine);
        }
    }
    findStop();
}

void RouterReads::send() {
    if (session_ == nullptr || broken_) {
        return;
    }
    const Packing packing = packingMemory().of(peer_);
    const std::size_t cap = packing.oneAtATime ? 1 : static_cast<std::size_t>(packing.maxVariables);
    while (inFlight_.size() < static_cast<std::size_t>(window_)) {
        std::vector<std::size_t> pick;
        for (std::size_t w = 0; w < wanted_.size() && pick.size() < cap; ++w) {
            if (!queued(wanted_[w]) || (wanted_[w].alone && !pick.empty())) {
                continue;
            }
            pick.push_back(w);
            if (wanted_[w].alone) {
                break;
            }
        }
        if (pick.empty()) {
            return;
        }
        PduPtr pdu(snmp_pdu_create(SNMP_MSG_GET));
        for (const std::size_t w : pick) {
            const std::vector<::oid> name(wanted_[w].oid.begin(), wanted_[w].oid.end());
            snmp_add_null_var(pdu.get(), name.data(), name.size());
            wanted_[w].state = State::Sent;
        }
        Packet& packet = inFlight_.emplace_back(Packet{this, std::move(pick)});
        if (snmp_sess_async_send(session_, pdu.get(), &onPacket, &packet) == 0) {
            for (const std::size_t w : packet.wanted) {
                fail(w, {RequestFailure::NoResponse});
            }
            inFlight_.pop_back();
            broken_ = true;
            findStop();
            return;
        }
        pdu.release(); // Net-SNMP owns it now
    }
}

void RouterReads::take(Packet& packet, const netsnmp_pdu* answer) {
    packet.done = true;
    const auto failAll = [&](Why why) {
        for (const std::size_t w : packet.wanted) {
            fail(w, why);
        }
    };
    if (answer == nullptr) {
        failAll({RequestFailure::NoResponse});
        return;
    }
    const std::size_t n = packet.wanted.size();
    if (answer->errstat == SNMP_ERR_NOERROR) {
        std::vector<wire::VariableOid> asked;
        for (const std::size_t w : packet.wanted) {
            asked.push_back(wanted_[w].oid);
        }
        if (!responseAnswers(*answer, asked)) {
            // Which variable went wrong is unknown: the answer names others.
            failAll({RequestFailure::WrongVariables, 0, 0, false});
            return;
        }
        const netsnmp_variable_list* var = answer->variables;
        for (const std::size_t w : packet.wanted) {
            Wanted& wanted = wanted_[w];
            MIB_RESPONSE entry;
            if (toEntry(*var, entry)) {
                wanted.state = State::Got;
                wanted.type = entry.type;
                const std::size_t length = entryLength(entry);
                wanted.value.assign(entry.value, entry.value + length);
            } else {
                fail(w, {RequestFailure::BadValue, 0, var->type});
            }
            var = var->next_variable;
        }
        return;
    }
    // Any error answer to one variable is that variable's failure.
    const Why refused{RequestFailure::ErrorStatus, static_cast<int>(answer->errstat)};
    if (n == 1) {
        failAll(refused);
        return;
    }
    if (answer->errstat == SNMP_ERR_TOOBIG) {
        packingMemory().tooBig(peer_, n);
        requeue(packet, false);
    } else if (answer->errstat == SNMP_ERR_GENERR) {
        packingMemory().refusesSeveral(peer_);
        requeue(packet, false);
    } else if (answer->errindex >= 1 && static_cast<std::size_t>(answer->errindex) <= n) {
        // In SNMPv1 one unknown variable fails the whole request: the
        // others are asked again without it.
        fail(packet.wanted[static_cast<std::size_t>(answer->errindex) - 1], refused);
        requeue(packet, false);
    } else {
        requeue(packet, true);
    }
}

void RouterReads::fail(std::size_t w, const Why& why) {
    wanted_[w].state = State::Failed;
    wanted_[w].why = why;
}

void RouterReads::noteOutcome() const {
    // Reads not counted after a stop say nothing: their answers were dropped.
    for (std::size_t i = 0; i < n_; ++i) {
        if (reads_[i].status != 0 || !readValid_[i]) {
            continue;
        }
        for (const std::size_t w : readWanted_[i]) {
            const Wanted& wanted = wanted_[w];
            if (wanted.state == State::Failed) {
                noteFailure(peer_, wanted.why.kind, wanted.why.errorStatus,
                            wanted.why.named ? &wanted.oid : nullptr, wanted.why.valueType);
                return;
            }
        }
    }
    clearFailure();
}

void RouterReads::settle() {
    inFlight_.remove_if([](const Packet& packet) { return packet.done; });
    findStop();
}

void RouterReads::abandon() {
    for (Packet& packet : inFlight_) {
        take(packet, nullptr);
    }
    inFlight_.clear();
    session_ = nullptr;
    broken_ = true;
    findStop();
}

int RouterReads::land() {
    if (n_ == 0) {
        return 0;
    }
    bool stopped = false;
    bool all = true;
    for (std::size_t i = 0; i < n_; ++i) {
        IPS_READ& read = reads_[i];
        if (stopped) {
            read.status = -1;
            all = false;
            continue;
        }
        const bool ok = succeeded(i) && read.result != nullptr;
        read.status = ok ? 1 : 0;
        if (!ok) {
            all = false;
            stopped = read.stopOnFailure != 0;
            continue;
        }
        for (std::size_t k = 0; k < readWanted_[i].size(); ++k) {
            const Wanted& wanted = wanted_[readWanted_[i][k]];
            MIB_RESPONSE& entry = read.result[k];
            entry = MIB_RESPONSE{};
            entry.type = wanted.type;
            putLe16(entry.length, wanted.value.size());
            std::copy(wanted.value.begin(), wanted.value.end(), entry.value);
        }
    }
    return all ? 1 : 0;
}

void RouterReads::requeue(const Packet& packet, bool alone) {
    for (const std::size_t w : packet.wanted) {
        if (wanted_[w].state == State::Sent) {
            wanted_[w].state = State::Queued;
            wanted_[w].alone = wanted_[w].alone || alone;
        }
    }
}

bool RouterReads::succeeded(std::size_t read) const {
    return readValid_[read] &&
           std::all_of(readWanted_[read].begin(), readWanted_[read].end(),
                       [this](std::size_t w) { return wanted_[w].state == State::Got; });
}

bool RouterReads::failed(std::size_t read) const {
    return !readValid_[read] ||
           std::any_of(readWanted_[read].begin(), readWanted_[read].end(),
                       [this](std::size_t w) { return wanted_[w].state == State::Failed; });
}

void RouterReads::findStop() {
    for (std::size_t i = 0; i < n_ && i < stop_; ++i) {
        if (reads_[i].stopOnFailure != 0 && failed(i)) {
            stop_ = i;
            return;
        }
    }
}

bool waitForAnswers(const std::vector<RouterReads*>& routers) {
    fd_set readable;
    FD_ZERO(&readable);
    int fds = 0;
    std::optional<timeval> soonest;
    for (RouterReads* router : routers) {
        if (router->session() == nullptr || !router->waiting()) {
            continue;
        }
        int n = 0;
        int block = 1;
        timeval timeout{};
        snmp_sess_select_info(router->session(), &n, &readable, &timeout, &block);
        fds = std::max(fds, n);
        if (block == 0 && (!soonest || timercmp(&timeout, &*soonest, <))) {
            soonest = timeout;
        }
    }
    if (fds == 0 && !soonest) {
        return true;
    }
    const int ready = ::select(fds, &readable, nullptr, nullptr, soonest ? &*soonest : nullptr);
    if (ready < 0) {
        return errno == EINTR;
    }
    for (RouterReads* router : routers) {
        if (router->session() != nullptr && router->waiting()) {
            // Each session reads only when its own socket is marked.
            if (ready > 0) {
                snmp_sess_read(router->session(), &readable);
            }
            snmp_sess_timeout(router->session());
        }
    }
    return true;
}

void forgetPacking() {
    packingMemory().forget();
}

} // namespace ipslan::detail
