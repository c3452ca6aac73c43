// Discovery, address assignment and the free-address proposal over the
// library's own UDP protocol (wire.h).
#include "ipslan/detail/discovery.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ipslan/detail/snmp_client.h"
#include "ipslan/detail/state.h"
#include "ipslan/ipslan.h"

namespace ipslan::detail {
namespace {

using Clock = std::chrono::steady_clock;

constexpr wire::Ipv4 kLoopbackNet = 0x7f000000;
constexpr wire::Ipv4 kLoopbackMask = 0xff000000;
constexpr wire::Ipv4 kLoopbackHost = 0x7f000001;
constexpr wire::Ipv4 kLoopbackBroadcast = 0x7fffffff;

bool onLoopback(wire::Ipv4 ip) {
    return (ip & kLoopbackMask) == kLoopbackNet;
}

// Where a datagram came in: the interface index and our address on it.
struct Arrival {
    int interfaceIndex = 0;
    wire::Ipv4 localAddress = 0;
};

struct Received {
    std::vector<std::uint8_t> bytes;
    std::optional<Arrival> arrival;
};

class Socket {
public:
    Socket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Broadcast allowed; bound to `local` on an ephemeral port.
    bool open(wire::Ipv4 local) {
        const int on = 1;
        if (fd_ < 0 || ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
            return false;
        }
        // Tells each reply's arrival interface: a router on no network of ours
        // still lies on the link it answered through.
        (void)::setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
        const sockaddr_in address = socketAddress(local, 0);
        return ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }

    void send(const std::vector<std::uint8_t>& datagram, const Destination& to) const {
        const sockaddr_in address = socketAddress(to.address, to.port);
        // A target that cannot be reached is simply not heard from.
        (void)::sendto(fd_, datagram.data(), datagram.size(), 0,
                       reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }

    // Waits until `deadline` for one datagram; empty when none came. The
    // datagram carries the interface it arrived on when the system tells.
    std::optional<Received> receive(Clock::time_point deadline) const {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return Received{};
        }
        Received result;
        result.bytes.resize(wire::kMaxDatagram);
        iovec data{result.bytes.data(), result.bytes.size()};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t got = ::recvmsg(fd_, &message, 0);
        result.bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); got > 0 && c != nullptr;
             c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                result.arrival = Arrival{info.ipi_ifindex, ntohl(info.ipi_spec_dst.s_addr)};
            }
        }
        return result;
    }

private:
    static sockaddr_in socketAddress(wire::Ipv4 ip, std::uint16_t port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(ip);
        address.sin_port = htons(port);
        return address;
    }

    int fd_;
};

std::uint32_t newRequestId() {
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard lock(mutex);
    return static_cast<std::uint32_t>(generator());
}

// Opens the socket and sends `datagram` to every destination; the socket is
// bound to loopback when only loopback is used, so nothing leaves the host.
bool sendToAll(Socket& socket, const std::vector<std::uint8_t>& datagram) {
    const Settings s = settings();
    const auto destinations = discoveryDestinations(s, localInterfaces());
    const bool loopbackOnly =
        std::all_of(destinations.begin(), destinations.end(),
                    [](const Destination& d) { return onLoopback(d.address); });
    if (destinations.empty() || !socket.open(loopbackOnly ? kLoopbackHost : INADDR_ANY)) {
        return false;
    }
    for (const auto& to : destinations) {
        socket.send(datagram, to);
    }
    return true;
}

// A bound on distinct replies held while collecting: far above any real
// network, low enough that a flood cannot exhaust memory.
constexpr std::size_t kMaxReplies = 4096;

struct Heard {
    wire::BrowseReply reply;
    std::optional<LocalInterface> arrivedOn;
};

// The interface a reply arrived on, with its mask: the one with the reported
// index and address, else the first with that index.
std::optional<LocalInterface> arrivalInterface(const std::vector<LocalInterface>& interfaces,
                                               const std::optional<Arrival>& arrival) {
    if (!arrival || arrival->interfaceIndex <= 0) {
        return std::nullopt;
    }
    std::optional<LocalInterface> found;
    for (const auto& local : interfaces) {
        if (local.index != arrival->interfaceIndex) {
            continue;
        }
        if (local.address == arrival->localAddress) {
            return local;
        }
        if (!found) {
            found = local;
        }
    }
    return found;
}

std::mutex& reportMutex() {
    static std::mutex mutex;
    return mutex;
}

DiscoveryReport& storedReport() {
    static DiscoveryReport report;
    return report;
}

void rememberReport(DiscoveryReport report) {
    std::lock_guard lock(reportMutex());
    storedReport() = std::move(report);
}

bool holds(wire::Ipv4 address, wire::Ipv4 netmask, wire::Ipv4 ip) {
    return (address & netmask) == (ip & netmask);
}

