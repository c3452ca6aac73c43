// Opening, caching and closing Net-SNMP sessions, and the thread's failure
// detail.
#include "snmp_session.h"

#include <cstring>
#include <mutex>
#include <string_view>

#include "ipslan/detail/netsnmp_setup.h"
#include "ipslan/detail/snmp_client.h"

namespace ipslan::detail {
namespace {

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

thread_local CachedSession cachedSession;

thread_local RequestFailure lastFailure;

} // namespace

std::string peerFor(const char* ip, int port) {
    const auto address =
        ip == nullptr ? std::nullopt : wire::parseIpv4(std::string_view(ip, strnlen(ip, 64)));
    if (!address || port < 1 || port > 65535) {
        return {};
    }
    return "udp:" + wire::formatIpv4(*address) + ":" + std::to_string(snmpPortFor(*address, port));
}

void* CachedSession::get(const std::string& peer, const Settings& s) {
    const long timeout = static_cast<long>(s.timeouts.timeoutMs) * 1000;
    if (handle_ != nullptr && peer == peer_ && s.community == community_ && timeout == timeout_ &&
        s.timeouts.retries == retries_) {
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

void CachedSession::close() {
    if (handle_ != nullptr) {
        std::lock_guard lock(netSnmpMutex());
        snmp_sess_close(handle_);
        handle_ = nullptr;
    }
}

CachedSession& threadSession() {
    return cachedSession;
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

void noteFailure(const std::string& peer, RequestFailure::Kind kind, int errorStatus,
                 const wire::VariableOid* oid, int valueType) {
    lastFailure = RequestFailure{};
    lastFailure.kind = kind;
    lastFailure.errorStatus = errorStatus;
    lastFailure.valueType = valueType;
    lastFailure.peer = peer;
    if (oid != nullptr) {
        if (const auto ref = wire::variableFromOid(oid->data(), oid->size())) {
            lastFailure.variable = ref->variable;
            lastFailure.mode = ref->mode;
        }
    }
}

void clearFailure() {
    lastFailure = RequestFailure{};
}

void initSnmp() {
    (void)sessionTemplate();
}

} // namespace ipslan::detail

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

} // namespace ipslan
