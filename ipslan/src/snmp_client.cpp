// SNMPv1 reads and writes of router variables through Net-SNMP's
// single-session API: writes and single reads wait for each answer; a batch
// of reads packs its variables into as few requests as the router takes and
// keeps several outstanding on the same session; a fleet drives the batches
// of many routers, each on its own session, from one thread.
#include "ipslan/detail/snmp_client.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include "ipslan/detail/netsnmp_setup.h"
#include "ipslan/detail/state.h"
#include "ipslan/diagnostics.h"
#include "ipslan/ipslan.h"
#include "ipslan/send_rule.h"
#include "ipslan/variables.h"
#include "ipslan/wire.h"

namespace ipslan::detail {
namespace {

constexpr std::size_t kMaxCommunity = 255;

// The session template every request copies.
const netsnmp_session& sessionTemplate() {
    static const netsnmp_session session = [] {
        initNetSnmp();
        std::lock_guard lock(netSnmpMutex());
        netsnmp_session s;
        snmp_sess_init(&s);
        return s;
    }();
    return session;
}

struct PduDeleter {
    void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using PduPtr = std::unique_ptr<netsnmp_pdu, PduDeleter>;

struct Request {
    std::string peer;
    std::vector<wire::VariableOid> oids;
};

// Validates the common arguments and builds the peer name and the OIDs; the
// router must be named by dotted-decimal text (never a host name or a
// transport specifier, which Net-SNMP would otherwise act on).
std::optional<Request> prepare(const char* ip, int mode, int count, const int* variables) {
    if (ip == nullptr || variables == nullptr || count < 1 || count > kMaxRequestVariables) {
        return std::nullopt;
    }
    const auto address = wire::parseIpv4(std::string_view(ip, strnlen(ip, 64)));
    if (!address) {
        return std::nullopt;
    }
    Request request;
    request.peer =
        "udp:" + wire::formatIpv4(*address) + ":" + std::to_string(snmpPortFor(*address));
    for (int i = 0; i < count; ++i) {
        const auto oid = wire::variableOid(variables[i], mode);
        if (!oid) {
            return std::nullopt;
        }
        request.oids.push_back(*oid);
    }
    return request;
}

// The calling thread's session, kept open while the peer, community and
// time-outs stay the same: opening a socket per request doubles the cost of
// a fetch. Net-SNMP's build here is not re-entrant, so each thread has its
// own session and opening and closing are serialised.
class CachedSession {
public:
    CachedSession() = default;
    ~CachedSession() { close(); }
    CachedSession(const CachedSession&) = delete;
    CachedSession& operator=(const CachedSession&) = delete;

    void* get(const std::string& peer, const Settings& s) {
        const long timeout = static_cast<long>(s.timeouts.timeoutMs) * 1000;
        if (handle_ != nullptr && peer == peer_ && s.community == community_ &&
            timeout == timeout_ && s.timeouts.retries == retries_) {
            return handle_;
        }
        close();
        peer_ = peer;
        community_ = s.community;
        timeout_ = timeout;
        retries_ = s.timeouts.retries;

        netsnmp_session session = sessionTemplate();
        session.version = SNMP_VERSION_1;
        session.peername = peer_.data();
        session.community = reinterpret_cast<u_char*>(community_.data());
        session.community_len = community_.size();
        session.timeout = timeout_;
        session.retries = retries_;
        std::lock_guard lock(netSnmpMutex());
        handle_ = snmp_sess_open(&session);
        return handle_;
    }

