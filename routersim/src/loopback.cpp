#include "routersim/loopback.h"

#include <random>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace routersim {

std::uint16_t freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("no UDP socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    if (!bound) {
        throw std::runtime_error("no free UDP port");
    }
    return ntohs(address.sin_port);
}

std::string randomLoopbackNetwork() {
    std::random_device seed;
    std::uniform_int_distribution<int> octet(1, 254);
    return "127." + std::to_string(octet(seed)) + "." + std::to_string(octet(seed)) + ".";
}

} // namespace routersim