// Router names come off the network: anything but printable ASCII is shown
// as an escape, so a name cannot move the cursor or fake a line.
std::string printable(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xf];
        }
    }
    return out;
}

void copyText(char* field, std::size_t width, const std::string& text) {
    const std::size_t used = std::min(text.size(), width - 1);
    std::memcpy(field, text.data(), used);
    field[used] = '\0';
}

} // namespace

std::vector<LocalInterface> localInterfaces() {
    std::vector<LocalInterface> result;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return result;
    }
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET ||
            (a->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        LocalInterface local;
        local.name = a->ifa_name;
        local.index = static_cast<int>(::if_nametoindex(a->ifa_name));
        local.address = ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr);
        if (a->ifa_netmask != nullptr) {
            local.netmask =
                ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_netmask)->sin_addr.s_addr);
        }
        if ((a->ifa_flags & IFF_BROADCAST) != 0 && a->ifa_broadaddr != nullptr &&
            a->ifa_broadaddr->sa_family == AF_INET) {
            local.broadcast =
                ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_broadaddr)->sin_addr.s_addr);
        }
        result.push_back(local);
    }
    ::freeifaddrs(list);
    return result;
}

std::vector<Destination> discoveryDestinations(const Settings& s,
                                               const std::vector<LocalInterface>& interfaces) {
    std::vector<Destination> result;
    const auto add = [&result](Destination d) {
        if (std::find(result.begin(), result.end(), d) == result.end()) {
            result.push_back(d);
        }
    };
    if (s.targets.loopbackOnly) {
        add({kLoopbackBroadcast, s.discoveryPort});
    } else {
        for (const auto& local : interfaces) {
            if (local.broadcast) {
                add({*local.broadcast, s.discoveryPort});
            }
        }
    }
    for (const auto& target : s.targets.extra) {
        add({target.address, target.port != 0 ? target.port : s.discoveryPort});
    }
    return result;
}

std::string localAddressFor(wire::Ipv4 router, wire::Ipv4 routerMask,
                            const std::vector<LocalInterface>& interfaces,
                            const std::optional<LocalInterface>& arrivedOn) {
    for (const auto& local : interfaces) {
        if ((local.address & routerMask) == (router & routerMask)) {
            return wire::formatIpv4(local.address);
        }
    }
    for (const auto& local : interfaces) {
        if (local.netmask != 0 && (local.address & local.netmask) == (router & local.netmask)) {
            return wire::formatIpv4(local.address);
        }
    }
    if (arrivedOn && arrivedOn->address != 0) {
        return wire::formatIpv4(arrivedOn->address);
    }
    if (onLoopback(router)) {
        return wire::formatIpv4(kLoopbackHost);
    }
    return {};
}

std::optional<wire::Ipv4> proposeFreeAddress(wire::Ipv4 network, const std::set<wire::Ipv4>& used) {
    for (wire::Ipv4 host = 2; host <= 254; ++host) {
        if (used.count(network | host) == 0) {
            return network | host;
        }
    }
    return std::nullopt;
}

std::set<wire::Ipv4> arpTableAddresses(std::istream& table) {
    std::set<wire::Ipv4> result;
    std::string line;
    std::getline(table, line); // column titles
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string address;
        fields >> address;
        if (const auto ip = wire::parseIpv4(address)) {
            result.insert(*ip);
        }
    }
    return result;
}

DiscoveryReport discoveryReport(const Settings& s, const std::vector<LocalInterface>& interfaces,
                                const std::vector<HeardReply>& accepted, int ignored) {
    DiscoveryReport report;
    report.ran = true;
    report.ignored = ignored;
    report.replies = static_cast<int>(accepted.size());
    const auto destinations = discoveryDestinations(s, interfaces);
    std::vector<const LocalInterface*> searched;
    for (const auto& local : interfaces) {
        const bool sent =
            std::any_of(destinations.begin(), destinations.end(), [&](const Destination& d) {
                return (local.broadcast && d.address == *local.broadcast) ||
                       (d.address == kLoopbackBroadcast && onLoopback(local.address));
            });
        const bool heardThrough =
            std::any_of(accepted.begin(), accepted.end(), [&](const HeardReply& h) {
                return h.interfaceIndex != 0 && h.interfaceIndex == local.index;
            });
        if (sent || heardThrough) {
            SearchedInterface entry;
            entry.name = local.name;
            entry.address = local.address;
            entry.netmask = local.netmask;
            entry.broadcastSent = sent;
            report.interfaces.push_back(entry);
            searched.push_back(&local);
        }
    }
    for (const auto& target : s.targets.extra) {
        report.extraTargets.push_back(
            wire::formatIpv4(target.address) + ":" +
            std::to_string(target.port != 0 ? target.port : s.discoveryPort));
    }
    for (const auto& h : accepted) {
        DiscoveredRouter router{h.reply.name, h.reply.ip, h.reply.netmask, false};
        // An interface may carry several addresses: the one whose network
        // holds the router, else the first.
        std::optional<std::size_t> at;
        for (std::size_t i = 0; i < searched.size(); ++i) {
            if (h.interfaceIndex == 0 || searched[i]->index != h.interfaceIndex) {
                continue;
            }
            if (!at || holds(searched[i]->address, searched[i]->netmask, h.reply.ip)) {
                at = i;
            }
        }
        if (!at) {
            report.unattributed.push_back(router);
            continue;
        }
        router.outsideNetwork = !holds(searched[*at]->address, searched[*at]->netmask, h.reply.ip);
        report.interfaces[*at].routers.push_back(router);
    }
    return report;
}