    void close() {
        if (handle_ != nullptr) {
            std::lock_guard lock(netSnmpMutex());
            snmp_sess_close(handle_);
            handle_ = nullptr;
        }
    }

private:
    void* handle_ = nullptr;
    std::string peer_;
    std::string community_;
    long timeout_ = 0;
    int retries_ = 0;
};

thread_local CachedSession cachedSession;

thread_local RequestFailure lastFailure;

void noteFailure(const Request& request, RequestFailure::Kind kind, int errorStatus = 0,
                 std::size_t index = 0, int valueType = 0) {
    lastFailure = RequestFailure{};
    lastFailure.kind = kind;
    lastFailure.errorStatus = errorStatus;
    lastFailure.valueType = valueType;
    lastFailure.peer = request.peer;
    if (index < request.oids.size()) {
        const auto& oid = request.oids[index];
        if (const auto ref = wire::variableFromOid(oid.data(), oid.size())) {
            lastFailure.variable = ref->variable;
            lastFailure.mode = ref->mode;
        }
    }
}

// The router's response when it passes responseAnswers(); else null.
PduPtr accepted(const Request& request, PduPtr answer) {
    if (!answer || !responseAnswers(*answer, request.oids)) {
        return nullptr;
    }
    return answer;
}

// Sends one request and waits for its answer (see accepted()).
PduPtr exchange(const Request& request, PduPtr pdu) {
    void* handle = cachedSession.get(request.peer, settings());
    if (handle == nullptr) {
        return nullptr;
    }
    netsnmp_pdu* response = nullptr;
    // The request PDU is consumed in every case. A late answer to an earlier,
    // timed-out request carries another request id and is dropped.
    const int status = snmp_sess_synch_response(handle, pdu.release(), &response);
    PduPtr answer(response);
    if (status == STAT_ERROR) {
        cachedSession.close();
    }
    if (status != STAT_SUCCESS || !answer) {
        noteFailure(request, RequestFailure::NoResponse);
        return nullptr;
    }
    if (answer->errstat != SNMP_ERR_NOERROR) {
        const long index = answer->errindex;
        noteFailure(request, RequestFailure::ErrorStatus, static_cast<int>(answer->errstat),
                    index > 0 ? static_cast<std::size_t>(index - 1) : request.oids.size());
        return nullptr;
    }
    PduPtr checked = accepted(request, std::move(answer));
    if (!checked) {
        noteFailure(request, RequestFailure::WrongVariables, 0, request.oids.size());
        return nullptr;
    }
    lastFailure = RequestFailure{};
    return checked;
}

PduPtr getPdu(const Request& request) {
    PduPtr pdu(snmp_pdu_create(SNMP_MSG_GET));
    for (const auto& id : request.oids) {
        const std::vector<::oid> name(id.begin(), id.end());
        snmp_add_null_var(pdu.get(), name.data(), name.size());
    }
    return pdu;
}

void putLe16(std::uint8_t* out, std::size_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void putLe32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Turns one response value into a read entry; false for types that have no
// entry form or values longer than an entry holds.
bool toEntry(const netsnmp_variable_list& var, MIB_RESPONSE& entry) {
    entry = MIB_RESPONSE{};
    entry.type = var.type;
    switch (var.type) {
    case ASN_INTEGER:
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
        if (var.val.integer == nullptr) {
            return false;
        }
        putLe32(entry.value, static_cast<std::uint32_t>(*var.val.integer));
        putLe16(entry.length, 4);
        return true;
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE:
        if (var.val_len > kEntryValueSize || (var.val_len > 0 && var.val.string == nullptr)) {
            return false;
        }
        if (var.val_len > 0) {
            std::memcpy(entry.value, var.val.string, var.val_len);
        }
        putLe16(entry.length, var.val_len);
        return true;
    default:
        return false;
    }
}

std::size_t entryLength(const _snmp_packet& entry) {
    return static_cast<std::size_t>(entry.length[0]) | static_cast<std::size_t>(entry.length[1])
                                                           << 8;
}

// The read entries of an accepted answer; nullopt without one. Decoding
// comes before touching the caller's area, so that a failed read leaves it
// as it was.
std::optional<std::vector<MIB_RESPONSE>> decode(const PduPtr& answer) {
    if (!answer) {
        return std::nullopt;
    }
    return readEntries(*answer);
}

// ---- Packed reads -----------------------------------------------------------
//
// The reads of a batch are independent, so their variables travel together:
// each distinct variable is asked once, in GET requests holding as many
// variables as the router has shown it can answer in one datagram. A router
// that answers tooBig gets requests half the size; one that answers genErr
// to a request of several variables gets one variable per request from then
// on. What the library learns holds for the rest of the process.

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

// "udp:a.b.c.d:port" for a router named by dotted-decimal text; empty for
// anything else.
std::string peerFor(const char* ip, int port) {
    const auto address =
        ip == nullptr ? std::nullopt : wire::parseIpv4(std::string_view(ip, strnlen(ip, 64)));
    if (!address || port < 1 || port > 65535) {
        return {};
    }
    return "udp:" + wire::formatIpv4(*address) + ":" + std::to_string(snmpPortFor(*address, port));
}

class RouterReads;

// One GET on the wire. Its address is the callback's magic, so packets live
// in a list.
struct Packet {
    RouterReads* owner = nullptr;
    std::vector<std::size_t> wanted;
    bool done = false;
};

int onPacket(int operation, netsnmp_session* session, int requestId, netsnmp_pdu* pdu, void* magic);

// The reads of one router: which distinct variables they name, what is on
// the wire, what came back, and at the end the outcome of each read as if
// it had been an IPSGetInfo call of its own.
class RouterReads {
public:
    // `peer` empty: the router cannot be asked and every read fails. With
    // `resultsLater` a read's result area may be null until land().
    RouterReads(std::string peer, IPS_READ* reads, int n, int window, bool resultsLater)
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
    void send() {
        if (session_ == nullptr || broken_) {
            return;
        }
        const Packing packing = packingMemory().of(peer_);
        const std::size_t cap =
            packing.oneAtATime ? 1 : static_cast<std::size_t>(packing.maxVariables);
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
                    wanted_[w].state = State::Failed;
                }
                inFlight_.pop_back();
                broken_ = true;
                findStop();
                return;
            }
            pdu.release(); // Net-SNMP owns it now
        }
    }

