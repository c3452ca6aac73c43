// Batches and fleets of packed reads: a batch runs on the thread's cached
// session; a fleet drives the batches of many routers, each on its own
// session, from one thread.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ipslan/detail/snmp_client.h"
#include "ipslan/detail/state.h"
#include "router_reads.h"
#include "snmp_session.h"

namespace ipslan::detail {

int getInfoBatch(const char* ip, IPS_READ* reads, int n) {
    clearFailure();
    if (ip == nullptr || reads == nullptr || n < 1 || n > kMaxBatchReads) {
        return 0;
    }
    const Settings s = settings();
    const auto address = wire::parseIpv4(std::string_view(ip, strnlen(ip, 64)));
    const std::string peer = address ? peerFor(ip, s.snmpPort) : std::string();
    RouterReads router(peer, reads, n, s.readWindow, false);
    // Every read names the same router: the thread's own session serves it.
    router.attach(router.wantsToSend() ? threadSession().get(peer, s) : nullptr);
    const std::vector<RouterReads*> one{&router};
    while (true) {
        router.send();
        if (router.finished()) {
            break;
        }
        if (!waitForAnswers(one)) {
            // Closing the session forgets every request in flight, so none of
            // their callbacks can come later.
            threadSession().close();
            router.abandon();
        }
        router.settle();
    }
    if (router.broken()) {
        threadSession().close();
    }
    const int result = router.land();
    router.noteOutcome();
    return result;
}

int getInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind, IPS_FLEET_STEP done,
                 void* context) {
    clearFailure();
    if (routers == nullptr || n < 1) {
        return 0;
    }
    const Settings s = settings();
    struct Active {
        int index;
        std::unique_ptr<RouterReads> reads;
    };
    std::vector<Active> active;
    const auto limit = static_cast<std::size_t>(std::clamp(atOnce, 1, kMaxRoutersAtOnce));
    int next = 0;
    bool all = true;
    while (next < n || !active.empty()) {
        while (active.size() < limit && next < n) {
            const int index = next++;
            IPS_ROUTER& r = routers[index];
            const std::string peer = peerFor(r.ip, r.port == 0 ? s.snmpPort : r.port);
            const std::string community =
                r.community == nullptr
                    ? s.community
                    : std::string(r.community, strnlen(r.community, kMaxCommunity + 1));
            auto reads = std::make_unique<RouterReads>(
                community.size() > kMaxCommunity ? std::string() : peer, r.reads, r.n, s.readWindow,
                true);
            if (reads->wantsToSend()) {
                reads->attach(openSession(peer, community, s));
            }
            active.push_back(Active{index, std::move(reads)});
        }
        for (Active& a : active) {
            a.reads->send();
        }
        std::erase_if(active, [&](Active& a) {
            if (!a.reads->finished()) {
                return false;
            }
            closeSession(a.reads->session());
            if (bind != nullptr) {
                bind(context, a.index);
            }
            routers[a.index].result = a.reads->land();
            all = all && routers[a.index].result == 1;
            if (done != nullptr) {
                a.reads->noteOutcome();
                done(context, a.index);
            }
            return true;
        });
        std::vector<RouterReads*> waiting;
        for (Active& a : active) {
            waiting.push_back(a.reads.get());
        }
        if (!waitForAnswers(waiting)) {
            for (Active& a : active) {
                closeSession(a.reads->session());
                a.reads->abandon();
            }
        }
        for (Active& a : active) {
            a.reads->settle();
        }
    }
    // Each router's failure was told to its own `done`.
    clearFailure();
    return all ? 1 : 0;
}

} // namespace ipslan::detail

int IPSGetInfoBatch(const char* ip, IPS_READ* reads, int n) {
    return ipslan::detail::getInfoBatch(ip, reads, n);
}

int IPSGetInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind,
                    IPS_FLEET_STEP done, void* context) {
    return ipslan::detail::getInfoFleet(routers, n, atOnce, bind, done, context);
}
