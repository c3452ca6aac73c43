// Minimal peers for the library's own tests, all on loopback: an SNMP
// responder whose answers a test shapes, and a discovery responder that
// answers browse and set-IP requests from a script. Each runs on its own
// thread and stops when destroyed.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <ipslan/ipslan.h>
#include <ipslan/wire.h>
#include <routersim/loopback.h>

namespace ipslan_test {

using routersim::freeUdpPort;

// Answers SNMP requests on 127.0.0.1:port(). The handler gets the request
// and the response (a clone of the request, already a RESPONSE) to fill in;
// returning false drops the request unanswered.
class SnmpResponder {
public:
    using Handler = std::function<bool(const netsnmp_pdu& request, netsnmp_pdu& response)>;

    explicit SnmpResponder(Handler handler, std::string community = "public")
        : handler_(std::move(handler)), community_(std::move(community)) {
        IPSInitLan(); // sets Net-SNMP up the library's way
        for (int attempt = 0; attempt < 20 && handle_ == nullptr; ++attempt) {
            port_ = freeUdpPort();
            const std::string endpoint = "udp:127.0.0.1:" + std::to_string(port_);
            netsnmp_transport* transport = netsnmp_transport_open_server("snmp", endpoint.c_str());
            if (transport == nullptr) {
                continue;
            }
            netsnmp_session session;
            snmp_sess_init(&session);
            session.callback = &SnmpResponder::callback;
            session.callback_magic = this;
            handle_ = snmp_sess_add(&session, transport, nullptr, nullptr);
        }
        thread_ = std::thread([this] { run(); });
    }

    ~SnmpResponder() {
        stop_ = true;
        thread_.join();
        if (handle_ != nullptr) {
            snmp_sess_close(handle_);
        }
    }

    SnmpResponder(const SnmpResponder&) = delete;
    SnmpResponder& operator=(const SnmpResponder&) = delete;

    bool ok() const { return handle_ != nullptr; }
    std::uint16_t port() const { return port_; }
    int requests() const { return requests_; }
    // Sends a response of the handler's making (a clone, a late one); only
    // from within the handler. Takes ownership.
    void send(netsnmp_pdu* response) {
        if (snmp_sess_send(handle_, response) == 0) {
            snmp_free_pdu(response);
        }
    }

private:
    static int callback(int op, netsnmp_session*, int, netsnmp_pdu* pdu, void* magic) {
        if (op != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || pdu == nullptr) {
            return 1;
        }
        auto* self = static_cast<SnmpResponder*>(magic);
        ++self->requests_;
        const std::string community(reinterpret_cast<const char*>(pdu->community),
                                    pdu->community_len);
        if (community != self->community_) {
            return 1;
        }
        netsnmp_pdu* response = snmp_clone_pdu(pdu);
        response->command = SNMP_MSG_RESPONSE;
        if (!self->handler_(*pdu, *response) || snmp_sess_send(self->handle_, response) == 0) {
            snmp_free_pdu(response);
        }
        return 1;
    }

    void run() {
        while (!stop_ && handle_ != nullptr) {
            int fds = 0;
            int block = 0;
            fd_set set;
            FD_ZERO(&set);
            timeval tv{0, 20000};
            snmp_sess_select_info(handle_, &fds, &set, &tv, &block);
            tv = {0, 20000};
            if (::select(fds, &set, nullptr, nullptr, &tv) > 0) {
                snmp_sess_read(handle_, &set);
            }
        }
    }

    Handler handler_;
    std::string community_;
    void* handle_ = nullptr;
    std::uint16_t port_ = 0;
    std::atomic<int> requests_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A router's discovery service on loopback: receives on `address:port` and,
// when `broadcast` is set, also on 127.255.255.255:port; answers through the
// handler, which returns the datagrams to send back to the requester.
class DiscoveryResponder {
public:
    using Handler =
        std::function<std::vector<std::vector<std::uint8_t>>(const std::vector<std::uint8_t>&)>;

    DiscoveryResponder(ipslan::wire::Ipv4 address, std::uint16_t port, bool broadcast,
                       Handler handler)
        : handler_(std::move(handler)) {
        own_ = open(address, port);
        if (broadcast) {
            broadcast_ = open(0x7fffffff, port);
        }
        thread_ = std::thread([this] { run(); });
    }

    ~DiscoveryResponder() {
        stop_ = true;
        thread_.join();
        for (int fd : {own_, broadcast_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    bool ok() const { return own_ >= 0 && broadcast_ != -2; }
    int received() const { return received_; }

private:
    static int open(ipslan::wire::Ipv4 address, std::uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(address);
        a.sin_port = htons(port);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            return -2;
        }
        return fd;
    }

    void run() {
        while (!stop_) {
            pollfd fds[2] = {{own_, POLLIN, 0}, {broadcast_, POLLIN, 0}};
            if (::poll(fds, broadcast_ >= 0 ? 2 : 1, 20) <= 0) {
                continue;
            }
            for (const auto& p : fds) {
                if (p.fd < 0 || (p.revents & POLLIN) == 0) {
                    continue;
                }
                std::vector<std::uint8_t> buffer(1024);
                sockaddr_in from{};
                socklen_t len = sizeof from;
                const ssize_t got = ::recvfrom(p.fd, buffer.data(), buffer.size(), 0,
                                               reinterpret_cast<sockaddr*>(&from), &len);
                if (got < 0) {
                    continue;
                }
                buffer.resize(static_cast<std::size_t>(got));
                ++received_;
                for (const auto& answer : handler_(buffer)) {
                    ::sendto(own_, answer.data(), answer.size(), 0,
                             reinterpret_cast<sockaddr*>(&from), len);
                }
            }
        }
    }

    Handler handler_;
    int own_ = -1;
    int broadcast_ = -1;
    std::atomic<int> received_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace ipslan_test
