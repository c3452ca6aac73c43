#include "routersim/router.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

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
          snmp([this](const snmp_pdu& request) { return onSnmp(request); }) {}

    // Opens both services at the model's running address; on failure after
    // an address change goes back to the last address that worked.
    std::string listen();
    void closeAll() {
        snmp.close();
        discovery.close();
    }
    void run();
    snmp_pdu* onSnmp(const snmp_pdu& request);
    void onDiscovery(const detail::Datagram& datagram);
    bool persist(const Settings& before);

    const ResolvedConfig config;
    std::filesystem::path stateFile;

    mutable std::mutex mutex; // guards everything below
    RouterModel model;
    detail::SnmpAgent snmp;
    detail::DiscoveryEndpoint discovery;
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

snmp_pdu* Router::Impl::onSnmp(const snmp_pdu& request) {
    if (model.restarting() || request.version != SNMP_VERSION_1 || request.community == nullptr) {
        return nullptr;
    }
    const std::string_view community(reinterpret_cast<const char*>(request.community),
                                     request.community_len);
    if (!model.acceptsCommunity(community)) {
        return nullptr;
    }
    return detail::answerRequest(model, request,
                                 [this](const Settings& before) { return persist(before); });
}

void Router::Impl::onDiscovery(const detail::Datagram& datagram) {
    if (model.restarting()) {
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
        discovery.send(wire::encode(reply), datagram.from);
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
        discovery.send(wire::encode(ack), datagram.from);
    }
}

void Router::Impl::run() {
    while (!stopping.load()) {
        fd_set fds;
        FD_ZERO(&fds);
        int maxFd = wakeFd;
        FD_SET(wakeFd, &fds);
        std::uint64_t syncSeen = 0;
        bool pending = false;
        {
            std::lock_guard lock(mutex);
            syncSeen = syncRequested;
            if (model.advance()) {
                listen();
            }
            if (model.restarting() && (snmp.isOpen() || discovery.isOpen())) {
                closeAll();
            }
            snmp.addToSelect(maxFd, fds);
            discovery.addToSelect(maxFd, fds);
            pending = model.timerPending();
            if (syncServed < syncSeen) {
                syncServed = syncSeen;
                synced.notify_all();
            }
        }
        timeval timeout{0, kPollMicros};
        const int ready = ::select(maxFd + 1, &fds, nullptr, nullptr, pending ? &timeout : nullptr);
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
    d.thread = std::thread([&d] { d.run(); });
}

Router::~Router() {
    Impl& d = *impl_;
    d.stopping.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(d.wakeFd, &one, sizeof one);
    d.thread.join();
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