    // An answer, or nullptr when the request timed out after its retries.
    void take(Packet& packet, const netsnmp_pdu* answer) {
        packet.done = true;
        const auto failAll = [&] {
            for (const std::size_t w : packet.wanted) {
                wanted_[w].state = State::Failed;
            }
        };
        if (answer == nullptr) {
            failAll();
            return;
        }
        const std::size_t n = packet.wanted.size();
        if (answer->errstat == SNMP_ERR_NOERROR) {
            std::vector<wire::VariableOid> asked;
            for (const std::size_t w : packet.wanted) {
                asked.push_back(wanted_[w].oid);
            }
            if (!responseAnswers(*answer, asked)) {
                failAll();
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
                    wanted.state = State::Failed;
                }
                var = var->next_variable;
            }
            return;
        }
        // Any error answer to one variable is that variable's failure.
        if (n == 1) {
            failAll();
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
            wanted_[packet.wanted[static_cast<std::size_t>(answer->errindex) - 1]].state =
                State::Failed;
            requeue(packet, false);
        } else {
            requeue(packet, true);
        }
    }

    // Forgets the packets that were answered or timed out.
    void settle() {
        inFlight_.remove_if([](const Packet& packet) { return packet.done; });
        findStop();
    }

    // The session is gone, and with it every request in flight.
    void abandon() {
        for (Packet& packet : inFlight_) {
            take(packet, nullptr);
        }
        inFlight_.clear();
        session_ = nullptr;
        broken_ = true;
        findStop();
    }

