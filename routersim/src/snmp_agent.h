// The SNMPv1 side of a simulated router: a Net-SNMP transport session bound
// to the router's address, and the translation of requests into reads and
// writes of the model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <sys/select.h>

#include "routersim/model.h"

struct snmp_pdu;
struct snmp_session;

namespace routersim::detail {

// Persists the model's settings after a write changed them; gets the settings
// from before the write to restore on failure. False when they could not be
// kept.
using Persist = std::function<bool(const Settings& before)>;

// The response to one request, or nullptr for none (requests that are not
// GET, GETNEXT or SET). Community and reachability are the caller's checks.
snmp_pdu* answerRequest(RouterModel& model, const snmp_pdu& request, const Persist& persist);

// The variables and modes a SET request names, in order (unknown ones left
// out).
std::vector<std::pair<int, int>> writtenVariables(const snmp_pdu& request);

// A response to `request` carrying an error status and index.
snmp_pdu* errorAnswer(const snmp_pdu& request, long status, long index);

class SnmpAgent {
public:
    // Gets each received request; answers go out through send().
    using Handler = std::function<void(const snmp_pdu& request)>;

    explicit SnmpAgent(Handler handler) : handler_(std::move(handler)) {}
    ~SnmpAgent() { close(); }
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;

    // Listens on address:port (port 0 picks a free one). Empty on success,
    // else why not.
    std::string open(std::uint32_t address, std::uint16_t port);
    void close();
    bool isOpen() const { return session_ != nullptr; }
    std::uint16_t port() const { return port_; }

    void addToSelect(int& maxFd, fd_set& fds) const;
    // Reads whatever is waiting on the descriptors set in fds and hands each
    // request to the handler.
    void read(fd_set& fds);
    // Sends a response to where its request came from; takes ownership.
    void send(snmp_pdu* response);

private:
    static int received(int operation, snmp_session* session, int requestId, snmp_pdu* pdu,
                        void* magic);

    Handler handler_;
    void* session_ = nullptr;
    std::uint16_t port_ = 0;
};

} // namespace routersim::detail