int browse(DEVICE_INFO* table, int* count) {
    return browseUpTo(table, kDeviceTableSize, count);
}

int browseUpTo(DEVICE_INFO* table, int capacity, int* count) {
    capacity = std::clamp(capacity, 0, static_cast<int>(kMaxReplies));
    if (count != nullptr) {
        *count = 0;
    }
    if (table == nullptr || count == nullptr) {
        return 0;
    }
    const std::uint32_t requestId = newRequestId();
    Socket socket;
    if (!sendToAll(socket, wire::encode(wire::BrowseRequest{requestId}))) {
        return 0;
    }
    const Settings used = settings();
    const auto deadline = Clock::now() + std::chrono::milliseconds(used.windowMs);
    const auto interfaces = localInterfaces();
    std::map<wire::Ipv4, Heard> heard; // by address: sorted, first reply wins
    std::map<wire::Ipv4, int> arrivedThrough;
    int ignored = 0;
    while (auto datagram = socket.receive(deadline)) {
        if (datagram->bytes.empty()) {
            continue;
        }
        const auto reply = wire::decodeBrowseReply(datagram->bytes);
        if (!reply || reply->requestId != requestId || heard.size() >= kMaxReplies ||
            heard.count(reply->ip) != 0) {
            ++ignored;
            continue;
        }
        heard.try_emplace(reply->ip,
                          Heard{*reply, arrivalInterface(interfaces, datagram->arrival)});
        arrivedThrough[reply->ip] = datagram->arrival ? datagram->arrival->interfaceIndex : 0;
    }
    // Replies arrive in whatever order the routers answer; all are collected
    // and the lowest addresses kept, so the same routers are listed, in the
    // same rows, from one discovery to the next however many answer.
    std::vector<Heard> replies;
    for (auto& [ip, entry] : heard) {
        if (static_cast<int>(replies.size()) == capacity) {
            break;
        }
        replies.push_back(std::move(entry));
    }

    std::vector<HeardReply> accepted;
    for (const Heard& h : replies) {
        accepted.push_back({h.reply, arrivedThrough[h.reply.ip]});
    }
    const int leftOut = static_cast<int>(heard.size() - replies.size());
    ignored += leftOut;
    DiscoveryReport report = discoveryReport(used, interfaces, accepted, ignored);
    report.leftOut = leftOut;
    rememberReport(report);

    std::vector<KnownRouter> known;
    for (std::size_t i = 0; i < replies.size(); ++i) {
        const auto& reply = replies[i].reply;
        DEVICE_INFO& record = table[i];
        record = DEVICE_INFO{};
        copyText(record.name, sizeof record.name, reply.name);
        copyText(record.ipAddress, sizeof record.ipAddress, wire::formatIpv4(reply.ip));
        copyText(record.password, sizeof record.password, reply.password);
        record.family = reply.family;
        copyText(record.netmask, sizeof record.netmask, wire::formatIpv4(reply.netmask));
        copyText(record.localAddress, sizeof record.localAddress,
                 localAddressFor(reply.ip, reply.netmask, interfaces, replies[i].arrivedOn));
        known.push_back({reply.ip, reply.hardware, reply.snmpPort});
    }
    rememberBrowse(known);
    *count = static_cast<int>(replies.size());
    return 1;
}

