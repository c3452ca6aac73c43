#include "routersim/router.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <arpa/inet.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <ipslan/wire.h>

#include "discovery_endpoint.h"
#include "routersim/state_file.h"
#include "snmp_agent.h"

namespace routersim {
namespace {

namespace wire = ipslan::wire;

// How often the thread looks at the clock while a restart or a call is
// under way; the clock may be a test's manual one, so no timer can be set.
constexpr long kPollMicros = 5000;

using SteadyTime = std::chrono::steady_clock::time_point;

struct PduDeleter {
    void operator()(snmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};

// A reply on its way out: an SNMP response or a discovery datagram.
struct PendingReply {
    std::unique_ptr<snmp_pdu, PduDeleter> pdu;
    std::vector<std::uint8_t> bytes;
    sockaddr_in to{};
    SteadyTime due{};
    int copies = 1;
    bool held = false;
};

ResolvedConfig resolveOrThrow(const RouterConfig& config) {
    auto result = resolve(config);
    if (!result.config) {
        throw StartError("invalid router configuration: " + result.error);
    }
    return std::move(*result.config);
}

} // namespace

struct Router::Impl {
    explicit Impl(const RouterConfig& given)
        : config(resolveOrThrow(given)), model(config),
          snmp([this](const snmp_pdu& request) { onSnmp(request); }) {
        faults.setLatency(config.latency);
    }

    // Opens both services at the model's running address; on failure after
    // an address change goes back to the last address that worked.
    std::string listen();
    void closeAll() {
        snmp.close();
        discovery.close();
    }
    void run();
    void onSnmp(const snmp_pdu& request);
    // The answer, or the refusal the faults' GET rules make of it.
    std::unique_ptr<snmp_pdu, PduDeleter>
    refusedByRules(std::unique_ptr<snmp_pdu, PduDeleter> answer, const snmp_pdu& request);
    void onDiscovery(const detail::Datagram& datagram);
    bool persist(const Settings& before);
    // Puts a reply through the faults and into the outbox.
    void queue(FaultControl::Service service, PendingReply reply);
    void deliver(PendingReply& reply);
    // Sends what is due; returns when the next unheld reply falls due.
    std::optional<SteadyTime> sendDue();
    void dropOutbox();

    const ResolvedConfig config;
    std::filesystem::path stateFile;

