// Setup's fetch and the reads of a Save, through the program's own fetch code
// and the device library, against a family-2 router 25 ms away each way:
// pipelined (the library's default window) against one read at a time.
#include <cstdio>
#include <vector>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>

#include "bench_common.h"
#include "device/config_store.h"
#include "device/device_link.h"
#include "device/fetch.h"

namespace {

using tolvaro::device::ConfigStore;
using tolvaro::device::FetchResult;

constexpr int kOneWayMs = 25;
constexpr int kRounds = 5;

struct Timing {
    double setup = 0;
    double save = 0;
};

bool measure(tolvaro::device::DeviceLink& link, const char* ip, int window, Timing& timing) {
    ipslan::setReadWindow(window);
    for (int round = 0; round < kRounds; ++round) {
        ConfigStore setupStore(tolvaro::device::Family::Two);
        bench::Stopwatch setup;
        if (tolvaro::device::fetchConfiguration(link, ip, setupStore) != FetchResult::Ok) {
            return false;
        }
        timing.setup += setup.seconds() / kRounds;
        ConfigStore saveStore(tolvaro::device::Family::Two);
        bench::Stopwatch save;
        if (tolvaro::device::fetchForFile(link, ip, saveStore) != FetchResult::Ok) {
            return false;
        }
        timing.save += save.seconds() / kRounds;
    }
    return true;
}

} // namespace

int main() {
    const std::uint16_t discoveryPort = bench::freeUdpPort();
    const std::string ip = bench::randomNetwork() + "2";
    auto router = bench::startRouter(ip, discoveryPort);
    // The simulator delays replies only, so the whole round trip sits there.
    router->faults().setLatency(routersim::Millis{2 * kOneWayMs});

    IPSInitLan();
    PSSetCommunity("secret");
    PSSetSnmpPort(router->snmpPort());
    auto link = tolvaro::device::makeLibraryLink();

    Timing pipelined;
    Timing single;
    if (!measure(*link, ip.c_str(), ipslan::kDefaultReadWindow, pipelined) ||
        !measure(*link, ip.c_str(), 1, single)) {
        std::fprintf(stderr, "wan: the simulated router did not answer\n");
        return 1;
    }
    const double rtt = 2 * kOneWayMs / 1000.0;
    std::printf("Family-2 router at %d ms each way (%d ms round trip), %d rounds\n", kOneWayMs,
                2 * kOneWayMs, kRounds);
    std::printf("                  window %-2d              window 1               speed-up\n",
                ipslan::kDefaultReadWindow);
    const auto row = [rtt](const char* what, double fast, double slow) {
        std::printf("  %-14s %7.1f ms (%4.1f trips) %7.1f ms (%4.1f trips) %6.2fx\n", what,
                    fast * 1e3, fast / rtt, slow * 1e3, slow / rtt, slow / fast);
    };
    row("Setup fetch", pipelined.setup, single.setup);
    row("Save's reads", pipelined.save, single.save);
    std::printf("  target: Save's reads within 3 round trips plus transfer, >= 4x window 1\n");
    return 0;
}
