// A full family-2 Setup fetch (the catalogue requests, the mode-1 block and
// the idle time-out in seconds) through the device library against a simulated router, compared
// with the same requests sent by a bare Net-SNMP client that keeps one
// session open: the floor any library on Net-SNMP can reach.
#include <cstdio>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>
#include <ipslan/wire.h>

#include "bench_common.h"
#include "device/catalogue.h"

namespace {

struct Request {
    int mode;
    std::vector<int> variables;
};

// Family-2 catalogue slots 0-84 and the requests a Setup makes over them.
std::vector<Request> setupRequests() {
    const auto slots = tolvaro::device::catalogue(tolvaro::device::Family::Two);
    auto range = [&slots](int first, int count) {
        return std::vector<int>(slots.begin() + first, slots.begin() + first + count);
    };
    std::vector<Request> requests;
    requests.push_back({0, range(0, 29)});
    for (int slot = 29; slot <= 34; ++slot) {
        requests.push_back({0, range(slot, 1)});
    }
    requests.push_back({0, range(34, 28)});
    requests.push_back({0, range(62, 15)});
    requests.push_back({0, range(77, 7)});
    const auto& block = tolvaro::device::kMode1Block;
    requests.push_back({1, {block.begin(), block.end()}});
    requests.push_back({0, {ipslan::var::kIdleSeconds}});
    return requests;
}

bool fetchWithLibrary(const std::string& ip, const std::vector<Request>& requests) {
    std::vector<MIB_RESPONSE> result(29);
    for (const auto& r : requests) {
        if (IPSGetInfo(ip.c_str(), r.mode, static_cast<int>(r.variables.size()), r.variables.data(),
                       result.data()) != 1) {
            return false;
        }
    }
    return true;
}

bool fetchBare(void* session, const std::vector<Request>& requests) {
    for (const auto& r : requests) {
        netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
        for (int variable : r.variables) {
            const auto id = *ipslan::wire::variableOid(variable, r.mode);
            const std::vector<oid> name(id.begin(), id.end());
            snmp_add_null_var(pdu, name.data(), name.size());
        }
        netsnmp_pdu* response = nullptr;
        const int status = snmp_sess_synch_response(session, pdu, &response);
        const bool ok =
            status == STAT_SUCCESS && response != nullptr && response->errstat == SNMP_ERR_NOERROR;
        if (response != nullptr) {
            snmp_free_pdu(response);
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The same, opening and closing a session for each request as a library
// without a session cache must.
bool fetchBareReopening(netsnmp_session& settings, const std::vector<Request>& requests) {
    for (const auto& r : requests) {
        void* session = bench::openSession(&settings);
        if (session == nullptr || !fetchBare(session, {r})) {
            return false;
        }
        bench::closeSession(session);
    }
    return true;
}

} // namespace

int main() {
    constexpr int kRounds = 300;
    const std::uint16_t discoveryPort = bench::freeUdpPort();
    const std::string ip = bench::randomNetwork() + "2";
    auto router = bench::startRouter(ip, discoveryPort);
    const auto requests = setupRequests();

    IPSInitLan();
    ipslan::setDiscoveryPort(discoveryPort);
    ipslan::setDiscoveryTargets({true, {}});
    ipslan::setDiscoveryWindow(100);
    PSSetCommunity("secret");
    PSSetSnmpPort(161);
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 0;
    IPSBrowse(table.data(), &count); // learns the router's SNMP port

    bench::BareSettings settings(ip, router->snmpPort(), "secret");
    void* session = bench::openSession(settings.get());

    // Warm up both paths, then alternate so that drift hits both alike.
    if (!fetchWithLibrary(ip, requests) || session == nullptr || !fetchBare(session, requests)) {
        std::fprintf(stderr, "setup_fetch: the simulated router did not answer\n");
        return 1;
    }
    double library = 0;
    double bare = 0;
    double reopening = 0;
    for (int round = 0; round < kRounds; ++round) {
        bench::Stopwatch a;
        if (!fetchWithLibrary(ip, requests)) {
            std::fprintf(stderr, "setup_fetch: library fetch failed\n");
            return 1;
        }
        library += a.seconds();
        bench::Stopwatch b;
        if (!fetchBare(session, requests)) {
            std::fprintf(stderr, "setup_fetch: bare fetch failed\n");
            return 1;
        }
        bare += b.seconds();
        bench::Stopwatch c;
        if (!fetchBareReopening(*settings.get(), requests)) {
            std::fprintf(stderr, "setup_fetch: bare fetch with new sessions failed\n");
            return 1;
        }
        reopening += c.seconds();
    }
    bench::closeSession(session);
    std::printf("Setup fetch, family 2: %zu requests, %d rounds\n", requests.size(), kRounds);
    std::printf("  ipslan          %8.1f us per fetch\n", library / kRounds * 1e6);
    std::printf("  bare Net-SNMP   %8.1f us per fetch (one open session)\n", bare / kRounds * 1e6);
    std::printf("  bare Net-SNMP   %8.1f us per fetch (a session per request)\n",
                reopening / kRounds * 1e6);
    std::printf("  ratio           %8.2f to one open session (target <= 1.3)\n", library / bare);
    std::printf("  ratio           %8.2f to a session per request\n", library / reopening);
    return 0;
}
