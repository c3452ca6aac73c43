// Helpers for tests that run simulated routers on loopback: free ports,
// scratch directories, a bare Net-SNMP client and raw discovery datagrams.
// Everything here talks to 127.0.0.0/8 only.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <ipslan/wire.h>
#include <routersim/loopback.h>

#include "support/waits.h"

namespace loopback {

using routersim::freeUdpPort;
inline std::string randomNetwork() {
    return routersim::randomLoopbackNetwork();
}

class TempDir {
public:
    // Throws when no directory can be made: the test fails there, with the
    // reason, rather than later in a path that is empty.
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tolvaro-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// ---- A bare SNMPv1 client ----------------------------------------------------

struct SnmpValue {
    int type = 0; // ASN_INTEGER, ASN_OCTET_STR, ...
    long integer = 0;
    std::string bytes;
};

struct SnmpResult {
    bool answered = false; // false: time-out
    long errstat = 0;
    long errindex = 0;
    std::vector<SnmpValue> values;
};

struct SnmpBinding {
    SnmpBinding(int variable, int mode = 0) : variable(variable), mode(mode) {}
    SnmpBinding(int variable, int mode, long integer)
        : variable(variable), mode(mode), integer(integer) {}
    SnmpBinding(int variable, int mode, std::string bytes)
        : variable(variable), mode(mode), bytes(std::move(bytes)) {}

    int variable;
    int mode = 0;
    std::optional<long> integer;      // SET as INTEGER
    std::optional<std::string> bytes; // SET as OCTET STRING
};

inline void initSnmpOnce() {
    static const bool done = [] {
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
        netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_EMERG);
        netsnmp_session s;
        snmp_sess_init(&s);
        return true;
    }();
    (void)done;
}

// The waits of support/waits.h, for this bare client.
inline constexpr long kAnswerWaitMicros = tolvaro::test::kAnswerTimeoutMs * 1000L;
inline constexpr long kSilenceWaitMicros = tolvaro::test::kBriefTimeoutMs * 1000L;

// One session per call, like a simple management station.
class SnmpClient {
public:
    SnmpClient(std::string address, std::uint16_t port, std::string community,
               long timeoutMicros = kAnswerWaitMicros)
        : peer_("udp:" + address + ":" + std::to_string(port)), community_(std::move(community)),
          timeout_(timeoutMicros) {
        initSnmpOnce();
    }

    SnmpResult get(const std::vector<SnmpBinding>& bindings, int command = SNMP_MSG_GET) {
        return exchange(command, bindings);
    }
    SnmpResult set(const std::vector<SnmpBinding>& bindings) {
        return exchange(SNMP_MSG_SET, bindings);
    }

private:
    SnmpResult exchange(int command, const std::vector<SnmpBinding>& bindings) {
        netsnmp_session s;
        snmp_sess_init(&s);
        s.version = SNMP_VERSION_1;
        s.peername = peer_.data();
        s.community = reinterpret_cast<u_char*>(community_.data());
        s.community_len = community_.size();
        s.timeout = timeout_;
        s.retries = 0;
        void* handle = snmp_sess_open(&s);
        SnmpResult result;
        if (handle == nullptr) {
            return result;
        }
        netsnmp_pdu* pdu = snmp_pdu_create(command);
        for (const auto& b : bindings) {
            const auto id = *ipslan::wire::variableOid(b.variable, b.mode);
            const std::vector<oid> name(id.begin(), id.end());
            if (b.integer) {
                const long value = *b.integer;
                snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_INTEGER, &value,
                                      sizeof value);
            } else if (b.bytes) {
                snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OCTET_STR, b.bytes->data(),
                                      b.bytes->size());
            } else {
                snmp_add_null_var(pdu, name.data(), name.size());
            }
        }
        netsnmp_pdu* response = nullptr;
        const int status = snmp_sess_synch_response(handle, pdu, &response);
        if (status == STAT_SUCCESS && response != nullptr) {
            result.answered = true;
            result.errstat = response->errstat;
            result.errindex = response->errindex;
            for (auto* vb = response->variables; vb != nullptr; vb = vb->next_variable) {
                SnmpValue value;
                value.type = vb->type;
                if (vb->type == ASN_INTEGER || vb->type == ASN_COUNTER) {
                    value.integer = *vb->val.integer;
                } else if (vb->type == ASN_OCTET_STR && vb->val_len > 0) {
                    value.bytes.assign(reinterpret_cast<const char*>(vb->val.string), vb->val_len);
                }
                result.values.push_back(std::move(value));
            }
        }
        if (response != nullptr) {
            snmp_free_pdu(response);
        }
        snmp_sess_close(handle);
        return result;
    }

    std::string peer_;
    std::string community_;
    long timeout_;
};

// ---- Raw discovery datagrams -------------------------------------------------

struct Received {
    std::vector<std::uint8_t> bytes;
    std::string from;
};

// A UDP socket on 127.0.0.1 that may broadcast to 127.255.255.255.
class RawUdp {
public:
    RawUdp() {
        // A socket that failed would make every test of it pass or fail
        // for the wrong reason: say so instead.
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0)
            throw std::system_error(errno, std::generic_category(), "UDP socket");
        const int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            const int error = errno;
            ::close(fd_);
            throw std::system_error(error, std::generic_category(), "bind to 127.0.0.1");
        }
    }
    ~RawUdp() { ::close(fd_); }
    RawUdp(const RawUdp&) = delete;
    RawUdp& operator=(const RawUdp&) = delete;

    void send(const std::vector<std::uint8_t>& bytes, const std::string& address,
              std::uint16_t port) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }

    // Everything that arrives within `windowMs`: for datagrams that should
    // not come.
    std::vector<Received> collect(int windowMs) { return collectUntil(windowMs, SIZE_MAX); }

    // Waits for `count` datagrams however long a loaded machine delays them,
    // then `quietMs` more, so that one too many (a double answer) is seen.
    std::vector<Received> await(std::size_t count, int quietMs = 30) {
        std::vector<Received> received =
            collectUntil(static_cast<int>(kAnswerWaitMicros / 1000), count);
        if (received.size() == count) {
            for (Received& extra : collect(quietMs)) {
                received.push_back(std::move(extra));
            }
        }
        return received;
    }

private:
    std::vector<Received> collectUntil(int windowMs, std::size_t count) {
        std::vector<Received> received;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(windowMs);
        while (received.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) {
                return received;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) {
                continue;
            }
            Received r;
            r.bytes.resize(2048);
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd_, r.bytes.data(), r.bytes.size(), 0,
                                         reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 0) {
                continue;
            }
            r.bytes.resize(static_cast<std::size_t>(n));
            char text[INET_ADDRSTRLEN];
            ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
            r.from = text;
            received.push_back(std::move(r));
        }
        return received;
    }

    int fd_ = -1;
};

inline constexpr const char* kLoopbackBroadcast = "127.255.255.255";

} // namespace loopback