int udpSetIp(const DEVICE_INFO* device, const char* newIp, const char* mask, unsigned char flag) {
    if (device == nullptr || newIp == nullptr || mask == nullptr) {
        return 0;
    }
    const auto current = wire::parseIpv4(
        std::string_view(device->ipAddress, strnlen(device->ipAddress, sizeof device->ipAddress)));
    const auto address = wire::parseIpv4(std::string_view(newIp, strnlen(newIp, 64)));
    const auto netmask = wire::parseIpv4(std::string_view(mask, strnlen(mask, 64)));
    if (!current || !address || !netmask) {
        return 0;
    }
    const auto router = knownRouter(*current);
    if (!router) {
        return 0;
    }
    const wire::SetIpRequest request{newRequestId(), router->hardware, *address, *netmask, flag};
    Socket socket;
    if (!sendToAll(socket, wire::encode(request))) {
        return 0;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(settings().windowMs);
    while (auto datagram = socket.receive(deadline)) {
        const auto ack = wire::decodeSetIpAck(datagram->bytes);
        if (!ack || ack->requestId != request.requestId || ack->hardware != router->hardware) {
            continue;
        }
        if (ack->status != 0 || ack->ip != *address) {
            return 0;
        }
        rememberRouter({*address, router->hardware, router->snmpPort});
        return 1;
    }
    return 0;
}

int queryFreeIp(const char* network, char* result) {
    if (network == nullptr || result == nullptr) {
        return 0;
    }
    const std::size_t length = strnlen(network, kAddressTextSize);
    const auto parsed = wire::parseIpv4(std::string_view(network, length));
    if (length == kAddressTextSize || !parsed || (*parsed & 0xff) != 0) {
        return 0;
    }
    std::set<wire::Ipv4> used;
    for (const auto ip : lastBrowseAddresses()) {
        used.insert(ip);
    }
    for (const auto& local : localInterfaces()) {
        used.insert(local.address);
    }
    std::ifstream arp("/proc/net/arp");
    if (arp) {
        used.merge(arpTableAddresses(arp));
    }
    const auto free = proposeFreeAddress(*parsed, used);
    if (!free) {
        return 0;
    }
    // `network` and `result` may be one buffer: it was fully read above.
    const std::string text = wire::formatIpv4(*free);
    std::memcpy(result, text.c_str(), text.size() + 1);
    return 1;
}

} // namespace ipslan::detail

namespace ipslan {

DiscoveryReport lastDiscoveryReport() {
    std::lock_guard lock(detail::reportMutex());
    return detail::storedReport();
}

std::vector<std::string> describeDiscovery(const DiscoveryReport& report) {
    std::vector<std::string> lines;
    if (!report.ran) {
        lines.emplace_back("discovery: not run");
        return lines;
    }
    const auto plural = [](int n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    lines.push_back("discovery: " + plural(report.replies, "reply", "replies") + ", " +
                    std::to_string(report.ignored) + " ignored");
    if (report.leftOut > 0) {
        lines.push_back("  " + plural(report.leftOut, "router", "routers") +
                        " answered beyond the routers the list holds and " +
                        (report.leftOut == 1 ? "is" : "are") + " not listed");
    }
    const auto describe = [&lines](const DiscoveredRouter& r) {
        std::string line = "    \"" + detail::printable(r.name) + "\" at " +
                           wire::formatIpv4(r.address) + " mask " + wire::formatIpv4(r.netmask);
        if (r.outsideNetwork) {
            line += ": outside this network, reachable only after an address change";
        }
        lines.push_back(line);
    };
    for (const auto& i : report.interfaces) {
        lines.push_back("  interface " + (i.name.empty() ? std::string("?") : i.name) + " " +
                        wire::formatIpv4(i.address) + " mask " + wire::formatIpv4(i.netmask) +
                        (i.broadcastSent ? ", broadcast sent" : ", no broadcast") + ": " +
                        plural(static_cast<int>(i.routers.size()), "reply", "replies"));
        for (const auto& r : i.routers) {
            describe(r);
        }
    }
    for (const auto& target : report.extraTargets) {
        lines.push_back("  extra target " + target);
    }
    if (!report.unattributed.empty()) {
        lines.emplace_back("  through no interface listed:");
        for (const auto& r : report.unattributed) {
            describe(r);
        }
    }
    return lines;
}

} // namespace ipslan

int IPSInitLan() {
    ipslan::detail::initSnmp();
    (void)ipslan::detail::settings();
    return 1;
}

int IPSBrowse(DEVICE_INFO* table, int* count) {
    return ipslan::detail::browse(table, count);
}

int IPSBrowseUpTo(DEVICE_INFO* table, int capacity, int* count) {
    return ipslan::detail::browseUpTo(table, capacity, count);
}

int IPSUDPSetIP(const DEVICE_INFO* device, int /*reserved*/, const char* newIp,
                const char* /*newIp2*/, const char* mask, unsigned char flag) {
    return ipslan::detail::udpSetIp(device, newIp, mask, flag);
}

int IPSGetHardwareAddress(const char* ip, unsigned char* hardware) {
    if (ip == nullptr || hardware == nullptr) {
        return 0;
    }
    const auto address = ipslan::wire::parseIpv4(std::string_view(ip, strnlen(ip, 64)));
    const auto router = address ? ipslan::detail::knownRouter(*address) : std::nullopt;
    if (!router) {
        return 0;
    }
    std::memcpy(hardware, router->hardware.data(), router->hardware.size());
    return 1;
}

int IPSQueryFreeIp(const char* network, char* result) {
    return ipslan::detail::queryFreeIp(network, result);
}
