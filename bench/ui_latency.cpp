// How long the desktop program's event loop goes without running while a
// fetch goes through the responsive device link: against a router 200 ms
// away and against one that never answers. A timer ticks every few
// milliseconds; the longest gap between its ticks is what a user would feel
// as a frozen window.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <string>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>

#include "bench_common.h"
#include "device/config_store.h"
#include "device/device_link.h"
#include "device/fetch.h"
#include "main/responsive_link.h"

namespace {

constexpr int kTickMs = 5;

struct Gaps {
    double longestMs = 0;
    int ticks = 0;
    double fetchMs = 0;
    tolvaro::device::FetchResult result = tolvaro::device::FetchResult::Ok;
};

// Runs one fetch from inside the event loop, as a button handler would.
Gaps measure(QApplication& app, tolvaro::device::DeviceLink& link, const std::string& ip) {
    Gaps gaps;
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        gaps.longestMs = std::max(gaps.longestMs, (now - last) / 1e6);
        last = now;
        ++gaps.ticks;
    });
    ticker.start(kTickMs);
    QTimer::singleShot(3 * kTickMs, [&] {
        tolvaro::device::ConfigStore store(tolvaro::device::Family::Two);
        bench::Stopwatch fetch;
        gaps.result = tolvaro::device::fetchConfiguration(link, ip.c_str(), store);
        gaps.fetchMs = fetch.seconds() * 1e3;
        app.quit();
    });
    app.exec();
    return gaps;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    const std::uint16_t discoveryPort = bench::freeUdpPort();
    const std::string network = bench::randomNetwork();
    auto far = bench::startRouter(network + "2", discoveryPort);
    far->faults().setLatency(routersim::Millis{200});
    auto dead = bench::startRouter(network + "3", discoveryPort);
    dead->faults().pause();

    auto link = tolvaro::program::makeResponsiveLink(tolvaro::device::makeLibraryLink());
    link->initLan();
    link->setCommunity("secret");
    std::printf("Event loop under a fetch (responsive link, Qt offscreen, timer every %d ms)\n",
                kTickMs);
    const auto report = [](const char* what, const Gaps& g) {
        std::printf("  %-28s fetch %7.0f ms (%s), %4d ticks, longest gap %5.1f ms\n", what,
                    g.fetchMs,
                    tolvaro::device::fetchFailureMessage(g.result).empty() ? "ok" : "failed",
                    g.ticks, g.longestMs);
    };
    link->setSnmpPort(far->snmpPort());
    report("router 200 ms away", measure(app, *link, far->address()));
    link->setSnmpPort(dead->snmpPort());
    report("router that never answers", measure(app, *link, dead->address()));
    std::printf("  target: longest gap under 50 ms\n");
    return 0;
}
