// SNMPv1 reads and writes of router variables through Net-SNMP's
// single-session API.
#include "ipslan/detail/snmp_client.h"

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
#include "ipslan/ipslan.h"
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

// Sends one request and returns the router's response when it passes
// responseAnswers().
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
    if (status != STAT_SUCCESS || !answer || !responseAnswers(*answer, request.oids)) {
        return nullptr;
    }
    return answer;
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

// How a write entry travels: integer variables (and unknown variables whose
// entry says integer) as INTEGER, everything else as OCTET STRING. An
// untouched entry (length 0, empty value) of a variable the router keeps on
// empty writes goes out as an empty OCTET STRING even when the variable is an
// integer: the program sends such entries for tables the user never edited,
// and they must leave the router's values alone rather than fail the write.
bool sendsInteger(int variable, int mode, const _snmp_packet& entry) {
    const VariableInfo* info = findVariable(variable, mode);
    if (info == nullptr) {
        return entry.type == kTypeInteger;
    }
    const bool untouched = entryLength(entry) == 0 && entry.value[0] == 0;
    return info->kind == VarKind::Integer && !(info->keepOnEmpty && untouched);
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
    PduPtr pdu(snmp_pdu_create(SNMP_MSG_GET));
    for (const auto& id : request->oids) {
        const std::vector<::oid> name(id.begin(), id.end());
        snmp_add_null_var(pdu.get(), name.data(), name.size());
    }
    const PduPtr answer = exchange(*request, std::move(pdu));
    if (!answer) {
        return 0;
    }
    // Decode everything before touching the caller's area, so that a failed
    // read leaves it as it was.
    const auto entries = readEntries(*answer);
    if (!entries) {
        return 0;
    }
    std::memcpy(result, entries->data(), entries->size() * sizeof(MIB_RESPONSE));
    return 1;
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
        if (sendsInteger(variables[i], mode, entry)) {
            const auto number = parseIntegerText(entry.value, kEntryValueSize);
            if (!number) {
                return 0;
            }
            const long value = *number;
            added = snmp_pdu_add_variable(pdu.get(), name.data(), name.size(), ASN_INTEGER, &value,
                                          sizeof value) != nullptr;
        } else {
            const std::size_t length = entryLength(entry);
            if (length > kEntryValueSize) {
                return 0;
            }
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