    mutable std::mutex mutex; // guards everything below
    RouterModel model;
    detail::SnmpAgent snmp;
    detail::DiscoveryEndpoint discovery;
    FaultControl faults;
    std::vector<PendingReply> outbox; // in the order the replies were made
    std::uint64_t releasesSeen = 0;
    std::uint16_t snmpPort = 0;
    Ipv4 boundAddress = 0;
    Ipv4 boundNetmask = 0;
    std::uint64_t syncRequested = 0;
    std::uint64_t syncServed = 0;
    std::condition_variable synced;

    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::thread thread;
};

std::string Router::Impl::listen() {
    const Ipv4 address = model.address();
    std::string error = snmp.open(address, snmpPort);
    if (error.empty()) {
        error = discovery.open(address, config.discoveryPort);
    }
    if (error.empty()) {
        snmpPort = snmp.port();
        boundAddress = address;
        boundNetmask = model.netmask();
        return {};
    }
    closeAll();
    if (boundAddress != 0 && boundAddress != address) {
        const Settings before = model.settings();
        model.revertAddress(boundAddress, boundNetmask);
        persist(before);
        return listen();
    }
    return error;
}

bool Router::Impl::persist(const Settings& before) {
    if (stateFile.empty()) {
        return true;
    }
    if (!saveState(stateFile, model.settings()).empty()) {
        model.replaceSettings(before);
        return false;
    }
    return true;
}

void Router::Impl::onSnmp(const snmp_pdu& request) {
    if (model.restarting() || !faults.admits(FaultControl::Service::Snmp) ||
        request.version != SNMP_VERSION_1 || request.community == nullptr) {
        return;
    }
    const std::string_view community(reinterpret_cast<const char*>(request.community),
                                     request.community_len);
    if (!model.acceptsCommunity(community) ||
        !faults.admitsWrite(detail::writtenVariables(request))) {
        return;
    }
    PendingReply reply;
    reply.pdu.reset(detail::answerRequest(
        model, request, [this](const Settings& before) { return persist(before); }));
    if (reply.pdu && request.command == SNMP_MSG_GET) {
        reply.pdu = refusedByRules(std::move(reply.pdu), request);
    }
    if (reply.pdu) {
        queue(FaultControl::Service::Snmp, std::move(reply));
        faults.noteInFlight(static_cast<int>(std::count_if(
            outbox.begin(), outbox.end(), [](const PendingReply& r) { return r.pdu != nullptr; })));
    }
}

std::unique_ptr<snmp_pdu, PduDeleter>
Router::Impl::refusedByRules(std::unique_ptr<snmp_pdu, PduDeleter> answer,
                             const snmp_pdu& request) {
    const FaultControl::GetRules rules = faults.getRules();
    std::size_t variables = 0;
    std::size_t bytes = 0;
    for (const auto* vb = answer->variables; vb != nullptr; vb = vb->next_variable) {
        ++variables;
        bytes += 40 + vb->val_len;
    }
    long status = SNMP_ERR_NOERROR;
    if (rules.refuseSeveral && variables > 1) {
        status = SNMP_ERR_GENERR;
    } else if (rules.answerLimit > 0 && answer->errstat == SNMP_ERR_NOERROR &&
               bytes > rules.answerLimit) {
        status = SNMP_ERR_TOOBIG;
    }
    if (status == SNMP_ERR_NOERROR) {
        return answer;
    }
    return std::unique_ptr<snmp_pdu, PduDeleter>(detail::errorAnswer(request, status, 0));
}

void Router::Impl::queue(FaultControl::Service service, PendingReply reply) {
    const FaultControl::Decision decision = faults.decide(service);
    if (decision.send) {
        reply.due = std::chrono::steady_clock::now() + faults.latency();
        reply.copies = decision.copies;
        reply.held = decision.hold;
        if (reply.held) {
            faults.noteHeld(1);
        }
        outbox.push_back(std::move(reply));
    }
    if (decision.restart) {
        model.restart();
    }
}

void Router::Impl::deliver(PendingReply& reply) {
    // Counted first, so that whoever got the reply finds it counted.
    faults.noteSent(1);
    for (int copy = 0; copy < reply.copies; ++copy) {
        const bool last = copy + 1 == reply.copies;
        if (reply.pdu) {
            snmp.send(last ? reply.pdu.release() : snmp_clone_pdu(reply.pdu.get()));
        } else {
            discovery.send(reply.bytes, reply.to);
        }
    }
}

std::optional<SteadyTime> Router::Impl::sendDue() {
    if (const std::uint64_t releases = faults.releaseGeneration(); releases != releasesSeen) {
        releasesSeen = releases;
        int released = 0;
        for (auto& reply : outbox) {
            released += reply.held ? 1 : 0;
            reply.held = false;
        }
        faults.noteHeld(-released);
    }
    const SteadyTime now = std::chrono::steady_clock::now();
    std::optional<SteadyTime> next;
    std::vector<PendingReply> waiting;
    for (auto& reply : outbox) {
        if (!reply.held && reply.due <= now) {
            deliver(reply);
            continue;
        }
        if (!reply.held) {
            next = next ? std::min(*next, reply.due) : reply.due;
        }
        waiting.push_back(std::move(reply));
    }
    outbox = std::move(waiting);
    return next;
}

// Replies still queued when the router moves to new sockets are lost, as
// they would be when a router restarts.
void Router::Impl::dropOutbox() {
    const auto held = std::count_if(outbox.begin(), outbox.end(),
                                    [](const PendingReply& reply) { return reply.held; });
    faults.noteHeld(-static_cast<int>(held));
    outbox.clear();
}

void Router::Impl::onDiscovery(const detail::Datagram& datagram) {
    if (model.restarting() || !faults.admits(FaultControl::Service::Discovery)) {
        return;
    }
    const auto kind = wire::peekKind(datagram.bytes);
    if (kind == wire::MessageKind::BrowseRequest) {
        const auto request = wire::decodeBrowseRequest(datagram.bytes);
        if (!request) {
            return;
        }
        wire::BrowseReply reply;
        reply.requestId = request->requestId;
        reply.name = config.name;
        reply.password = model.password();
        reply.family = static_cast<std::uint8_t>(config.family);
        reply.ip = model.address();
        reply.netmask = model.netmask();
        reply.hardware = config.hardware;
        reply.snmpPort = snmpPort;
        reply.firmware = config.firmware;
        queue(FaultControl::Service::Discovery, {nullptr, wire::encode(reply), datagram.from});
    } else if (kind == wire::MessageKind::SetIpRequest) {
        const auto request = wire::decodeSetIpRequest(datagram.bytes);
        if (!request || request->hardware != config.hardware) {
            return;
        }
        const Settings before = model.settings();
        bool accepted = model.assignAddress(request->newIp, request->newNetmask);
        if (accepted && !persist(before)) {
            accepted = false;
        }
        wire::SetIpAck ack;
        ack.requestId = request->requestId;
        ack.hardware = config.hardware;
        ack.status = accepted ? 0 : 1;
        ack.ip = accepted ? request->newIp : model.address();
        queue(FaultControl::Service::Discovery, {nullptr, wire::encode(ack), datagram.from});
    }
}

void Router::Impl::run() {
    while (!stopping.load()) {
        fd_set fds;
        FD_ZERO(&fds);
        int maxFd = wakeFd;
        FD_SET(wakeFd, &fds);
        std::uint64_t syncSeen = 0;
        std::optional<long> waitMicros;
        {
            std::lock_guard lock(mutex);
            syncSeen = syncRequested;
            if (model.advance()) {
                dropOutbox();
                listen();
            }
            const std::optional<SteadyTime> nextReply = sendDue();
            // Replies already on their way still leave before a restart
            // closes the sockets.
            if (model.restarting() && outbox.empty() && (snmp.isOpen() || discovery.isOpen())) {
                closeAll();
            }
            snmp.addToSelect(maxFd, fds);
            discovery.addToSelect(maxFd, fds);
            if (model.timerPending() || (model.restarting() && !outbox.empty())) {
                waitMicros = kPollMicros;
            }
            if (nextReply) {
                const auto until = std::chrono::ceil<std::chrono::microseconds>(
                    *nextReply - std::chrono::steady_clock::now());
                const long micros = std::max<long>(0, static_cast<long>(until.count()));
                waitMicros = waitMicros ? std::min(*waitMicros, micros) : micros;
            }
            if (syncServed < syncSeen) {
                syncServed = syncSeen;
                synced.notify_all();
            }
        }
        timeval timeout{0, 0};
        if (waitMicros) {
            timeout.tv_sec = *waitMicros / 1'000'000;
            timeout.tv_usec = *waitMicros % 1'000'000;
        }
        const int ready =
            ::select(maxFd + 1, &fds, nullptr, nullptr, waitMicros ? &timeout : nullptr);
        if (ready < 0) {
            continue; // EINTR; anything else shows again on the next round
        }
        if (FD_ISSET(wakeFd, &fds)) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd, &count, sizeof count);
        }
        std::lock_guard lock(mutex);
        snmp.read(fds);
        for (const auto& datagram : discovery.receive(fds)) {
            onDiscovery(datagram);
        }
    }
    std::lock_guard lock(mutex);
    dropOutbox();
    closeAll();
    syncServed = syncRequested;
    synced.notify_all();
}

