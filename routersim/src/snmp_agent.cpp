#include "snmp_agent.h"

#include <atomic>
#include <limits>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <ipslan/wire.h>

#include "ipslan/detail/netsnmp_setup.h"

namespace routersim::detail {
namespace {

// Value bytes a response may carry: a datagram holds at most 65507 bytes, and
// each varbind adds its name and a few bytes of framing.
constexpr std::size_t kMaxResponseBytes = 65507 - 200;
constexpr std::size_t kVarbindOverhead = 40;

// Net-SNMP cuts an INTEGER wider than 32 bits to its low 32 bits while
// parsing, so a value far out of range would pass the model's range check.
// The agent's transport therefore looks at each datagram as it arrives and
// notes the first binding whose INTEGER does not fit 32 bits; the set that
// the same thread parses from it next is refused with badValue there.
thread_local long tWideIntegerIndex = 0;
using Receive = int (*)(netsnmp_transport*, void*, int, void**, int*);
// Net-SNMP's own UDP receive, the same for every agent.
std::atomic<Receive> gNetSnmpReceive{nullptr};

struct Ber {
    const u_char* at;
    const u_char* end;

    // One tag and length; the content is [at, content end). False when the
    // datagram ends early.
    bool next(u_char& tag, const u_char*& content, std::size_t& length) {
        if (end - at < 2)
            return false;
        tag = *at++;
        std::size_t n = *at++;
        if (n & 0x80) {
            const std::size_t bytes = n & 0x7f;
            if (bytes == 0 || bytes > 4 || static_cast<std::size_t>(end - at) < bytes)
                return false;
            n = 0;
            for (std::size_t i = 0; i < bytes; ++i)
                n = (n << 8) | *at++;
        }
        if (static_cast<std::size_t>(end - at) < n)
            return false;
        content = at;
        length = n;
        return true;
    }
    bool enter(u_char& tag) {
        const u_char* content = nullptr;
        std::size_t length = 0;
        if (!next(tag, content, length))
            return false;
        at = content;
        end = content + length;
        return true;
    }
    bool skip() {
        u_char tag = 0;
        const u_char* content = nullptr;
        std::size_t length = 0;
        if (!next(tag, content, length))
            return false;
        at = content + length;
        return true;
    }
};

bool fitsInt32(const u_char* content, std::size_t length) {
    if (length > 8)
        return false;
    std::int64_t value = length > 0 && (content[0] & 0x80) ? -1 : 0;
    for (std::size_t i = 0; i < length; ++i)
        value = static_cast<std::int64_t>(static_cast<std::uint64_t>(value) << 8 | content[i]);
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

// 1-based index of the first binding of a message whose INTEGER value does
// not fit 32 bits; 0 when there is none or the message is not understood.
long wideIntegerIndex(const u_char* data, std::size_t size) {
    Ber ber{data, data + size};
    u_char tag = 0;
    if (!ber.enter(tag) || !ber.skip() || !ber.skip() || !ber.enter(tag)) // version, community
        return 0;
    for (int i = 0; i < 3; ++i) // request id, error status, error index
        if (!ber.skip())
            return 0;
    if (!ber.enter(tag))
        return 0;
    long index = 0;
    while (ber.at < ber.end) {
        ++index;
        Ber binding = ber;
        if (!binding.enter(tag) || !binding.skip())
            return 0;
        const u_char* content = nullptr;
        std::size_t length = 0;
        if (!binding.next(tag, content, length))
            return 0;
        if (tag == ASN_INTEGER && !fitsInt32(content, length))
            return index;
        if (!ber.skip())
            return 0;
    }
    return 0;
}

int receiveNotingWideIntegers(netsnmp_transport* transport, void* buffer, int size, void** opaque,
                              int* opaqueLength) {
    const int n = gNetSnmpReceive.load()(transport, buffer, size, opaque, opaqueLength);
    tWideIntegerIndex =
        n > 0 ? wideIntegerIndex(static_cast<const u_char*>(buffer), static_cast<std::size_t>(n))
              : 0;
    return n;
}

std::optional<VariableKey> keyOf(const netsnmp_variable_list& vb) {
    const auto ref = ipslan::wire::variableFromOid(vb.name, vb.name_length);
    if (!ref) {
        return std::nullopt;
    }
    return VariableKey{ref->variable, ref->mode};
}

void setValue(netsnmp_variable_list& vb, const Value& value) {
    if (value.kind == ipslan::VarKind::Integer) {
        const long number = value.integer;
        snmp_set_var_typed_value(&vb, ASN_INTEGER, &number, sizeof number);
    } else {
        static const u_char empty = 0;
        snmp_set_var_typed_value(&vb, ASN_OCTET_STR,
                                 value.bytes.empty() ? &empty : value.bytes.data(),
                                 value.bytes.size());
    }
}

std::size_t wireSize(const Value& value) {
    return kVarbindOverhead + (value.kind == ipslan::VarKind::Integer ? 6 : value.bytes.size());
}

netsnmp_pdu* errorResponse(const netsnmp_pdu& request, long status, long index) {
    netsnmp_pdu* response = snmp_clone_pdu(const_cast<netsnmp_pdu*>(&request));
    if (response != nullptr) {
        response->command = SNMP_MSG_RESPONSE;
        response->errstat = status;
        response->errindex = index;
    }
    return response;
}

WireValue wireValue(const netsnmp_variable_list& vb) {
    WireValue value;
    if (vb.type == ASN_INTEGER && vb.val.integer != nullptr) {
        const long number = *vb.val.integer;
        if (number >= std::numeric_limits<std::int32_t>::min() &&
            number <= std::numeric_limits<std::int32_t>::max()) {
            value.type = WireValue::Type::Integer;
            value.integer = static_cast<std::int32_t>(number);
        }
    } else if (vb.type == ASN_OCTET_STR) {
        value.type = WireValue::Type::OctetString;
        if (vb.val_len > 0 && vb.val.string != nullptr) {
            value.bytes.assign(vb.val.string, vb.val.string + vb.val_len);
        }
    }
    return value;
}

netsnmp_pdu* answerGet(RouterModel& model, const netsnmp_pdu& request) {
    std::vector<Value> values;
    std::size_t size = 0;
    long index = 1;
    for (auto* vb = request.variables; vb != nullptr; vb = vb->next_variable, ++index) {
        const auto key = keyOf(*vb);
        auto value = key ? model.get(key->variable, key->mode) : std::nullopt;
        if (!value) {
            return errorResponse(request, SNMP_ERR_NOSUCHNAME, index);
        }
        size += wireSize(*value);
        values.push_back(std::move(*value));
    }
    if (size > kMaxResponseBytes) {
        return errorResponse(request, SNMP_ERR_TOOBIG, 0);
    }
    netsnmp_pdu* response = errorResponse(request, SNMP_ERR_NOERROR, 0);
    if (response == nullptr) {
        return nullptr;
    }
    std::size_t i = 0;
    for (auto* vb = response->variables; vb != nullptr; vb = vb->next_variable) {
        setValue(*vb, values[i++]);
    }
    return response;
}

// The first variable of this router whose OID follows `name`.
std::optional<std::pair<VariableKey, Value>> nextVariable(const RouterModel& model, const oid* name,
                                                          std::size_t length) {
    for (const auto& info : ipslan::allVariables()) {
        const auto id = ipslan::wire::variableOid(info.variable, info.mode);
        std::vector<oid> candidate(id->begin(), id->end());
        if (snmp_oid_compare(candidate.data(), candidate.size(), name, length) <= 0) {
            continue;
        }
        if (auto value = model.get(info.variable, info.mode)) {
            return std::pair{VariableKey{info.variable, info.mode}, std::move(*value)};
        }
    }
    return std::nullopt;
}

netsnmp_pdu* answerGetNext(RouterModel& model, const netsnmp_pdu& request) {
    std::vector<std::pair<VariableKey, Value>> found;
    std::size_t size = 0;
    long index = 1;
    for (auto* vb = request.variables; vb != nullptr; vb = vb->next_variable, ++index) {
        auto next = nextVariable(model, vb->name, vb->name_length);
        if (!next) {
            return errorResponse(request, SNMP_ERR_NOSUCHNAME, index);
        }
        size += wireSize(next->second);
        found.push_back(std::move(*next));
    }
    if (size > kMaxResponseBytes) {
        return errorResponse(request, SNMP_ERR_TOOBIG, 0);
    }
    netsnmp_pdu* response = errorResponse(request, SNMP_ERR_NOERROR, 0);
    if (response == nullptr) {
        return nullptr;
    }
    std::size_t i = 0;
    for (auto* vb = response->variables; vb != nullptr; vb = vb->next_variable, ++i) {
        const auto id = ipslan::wire::variableOid(found[i].first.variable, found[i].first.mode);
        const std::vector<oid> name(id->begin(), id->end());
        snmp_set_var_objid(vb, name.data(), name.size());
        setValue(*vb, found[i].second);
    }
    return response;
}

// SNMPv1 sets are all or nothing: every binding is checked before any is
// applied.
netsnmp_pdu* answerSet(RouterModel& model, const netsnmp_pdu& request, const Persist& persist) {
    if (tWideIntegerIndex != 0)
        return errorResponse(request, SNMP_ERR_BADVALUE, tWideIntegerIndex);
    std::vector<std::pair<VariableKey, WireValue>> writes;
    long index = 1;
    for (auto* vb = request.variables; vb != nullptr; vb = vb->next_variable, ++index) {
        const auto key = keyOf(*vb);
        if (!key) {
            return errorResponse(request, SNMP_ERR_NOSUCHNAME, index);
        }
        WireValue value = wireValue(*vb);
        switch (model.checkSet(key->variable, key->mode, value)) {
        case VarError::None:
            break;
        case VarError::NoSuchName:
            return errorResponse(request, SNMP_ERR_NOSUCHNAME, index);
        case VarError::BadValue:
            return errorResponse(request, SNMP_ERR_BADVALUE, index);
        }
        writes.emplace_back(*key, std::move(value));
    }
    const Settings before = model.settings();
    model.applySet(writes);
    if (model.settings() != before && !persist(before)) {
        return errorResponse(request, SNMP_ERR_GENERR, 0);
    }
    return errorResponse(request, SNMP_ERR_NOERROR, 0);
}

} // namespace

std::vector<std::pair<int, int>> writtenVariables(const snmp_pdu& request) {
    std::vector<std::pair<int, int>> out;
    if (request.command != SNMP_MSG_SET)
        return out;
    for (auto* vb = request.variables; vb != nullptr; vb = vb->next_variable)
        if (const auto key = keyOf(*vb))
            out.emplace_back(key->variable, key->mode);
    return out;
}

snmp_pdu* errorAnswer(const snmp_pdu& request, long status, long index) {
    return errorResponse(request, status, index);
}

snmp_pdu* answerRequest(RouterModel& model, const snmp_pdu& request, const Persist& persist) {
    switch (request.command) {
    case SNMP_MSG_GET:
        return answerGet(model, request);
    case SNMP_MSG_GETNEXT:
        return answerGetNext(model, request);
    case SNMP_MSG_SET:
        return answerSet(model, request, persist);
    default:
        return nullptr;
    }
}

std::string SnmpAgent::open(std::uint32_t address, std::uint16_t port) {
    close();
    ipslan::detail::initNetSnmp();
    const std::string spec =
        "udp:" + ipslan::wire::formatIpv4(address) + ":" + std::to_string(port);
    std::lock_guard lock(ipslan::detail::netSnmpMutex());
    netsnmp_transport* transport = netsnmp_transport_open_server("snmp", spec.c_str());
    if (transport == nullptr) {
        return "cannot listen for SNMP on " + spec.substr(4);
    }
    // Net-SNMP opens its socket without close-on-exec: a program that a
    // test or the demo starts would keep the port bound, and the router
    // could not listen on it again after a restart.
    ::fcntl(transport->sock, F_SETFD, ::fcntl(transport->sock, F_GETFD) | FD_CLOEXEC);
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (getsockname(transport->sock, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        netsnmp_transport_free(transport);
        return "cannot read the SNMP port of " + spec.substr(4);
    }
    gNetSnmpReceive = transport->f_recv;
    transport->f_recv = &receiveNotingWideIntegers;
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_1;
    session.callback = &SnmpAgent::received;
    session.callback_magic = this;
    // On failure snmp_sess_add closes and frees the transport itself.
    session_ = snmp_sess_add(&session, transport, nullptr, nullptr);
    if (session_ == nullptr) {
        return "cannot start the SNMP session on " + spec.substr(4);
    }
    port_ = ntohs(bound.sin_port);
    return {};
}

void SnmpAgent::close() {
    if (session_ != nullptr) {
        std::lock_guard lock(ipslan::detail::netSnmpMutex());
        snmp_sess_close(session_);
        session_ = nullptr;
    }
}

void SnmpAgent::addToSelect(int& maxFd, fd_set& fds) const {
    if (session_ == nullptr) {
        return;
    }
    int numFds = maxFd + 1;
    timeval timeout{};
    int block = 1;
    snmp_sess_select_info(session_, &numFds, &fds, &timeout, &block);
    maxFd = numFds - 1;
}

void SnmpAgent::read(fd_set& fds) {
    if (session_ != nullptr) {
        snmp_sess_read(session_, &fds);
    }
}

int SnmpAgent::received(int operation, snmp_session* /*session*/, int /*requestId*/, snmp_pdu* pdu,
                        void* magic) {
    auto* self = static_cast<SnmpAgent*>(magic);
    if (operation != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || pdu == nullptr ||
        self->session_ == nullptr) {
        return 1;
    }
    self->handler_(*pdu);
    return 1;
}

void SnmpAgent::send(snmp_pdu* response) {
    if (session_ == nullptr || snmp_sess_send(session_, response) == 0) {
        snmp_free_pdu(response);
    }
}

} // namespace routersim::detail
