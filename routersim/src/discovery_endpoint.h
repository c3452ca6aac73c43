// The discovery side of a simulated router: one socket on the loopback
// broadcast address that hears broadcast requests, one on the router's own
// address that hears unicast requests and sends every reply, so that a
// reply's source names the router.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <sys/select.h>

namespace routersim::detail {

struct Datagram {
    std::vector<std::uint8_t> bytes;
    sockaddr_in from{};
};

class DiscoveryEndpoint {
public:
    DiscoveryEndpoint() = default;
    ~DiscoveryEndpoint() { close(); }
    DiscoveryEndpoint(const DiscoveryEndpoint&) = delete;
    DiscoveryEndpoint& operator=(const DiscoveryEndpoint&) = delete;

    // Empty on success, else why not. Only loopback addresses are accepted.
    std::string open(std::uint32_t address, std::uint16_t port);
    void close();
    bool isOpen() const { return unicast_ >= 0; }

    void addToSelect(int& maxFd, fd_set& fds) const;
    // Datagrams waiting on the descriptors set in fds (non-blocking).
    std::vector<Datagram> receive(const fd_set& fds);
    // Sends from the router's own address; only to loopback destinations.
    void send(const std::vector<std::uint8_t>& bytes, const sockaddr_in& to);

private:
    int broadcast_ = -1;
    int unicast_ = -1;
};

} // namespace routersim::detail