    // Puts the results into the reads' areas in order and sets statuses, with
    // the stop rule of IPSGetInfoBatch. 1 when every read succeeded.
    int land() {
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

private:
    enum class State { Queued, Sent, Got, Failed };
    struct Wanted {
        wire::VariableOid oid;
        std::size_t firstRead = 0; // the earliest read that names it
        State state = State::Queued;
        bool alone = false; // goes in a request of its own
        std::uint8_t type = 0;
        std::vector<std::uint8_t> value;
    };

    static std::size_t entryLength(const MIB_RESPONSE& entry) {
        return static_cast<std::size_t>(entry.length[0]) | static_cast<std::size_t>(entry.length[1])
                                                               << 8;
    }

    // Only variables a read before the stop still needs go out.
    bool queued(const Wanted& w) const { return w.state == State::Queued && w.firstRead <= stop_; }

    void requeue(const Packet& packet, bool alone) {
        for (const std::size_t w : packet.wanted) {
            if (wanted_[w].state == State::Sent) {
                wanted_[w].state = State::Queued;
                wanted_[w].alone = wanted_[w].alone || alone;
            }
        }
    }

    bool succeeded(std::size_t read) const {
        return readValid_[read] &&
               std::all_of(readWanted_[read].begin(), readWanted_[read].end(),
                           [this](std::size_t w) { return wanted_[w].state == State::Got; });
    }

    bool failed(std::size_t read) const {
        return !readValid_[read] ||
               std::any_of(readWanted_[read].begin(), readWanted_[read].end(),
                           [this](std::size_t w) { return wanted_[w].state == State::Failed; });
    }

    // The first read that failed and ends the batch: nothing after it is
    // sent any more.
    void findStop() {
        for (std::size_t i = 0; i < n_ && i < stop_; ++i) {
            if (reads_[i].stopOnFailure != 0 && failed(i)) {
                stop_ = i;
                return;
            }
        }
    }

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

// Waits for the answers and time-outs of the routers' sessions and hands them
// over. False when waiting itself failed: the sessions cannot be trusted.
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

void* openSession(const std::string& peer, const std::string& community, const Settings& s) {
    netsnmp_session session = sessionTemplate();
    std::string name = peer;
    std::string text = community;
    session.version = SNMP_VERSION_1;
    session.peername = name.data();
    session.community = reinterpret_cast<u_char*>(text.data());
    session.community_len = text.size();
    session.timeout = static_cast<long>(s.timeouts.timeoutMs) * 1000;
    session.retries = s.timeouts.retries;
    std::lock_guard lock(netSnmpMutex());
    // The session keeps copies of the peer name and community.
    return snmp_sess_open(&session);
}

void closeSession(void* session) {
    if (session != nullptr) {
        std::lock_guard lock(netSnmpMutex());
        snmp_sess_close(session);
    }
}

} // namespace

bool responseAnswers(const netsnmp_pdu& response, std::span<const wire::VariableOid> requested) {
    if (response.errstat != SNMP_ERR_NOERROR) {
        return false;
    }
    std::size_t i = 0;
    for (auto* var = response.variables; var != nullptr; var = var->next_variable, ++i) {
        if (i >= requested.size() ||
            wire::variableFromOid(var->name, var->name_length) !=
                wire::variableFromOid(requested[i].data(), requested[i].size())) {
            return false;
        }
    }
    return i == requested.size();
}

std::optional<std::vector<MIB_RESPONSE>> readEntries(const netsnmp_pdu& response) {
    std::vector<MIB_RESPONSE> entries;
    for (auto* var = response.variables; var != nullptr; var = var->next_variable) {
        if (!toEntry(*var, entries.emplace_back())) {
            return std::nullopt;
        }
    }
    return entries;
}

std::optional<std::int32_t> parseIntegerText(const std::uint8_t* value, std::size_t size) {
    if (value == nullptr) {
        return std::nullopt;
    }
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(value, 0, size));
    if (end == nullptr) {
        return std::nullopt;
    }
    std::string_view text(reinterpret_cast<const char*>(value),
                          static_cast<std::size_t>(end - value));
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint64_t magnitude = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (text.empty() || error != std::errc{} || stop != text.data() + text.size()) {
        return std::nullopt;
    }
    // Negative texts reach -2^31; positive ones up to 2^32-1 so that a 32-bit
    // value written unsigned arrives with the same bits.
    if ((negative && magnitude > 0x80000000ull) || (!negative && magnitude > 0xffffffffull)) {
        return std::nullopt;
    }
    const std::uint32_t bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    return static_cast<std::int32_t>(bits);
}

int getInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result) {
    if (result == nullptr) {
        return 0;
    }
    const auto request = prepare(ip, mode, count, variables);
    if (!request) {
        return 0;
    }
    PduPtr answer = exchange(*request, getPdu(*request));
    const auto entries = decode(answer);
    if (!entries) {
        if (answer) {
            // The first value without an entry form names the variable.
            std::size_t index = 0;
            for (auto* var = answer->variables; var != nullptr; var = var->next_variable) {
                MIB_RESPONSE probe;
                if (!toEntry(*var, probe)) {
                    noteFailure(*request, RequestFailure::BadValue, 0, index, var->type);
                    break;
                }
                ++index;
            }
        }
        return 0;
    }
    std::memcpy(result, entries->data(), entries->size() * sizeof(MIB_RESPONSE));
    return 1;
}

int getInfoBatch(const char* ip, IPS_READ* reads, int n) {
    if (ip == nullptr || reads == nullptr || n < 1 || n > kMaxBatchReads) {
        return 0;
    }
    const Settings s = settings();
    const auto address = wire::parseIpv4(std::string_view(ip, strnlen(ip, 64)));
    const std::string peer = address ? peerFor(ip, s.snmpPort) : std::string();
    RouterReads router(peer, reads, n, s.readWindow, false);
    // Every read names the same router: the thread's own session serves it.
    router.attach(router.wantsToSend() ? cachedSession.get(peer, s) : nullptr);
    const std::vector<RouterReads*> one{&router};
    while (true) {
        router.send();
        if (router.finished()) {
            break;
        }
        if (!waitForAnswers(one)) {
            // Closing the session forgets every request in flight, so none of
            // their callbacks can come later.
            cachedSession.close();
            router.abandon();
        }
        router.settle();
    }
    if (router.broken()) {
        cachedSession.close();
    }
    return router.land();
}

int getInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind, IPS_FLEET_STEP done,
                 void* context) {
    if (routers == nullptr || n < 1) {
        return 0;
    }
    const Settings s = settings();
    struct Active {
        int index;
        std::unique_ptr<RouterReads> reads;
    };
    std::vector<Active> active;
    const auto limit = static_cast<std::size_t>(std::clamp(atOnce, 1, kMaxRoutersAtOnce));
    int next = 0;
    bool all = true;
    while (next < n || !active.empty()) {
        while (active.size() < limit && next < n) {
            const int index = next++;
            IPS_ROUTER& r = routers[index];
            const std::string peer = peerFor(r.ip, r.port == 0 ? s.snmpPort : r.port);
            const std::string community =
                r.community == nullptr
                    ? s.community
                    : std::string(r.community, strnlen(r.community, kMaxCommunity + 1));
            auto reads = std::make_unique<RouterReads>(
                community.size() > kMaxCommunity ? std::string() : peer, r.reads, r.n, s.readWindow,
                true);
            if (reads->wantsToSend()) {
                reads->attach(openSession(peer, community, s));
            }
            active.push_back(Active{index, std::move(reads)});
        }
        for (Active& a : active) {
            a.reads->send();
        }
        std::erase_if(active, [&](Active& a) {
            if (!a.reads->finished()) {
                return false;
            }
            closeSession(a.reads->session());
            if (bind != nullptr) {
                bind(context, a.index);
            }
            routers[a.index].result = a.reads->land();
            all = all && routers[a.index].result == 1;
            if (done != nullptr) {
                done(context, a.index);
            }
            return true;
        });
        std::vector<RouterReads*> waiting;
        for (Active& a : active) {
            waiting.push_back(a.reads.get());
        }
        if (!waitForAnswers(waiting)) {
            for (Active& a : active) {
                closeSession(a.reads->session());
                a.reads->abandon();
            }
        }
        for (Active& a : active) {
            a.reads->settle();
        }
    }
    return all ? 1 : 0;
}

void forgetPacking() {
    packingMemory().forget();
}

