// Discovery of 1 and of 32 simulated routers through the library's loopback
// broadcast, 10 rounds each: how many are found and how long a round takes.
#include <cstdio>
#include <vector>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>

#include "bench_common.h"

int main() {
    constexpr int kRounds = 10;
    const std::uint16_t discoveryPort = bench::freeUdpPort();
    const std::string network = bench::randomNetwork();
    IPSInitLan();
    ipslan::setDiscoveryPort(discoveryPort);
    ipslan::setDiscoveryTargets({true, {}});

    int failures = 0;
    for (const int routers : {1, 32}) {
        std::vector<std::unique_ptr<routersim::Router>> running;
        for (int host = 2; host < 2 + routers; ++host) {
            running.push_back(bench::startRouter(network + std::to_string(host), discoveryPort,
                                                 host % 2 == 0 ? 2 : 1));
        }
        std::printf("%2d router(s), window %d ms:", routers, ipslan::discoveryWindowMs());
        double total = 0;
        for (int round = 0; round < kRounds; ++round) {
            std::vector<DEVICE_INFO> table(kDeviceTableSize);
            int count = 0;
            bench::Stopwatch watch;
            IPSBrowse(table.data(), &count);
            total += watch.seconds();
            std::printf(" %d", count);
            failures += count != routers;
        }
        std::printf("  (%.0f ms per round)\n", total / kRounds * 1e3);
    }
    std::printf("rounds that missed a router: %d (target 0)\n", failures);
    return 0;
}
