// The simulator's throughput: single-variable GETs per second from one
// client, with the whole process held to one core.
#include <cstdio>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <sched.h>

#include <ipslan/wire.h>

#include "bench_common.h"

int main() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    const bool pinned = sched_setaffinity(0, sizeof one, &one) == 0;

    const std::string ip = bench::randomNetwork() + "2";
    auto router = bench::startRouter(ip, bench::freeUdpPort());

    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_EMERG);
    std::string peer = "udp:" + ip + ":" + std::to_string(router->snmpPort());
    std::string community = "secret";
    netsnmp_session s;
    snmp_sess_init(&s);
    s.version = SNMP_VERSION_1;
    s.peername = peer.data();
    s.community = reinterpret_cast<u_char*>(community.data());
    s.community_len = community.size();
    s.timeout = 1000000;
    s.retries = 0;
    void* session = bench::openSession(&s);
    if (session == nullptr) {
        std::fprintf(stderr, "responder: cannot open a session\n");
        return 1;
    }

    const auto id = *ipslan::wire::variableOid(0x4008, 0);
    const std::vector<oid> name(id.begin(), id.end());
    constexpr int kRequests = 20000;
    int answered = 0;
    bench::Stopwatch watch;
    for (int i = 0; i < kRequests; ++i) {
        netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
        snmp_add_null_var(pdu, name.data(), name.size());
        netsnmp_pdu* response = nullptr;
        if (snmp_sess_synch_response(session, pdu, &response) == STAT_SUCCESS &&
            response != nullptr && response->errstat == SNMP_ERR_NOERROR) {
            ++answered;
        }
        if (response != nullptr) {
            snmp_free_pdu(response);
        }
    }
    const double seconds = watch.seconds();
    bench::closeSession(session);
    std::printf(
        "simulator GETs: %d of %d answered in %.2f s = %.0f per second%s (target >= 5000)\n",
        answered, kRequests, seconds, answered / seconds,
        pinned ? ", client and router on one core" : "");
    return 0;
}
