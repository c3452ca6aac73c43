// SNMPv1 reads and writes of router variables through Net-SNMP's
// single-session API: writes and single reads wait for each answer; a batch
// of reads keeps several requests outstanding on the same session.
#include "ipslan/detail/snmp_client.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
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

// One read of a batch while its request is on the wire.
struct InFlight {
    std::optional<Request> request;
    PduPtr answer;
    bool sent = false; // waiting for its answer
    bool done = false; // answered or timed out, not yet settled
};

int onBatchResponse(int operation, netsnmp_session* /*session*/, int /*requestId*/,
                    netsnmp_pdu* pdu, void* magic) {
    // A resend is only news; the request is still waiting.
    if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT) {
        return 1;
    }
    auto* read = static_cast<InFlight*>(magic);
    read->done = true;
    // Net-SNMP frees the PDU after the callback returns.
    if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr) {
        read->answer.reset(snmp_clone_pdu(pdu));
    }
    return 1;
}

// Sends the reads in order with at most `window` outstanding; stops sending
// once a read marked stopOnFailure has failed, but waits for every request
// already sent, since their callbacks point into this frame. Net-SNMP
// matches answers to requests by request id, drops answers to ids it did not
// send (and second answers), and resends a request whose time-out passed.
std::vector<std::optional<std::vector<MIB_RESPONSE>>>
readPipelined(const char* ip, const IPS_READ* reads, int n, int window) {
    const auto count = static_cast<std::size_t>(n);
    std::vector<InFlight> flights(count);
    std::vector<std::optional<std::vector<MIB_RESPONSE>>> outcomes(count);
    std::size_t next = 0;
    int outstanding = 0;
    bool stop = false;
    bool broken = false;
    void* session = nullptr;
    const auto settle = [&](std::size_t i) {
        InFlight& flight = flights[i];
        if (flight.request) {
            outcomes[i] = decode(accepted(*flight.request, std::move(flight.answer)));
        }
        if (!outcomes[i] && reads[i].stopOnFailure != 0) {
            stop = true;
        }
    };
    while (true) {
        while (!stop && !broken && outstanding < window && next < count) {
            const std::size_t i = next++;
            const IPS_READ& read = reads[i];
            InFlight& flight = flights[i];
            if (read.result != nullptr) {
                flight.request = prepare(ip, read.mode, read.count, read.variables);
            }
            // Every read names the same router, so all share one session.
            void* handle =
                flight.request ? cachedSession.get(flight.request->peer, settings()) : nullptr;
            PduPtr pdu = flight.request ? getPdu(*flight.request) : nullptr;
            if (handle != nullptr && pdu &&
                snmp_sess_async_send(handle, pdu.get(), &onBatchResponse, &flight) != 0) {
                pdu.release();
                session = handle;
                flight.sent = true;
                ++outstanding;
                continue;
            }
            broken = broken || handle != nullptr;
            settle(i);
        }
        if (outstanding == 0) {
            break;
        }
        int fds = 0;
        int block = 1;
        fd_set readable;
        FD_ZERO(&readable);
        timeval timeout{};
        snmp_sess_select_info(session, &fds, &readable, &timeout, &block);
        const int ready = ::select(fds, &readable, nullptr, nullptr, block ? nullptr : &timeout);
        if (ready > 0) {
            snmp_sess_read(session, &readable);
        } else if (ready == 0) {
            snmp_sess_timeout(session);
        } else if (errno != EINTR) {
            // The session is unusable: closing it forgets every request in
            // flight, so none of their callbacks can come later.
            cachedSession.close();
            for (InFlight& flight : flights) {
                flight.done = flight.sent;
            }
            broken = true;
        }
        for (std::size_t i = 0; i < next; ++i) {
            if (flights[i].done) {
                flights[i].done = false;
                flights[i].sent = false;
                --outstanding;
                settle(i);
            }
        }
    }
    if (broken) {
        cachedSession.close();
    }
    return outcomes;
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
    const int window = settings().readWindow;
    std::vector<std::optional<std::vector<MIB_RESPONSE>>> outcomes;
    if (window <= 1) {
        // One at a time, as separate IPSGetInfo calls would go.
        for (int i = 0; i < n; ++i) {
            IPS_READ& read = reads[i];
            std::vector<MIB_RESPONSE> entries(static_cast<std::size_t>(std::max(read.count, 0)));
            const bool ok = read.result != nullptr &&
                            getInfo(ip, read.mode, read.count, read.variables, entries.data()) == 1;
            outcomes.push_back(ok ? std::optional(std::move(entries)) : std::nullopt);
            if (!ok && read.stopOnFailure != 0) {
                break;
            }
        }
    } else {
        outcomes = readPipelined(ip, reads, n, window);
    }
    bool stopped = false;
    bool all = true;
    for (int i = 0; i < n; ++i) {
        IPS_READ& read = reads[i];
        const auto& outcome = static_cast<std::size_t>(i) < outcomes.size()
                                  ? outcomes[static_cast<std::size_t>(i)]
                                  : std::nullopt;
        if (stopped) {
            read.status = -1;
            all = false;
            continue;
        }
        read.status = outcome ? 1 : 0;
        if (outcome) {
            std::memcpy(read.result, outcome->data(), outcome->size() * sizeof(MIB_RESPONSE));
        } else {
            all = false;
            stopped = read.stopOnFailure != 0;
        }
    }
    return all ? 1 : 0;
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
