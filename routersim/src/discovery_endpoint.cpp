#include "discovery_endpoint.h"

#include <algorithm>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <ipslan/wire.h>

namespace routersim::detail {
namespace {

constexpr std::uint32_t kLoopbackBroadcast = 0x7fffffff; // 127.255.255.255

bool isLoopback(std::uint32_t address) {
    return (address >> 24) == 127;
}

int boundSocket(std::uint32_t address, std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    // Every router on this host shares the broadcast address and port.
    const int on = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    local.sin_port = htons(port);
    if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void drain(int fd, std::vector<Datagram>& out) {
    for (;;) {
        Datagram datagram;
        datagram.bytes.resize(ipslan::wire::kMaxDatagram);
        socklen_t length = sizeof datagram.from;
        const ssize_t n = ::recvfrom(fd, datagram.bytes.data(), datagram.bytes.size(), 0,
                                     reinterpret_cast<sockaddr*>(&datagram.from), &length);
        if (n < 0) {
            return; // EAGAIN, or an error the next select reports again
        }
        if (length != sizeof datagram.from || datagram.from.sin_family != AF_INET) {
            continue;
        }
        datagram.bytes.resize(static_cast<std::size_t>(n));
        out.push_back(std::move(datagram));
    }
}

} // namespace

std::string DiscoveryEndpoint::open(std::uint32_t address, std::uint16_t port) {
    close();
    const std::string where = ipslan::wire::formatIpv4(address) + ":" + std::to_string(port);
    if (!isLoopback(address)) {
        return "refusing to listen for discovery outside 127.0.0.0/8 (" + where + ")";
    }
    broadcast_ = boundSocket(kLoopbackBroadcast, port);
    unicast_ = boundSocket(address, port);
    if (broadcast_ < 0 || unicast_ < 0) {
        close();
        return "cannot listen for discovery on " + where + " and 127.255.255.255";
    }
    return {};
}

void DiscoveryEndpoint::close() {
    for (int* fd : {&broadcast_, &unicast_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void DiscoveryEndpoint::addToSelect(int& maxFd, fd_set& fds) const {
    for (int fd : {broadcast_, unicast_}) {
        if (fd >= 0) {
            FD_SET(fd, &fds);
            maxFd = std::max(maxFd, fd);
        }
    }
}

std::vector<Datagram> DiscoveryEndpoint::receive(const fd_set& fds) {
    std::vector<Datagram> datagrams;
    for (int fd : {broadcast_, unicast_}) {
        if (fd >= 0 && FD_ISSET(fd, &fds)) {
            drain(fd, datagrams);
        }
    }
    return datagrams;
}

void DiscoveryEndpoint::send(const std::vector<std::uint8_t>& bytes, const sockaddr_in& to) {
    if (unicast_ < 0 || bytes.empty() || !isLoopback(ntohl(to.sin_addr.s_addr))) {
        return;
    }
    ::sendto(unicast_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
}

} // namespace routersim::detail