int setInfo(const char* ip, int mode, int count, const int* variables, const _snmp_packet* values) {
    if (values == nullptr) {
        return 0;
    }
    const auto request = prepare(ip, mode, count, variables);
    if (!request) {
        return 0;
    }
    PduPtr pdu(snmp_pdu_create(SNMP_MSG_SET));
    for (int i = 0; i < count; ++i) {
        const _snmp_packet& entry = values[i];
        const auto& id = request->oids[static_cast<std::size_t>(i)];
        const std::vector<::oid> name(id.begin(), id.end());
        int added = 0;
        if (checkSend(variables[i], mode, entry) != SendCheck::Sendable) {
            return 0;
        }
        if (sendsInteger(variables[i], mode, entry)) {
            const long value = *parseIntegerText(entry.value, kEntryValueSize);
            added = snmp_pdu_add_variable(pdu.get(), name.data(), name.size(), ASN_INTEGER, &value,
                                          sizeof value) != nullptr;
        } else {
            const std::size_t length = entryLength(entry);
            added = snmp_pdu_add_variable(pdu.get(), name.data(), name.size(), ASN_OCTET_STR,
                                          entry.value, length) != nullptr;
        }
        if (!added) {
            return 0;
        }
    }
    return exchange(*request, std::move(pdu)) ? 1 : 0;
}

void initSnmp() {
    (void)sessionTemplate();
}

} // namespace ipslan::detail

int PSSetCommunity(const char* community) {
    if (community == nullptr) {
        return 0;
    }
    const std::size_t length = strnlen(community, ipslan::detail::kMaxCommunity + 1);
    if (length > ipslan::detail::kMaxCommunity) {
        return 0;
    }
    ipslan::detail::setCommunity(std::string(community, length));
    return 1;
}

int PSSetSnmpPort(int port) {
    if (port < 1 || port > 65535) {
        return 0;
    }
    ipslan::detail::setSnmpPort(port);
    return 1;
}

int IPSGetInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result) {
    return ipslan::detail::getInfo(ip, mode, count, variables, result);
}

int IPSSetInfo(const char* ip, int mode, int count, const int* variables,
               const _snmp_packet* values) {
    return ipslan::detail::setInfo(ip, mode, count, variables, values);
}

int IPSGetInfoBatch(const char* ip, IPS_READ* reads, int n) {
    return ipslan::detail::getInfoBatch(ip, reads, n);
}

int IPSGetInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind,
                    IPS_FLEET_STEP done, void* context) {
    return ipslan::detail::getInfoFleet(routers, n, atOnce, bind, done, context);
}

namespace ipslan {

RequestFailure lastRequestFailure() {
    return detail::lastFailure;
}

std::string errorStatusName(int status) {
    static const char* const names[] = {"noError",  "tooBig",   "noSuchName",
                                        "badValue", "readOnly", "genErr"};
    if (status >= 0 && status < static_cast<int>(std::size(names))) {
        return names[status];
    }
    return "error " + std::to_string(status);
}

bool sendsInteger(int variable, int mode, const _snmp_packet& entry) {
    const VariableInfo* info = findVariable(variable, mode);
    if (info == nullptr) {
        return entry.type == kTypeInteger;
    }
    // The program sends untouched entries for tables the user never edited:
    // they must leave the router's values alone rather than fail the write.
    const bool untouched = detail::entryLength(entry) == 0 && entry.value[0] == 0;
    return info->kind == VarKind::Integer && !(info->keepOnEmpty && untouched);
}

SendCheck checkSend(int variable, int mode, const _snmp_packet& entry) {
    if (sendsInteger(variable, mode, entry)) {
        return detail::parseIntegerText(entry.value, kEntryValueSize) ? SendCheck::Sendable
                                                                      : SendCheck::NotANumber;
    }
    const VariableInfo* info = findVariable(variable, mode);
    const std::size_t limit = info != nullptr ? info->maxLength : kEntryValueSize;
    return detail::entryLength(entry) > std::min(limit, kEntryValueSize) ? SendCheck::TooLong
                                                                         : SendCheck::Sendable;
}

} // namespace ipslan