Router::Router(const RouterConfig& config) : impl_(std::make_unique<Impl>(config)) {
    Impl& d = *impl_;
    if (!d.config.stateDirectory.empty()) {
        std::error_code error;
        std::filesystem::create_directories(d.config.stateDirectory, error);
        if (error) {
            throw StartError("cannot create the state directory " +
                             d.config.stateDirectory.string() + ": " + error.message());
        }
        d.stateFile = stateFilePath(d.config.stateDirectory, d.config.hardware);
        auto loaded = loadState(d.stateFile, factorySettings(d.config));
        if (!loaded.error.empty()) {
            throw StartError("cannot use the saved settings: " + loaded.error);
        }
        if (loaded.settings) {
            d.model.restore(*loaded.settings);
        }
    }
    d.snmpPort = d.config.snmpPort;
    if (const std::string error = d.listen(); !error.empty()) {
        throw StartError(error);
    }
    d.wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (d.wakeFd < 0) {
        d.closeAll();
        throw StartError("cannot create the router's wake-up descriptor");
    }
    const int wakeFd = d.wakeFd;
    d.faults.setWake([wakeFd] {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
    });
    d.thread = std::thread([&d] { d.run(); });
}

Router::~Router() {
    Impl& d = *impl_;
    d.stopping.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(d.wakeFd, &one, sizeof one);
    d.thread.join();
    d.faults.setWake({});
    ::close(d.wakeFd);
}

const std::string& Router::name() const {
    return impl_->config.name;
}
int Router::family() const {
    return impl_->config.family;
}
HardwareAddress Router::hardware() const {
    return impl_->config.hardware;
}

std::string Router::address() const {
    std::lock_guard lock(impl_->mutex);
    return wire::formatIpv4(impl_->model.address());
}

std::uint16_t Router::snmpPort() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->snmpPort;
}

std::uint16_t Router::discoveryPort() const {
    return impl_->config.discoveryPort;
}
std::filesystem::path Router::stateFile() const {
    return impl_->stateFile;
}

bool Router::restarting() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.restarting();
}

bool Router::linkUp() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.linkUp();
}

std::optional<Value> Router::value(int variable, int mode) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.get(variable, mode);
}

FaultControl& Router::faults() {
    return impl_->faults;
}

Settings Router::settings() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model.settings();
}

void Router::sync() {
    Impl& d = *impl_;
    std::unique_lock lock(d.mutex);
    const std::uint64_t target = ++d.syncRequested;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(d.wakeFd, &one, sizeof one);
    d.synced.wait(lock, [&d, target] { return d.syncServed >= target || d.stopping.load(); });
}

} // namespace routersim
