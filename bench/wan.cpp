// A Save's reads of a far router (remote management, so the connection test
// rides along) through the program's own fetch code and the device library,
// against the plain floor: one Net-SNMP GET holding every variable those
// reads name. The simulated router delays each reply by a whole 50 ms round
// trip; figures are the best and the median of kRounds, in milliseconds and
// in round trips.
#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>
#include <ipslan/wire.h>

#include "bench_common.h"
#include "device/config_store.h"
#include "device/device_link.h"
#include "device/fetch.h"

namespace {

using tolvaro::device::ConfigStore;
using tolvaro::device::FetchPlan;
using tolvaro::device::FetchResult;

constexpr int kRoundTripMs = 50;
constexpr int kRounds = 5;

struct Figures {
    double best = 0;
    double median = 0;
};

Figures figures(std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    return {seconds.front(), seconds[seconds.size() / 2]};
}

// Every distinct variable a Save's reads name, as the peer asks them.
std::vector<ipslan::wire::VariableOid> saveVariables() {
    FetchPlan plan(tolvaro::device::Family::Two, FetchPlan::Extent::File, true);
    std::set<ipslan::wire::VariableOid> seen;
    std::vector<ipslan::wire::VariableOid> out;
    for (const IPS_READ& read : plan.reads())
        for (int k = 0; k < read.count; ++k) {
            const auto oid = *ipslan::wire::variableOid(read.variables[k], read.mode);
            if (seen.insert(oid).second)
                out.push_back(oid);
        }
    return out;
}

} // namespace

int main() {
    const std::uint16_t discoveryPort = bench::freeUdpPort();
    const std::string ip = bench::randomNetwork() + "2";
    auto router = bench::startRouter(ip, discoveryPort);
    router->faults().setLatency(routersim::Millis{kRoundTripMs});

    IPSInitLan();
    PSSetCommunity("secret");
    PSSetSnmpPort(router->snmpPort());
    auto link = tolvaro::device::makeLibraryLink();

    std::vector<double> ours;
    int requests = 0;
    for (int round = 0; round < kRounds; ++round) {
        ConfigStore store(tolvaro::device::Family::Two);
        const int before = router->faults().counts().replies;
        const bench::Stopwatch watch;
        if (tolvaro::device::fetchForFile(*link, ip.c_str(), store, true) != FetchResult::Ok) {
            std::fprintf(stderr, "wan: the simulated router did not answer\n");
            return 1;
        }
        ours.push_back(watch.seconds());
        requests = router->faults().counts().replies - before;
    }

    const auto variables = saveVariables();
    bench::BareSettings settings(ip, router->snmpPort(), "secret");
    void* session = bench::openSession(settings.get());
    std::vector<double> peer;
    for (int round = 0; session != nullptr && round < kRounds; ++round) {
        netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
        for (const auto& id : variables) {
            const std::vector<oid> name(id.begin(), id.end());
            snmp_add_null_var(request, name.data(), name.size());
        }
        netsnmp_pdu* response = nullptr;
        const bench::Stopwatch watch;
        const int status = snmp_sess_synch_response(session, request, &response);
        peer.push_back(watch.seconds());
        const bool ok =
            status == STAT_SUCCESS && response != nullptr && response->errstat == SNMP_ERR_NOERROR;
        if (response != nullptr)
            snmp_free_pdu(response);
        if (!ok) {
            std::fprintf(stderr, "wan: the single request failed\n");
            return 1;
        }
    }
    if (session != nullptr)
        bench::closeSession(session);
    if (peer.empty())
        return 1;

    const double rtt = kRoundTripMs / 1000.0;
    const Figures o = figures(ours);
    const Figures p = figures(peer);
    std::printf("Save's reads of a family-2 router %d ms away (round trip), %d rounds\n",
                kRoundTripMs, kRounds);
    std::printf("  Save's reads (%zu variables, %d requests):  best %6.1f ms (%3.1f trips)  "
                "median %6.1f ms (%3.1f trips)\n",
                variables.size(), requests, o.best * 1e3, o.best / rtt, o.median * 1e3,
                o.median / rtt);
    std::printf("  one Net-SNMP request holding all:           best %6.1f ms (%3.1f trips)  "
                "median %6.1f ms (%3.1f trips)\n",
                p.best * 1e3, p.best / rtt, p.median * 1e3, p.median / rtt);
    std::printf("  ratio (medians): %.2fx\n", o.median / p.median);
    std::printf("  targets (printed, not asserted): <= 2 round trips plus transfer; <= 1.3x "
                "the single request\n");
    return 0;
}
