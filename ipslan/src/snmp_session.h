// Net-SNMP sessions as the library's requests use them, and the failure
// detail a request leaves for front ends.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include "ipslan/detail/state.h"
#include "ipslan/diagnostics.h"
#include "ipslan/wire.h"

namespace ipslan::detail {

inline constexpr std::size_t kMaxCommunity = 255;

struct PduDeleter {
    void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using PduPtr = std::unique_ptr<netsnmp_pdu, PduDeleter>;

// "udp:a.b.c.d:port" for a router named by dotted-decimal text; empty for
// anything else.
std::string peerFor(const char* ip, int port);

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

    // The open session for these; null when it cannot be opened.
    void* get(const std::string& peer, const Settings& s);
    void close();

private:
    void* handle_ = nullptr;
    std::string peer_;
    std::string community_;
    long timeout_ = 0;
    int retries_ = 0;
};

CachedSession& threadSession();

// A session of its own for one router of a fleet; closeSession() ends it.
void* openSession(const std::string& peer, const std::string& community, const Settings& s);
void closeSession(void* session);

// Sets what lastRequestFailure() tells on this thread. `oid` names the
// failing variable; null when the answer names none.
void noteFailure(const std::string& peer, RequestFailure::Kind kind, int errorStatus,
                 const wire::VariableOid* oid, int valueType = 0);
void clearFailure();

} // namespace ipslan::detail
