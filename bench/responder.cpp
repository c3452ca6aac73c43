// The simulator's throughput: single-variable GETs per second from one
// client, with the whole process held to one core.
#include <cstdio>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <sched.h>

#include <ipslan/variables.h>
#include <ipslan/wire.h>

#include "bench_common.h"

int main() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    const bool pinned = sched_setaffinity(0, sizeof one, &one) == 0;

    const std::string ip = bench::randomNetwork() + "2";
    auto router = bench::startRouter(ip, bench::freeUdpPort());

    bench::BareSettings bare(ip, router->snmpPort(), "secret");
    void* session = bench::openSession(bare.get());
    if (session == nullptr) {
        std::fprintf(stderr, "responder: cannot open a session\n");
        return 1;
    }

    const auto id = *ipslan::wire::variableOid(ipslan::var::kIdleMinutes, 0);
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
