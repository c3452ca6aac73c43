// Benchmarks of the device library against simulated routers on loopback:
//   1. a full family-2 Setup fetch through ipslan, against a bare Net-SNMP
//      client that keeps one session open and asks for the same variables;
//   2. discovery of 1 and of 32 routers (dominated by the reply window);
//   3. single-variable GET requests per second that one simulator serves.
// Every loop is bounded; nothing leaves 127.0.0.0/8.
//
// Usage: bench_fetch [iterations]   (default 200)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <ipslan/config.h>
#include <ipslan/ipslan.h>
#include <ipslan/wire.h>
#include <routersim/router.h>

namespace {

using Clock = std::chrono::steady_clock;

// The family-2 catalogue in slot order and its requests (first slot, count),
// then the mode-1 block: what one Setup reads.
const std::vector<int> kCatalogue = {
    0x4001, 0x4002, 0x4003, 0x4004, 0x4006, 0x4014, 0x4015, 0x3801, 0x3823, 0x3824, 0x4008,
    0x0104, 0x0100, 0x0103, 0x0106, 0x4025, 0x4027, 0x4028, 0x4029, 0x402a, 0x3004, 0x3006,
    0x3005, 0x3012, 0x3013, 0x3014, 0x3601, 0x3602, 0x4026, 0x3201, 0x3202, 0x3203, 0x3204,
    0x3205, 0x3401, 0x3402, 0x3403, 0x3404, 0x3405, 0x3501, 0x3502, 0x3503, 0x3504, 0x3505,
    0x3301, 0x3302, 0x3701, 0x3702, 0x3703, 0x3704, 0x3705, 0x3706, 0x3707, 0x3708, 0x3709,
    0x370a, 0x3710, 0x3711, 0x3712, 0x3713, 0x3714, 0x3715, 0x3716, 0x3717, 0x371e, 0x371c,
    0x371b, 0x4017, 0x400d, 0x4023, 0x401a, 0x401b, 0x401c, 0x401d, 0x401e, 0x401f, 0x4020,
    0x3806, 0x3809, 0x381c, 0x381f, 0x3822, 0x3804, 0x4009, 0x371a};
struct Block {
    int first;
    int count;
};
const std::vector<Block> kRequests = {{0, 29}, {29, 1}, {30, 1},  {31, 1},  {32, 1},
                                      {33, 1}, {34, 1}, {34, 28}, {62, 15}, {77, 7}};
const std::vector<int> kMode1Block = {0x4017, 0x400d, 0x4023, 0x371a, 0x4018};

std::uint16_t freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    socklen_t length = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    ::close(fd);
    return ntohs(local.sin_port);
}

// 127.a.b. with random a and b, so that a bench never meets a test run.
std::string randomNetwork() {
    std::random_device seed;
    std::uniform_int_distribution<int> octet(1, 254);
    return "127." + std::to_string(octet(seed)) + "." + std::to_string(octet(seed)) + ".";
}

std::unique_ptr<routersim::Router> startRouter(const std::string& address,
                                               std::uint16_t discovery) {
    routersim::RouterConfig config;
    config.family = 2;
    config.name = "bench";
    config.address = address;
    config.snmpPort = 0;
    config.discoveryPort = discovery;
    return std::make_unique<routersim::Router>(config);
}

double microsSince(Clock::time_point start, int iterations) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / iterations;
}

// One fetch through the library; false when a request failed.
bool libraryFetch(const std::string& ip, std::vector<MIB_RESPONSE>& image) {
    for (const auto& block : kRequests) {
        if (IPSGetInfo(ip.c_str(), 0, block.count, &kCatalogue[block.first], &image[block.first]) !=
            1) {
            return false;
        }
    }
    return IPSGetInfo(ip.c_str(), 1, 5, kMode1Block.data(), image.data()) == 1;
}

// The same requests through one Net-SNMP session kept open.
class BareClient {
public:
    BareClient(const std::string& ip, std::uint16_t port) {
        netsnmp_session session;
        snmp_sess_init(&session);
        std::string peer = "udp:" + ip + ":" + std::to_string(port);
        session.peername = peer.data();
        session.version = SNMP_VERSION_1;
        session.community = reinterpret_cast<u_char*>(community_.data());
        session.community_len = community_.size();
        session.timeout = 1000000;
        session.retries = 0;
        handle_ = snmp_sess_open(&session);
    }
    ~BareClient() {
        if (handle_ != nullptr) {
            snmp_sess_close(handle_);
        }
    }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    bool get(const int* variables, int count, int mode) {
        netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
        for (int i = 0; i < count; ++i) {
            const auto id = ipslan::wire::variableOid(variables[i], mode);
            const std::vector<oid> name(id->begin(), id->end());
            snmp_add_null_var(pdu, name.data(), name.size());
        }
        netsnmp_pdu* response = nullptr;
        const int status = snmp_sess_synch_response(handle_, pdu, &response);
        const bool ok =
            status == STAT_SUCCESS && response != nullptr && response->errstat == SNMP_ERR_NOERROR;
        if (response != nullptr) {
            snmp_free_pdu(response);
        }
        return ok;
    }

    bool fetch() {
        for (const auto& block : kRequests) {
            if (!get(&kCatalogue[block.first], block.count, 0)) {
                return false;
            }
        }
        return get(kMode1Block.data(), 5, 1);
    }

    bool ok() const { return handle_ != nullptr; }

private:
    std::string community_ = routersim::kFixedCommunity;
    void* handle_ = nullptr;
};

int browseCount() {
    std::vector<DEVICE_INFO> table(kDeviceTableSize);
    int count = 0;
    IPSBrowse(table.data(), &count);
    return count;
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::max(1, std::min(10000, std::atoi(argv[1]))) : 200;
    IPSInitLan();
    ipslan::setTimeouts(1000, 0);
    ipslan::setDiscoveryTargets({true, {}});
    const std::uint16_t discovery = freeUdpPort();
    ipslan::setDiscoveryPort(discovery);
    const std::string network = randomNetwork();

    try {
        const auto router = startRouter(network + "2", discovery);
        PSSetCommunity(routersim::kFixedCommunity);
        PSSetSnmpPort(router->snmpPort());
        const std::string ip = router->address();

        std::vector<MIB_RESPONSE> image(kCatalogue.size());
        if (!libraryFetch(ip, image)) {
            std::fprintf(stderr, "fetch through the library failed\n");
            return 1;
        }
        auto start = Clock::now();
        for (int i = 0; i < iterations; ++i) {
            libraryFetch(ip, image);
        }
        const double library = microsSince(start, iterations);

        BareClient bare(ip, router->snmpPort());
        if (!bare.ok() || !bare.fetch()) {
            std::fprintf(stderr, "fetch through a bare session failed\n");
            return 1;
        }
        start = Clock::now();
        for (int i = 0; i < iterations; ++i) {
            bare.fetch();
        }
        const double direct = microsSince(start, iterations);

        const int single[] = {0x0104};
        const int gets = iterations * 20;
        start = Clock::now();
        for (int i = 0; i < gets; ++i) {
            bare.get(single, 1, 0);
        }
        const double perGet = microsSince(start, gets);

        std::size_t variables = kMode1Block.size();
        for (const auto& block : kRequests) {
            variables += static_cast<std::size_t>(block.count);
        }
        std::printf("family-2 Setup fetch (%zu requests, %zu variables), %d runs\n",
                    kRequests.size() + 1, variables, iterations);
        std::printf("  through ipslan        %9.1f us per fetch\n", library);
        std::printf("  bare Net-SNMP session %9.1f us per fetch\n", direct);
        std::printf("simulator, single-variable GET: %.0f requests/s (%d requests)\n", 1e6 / perGet,
                    gets);

        // The router of the fetch above answers as well.
        for (const int routers : {1, kDeviceTableSize}) {
            std::vector<std::unique_ptr<routersim::Router>> fleet;
            for (int i = 1; i < routers; ++i) {
                fleet.push_back(startRouter(network + std::to_string(10 + i), discovery));
            }
            for (const int window : {50, 300}) {
                ipslan::setDiscoveryWindow(window);
                start = Clock::now();
                const int found = browseCount();
                std::printf("discovery of %2d routers, window %3d ms: found %2d in %6.1f ms\n",
                            routers, window, found, microsSince(start, 1) / 1000);
            }
        }
    } catch (const routersim::StartError& e) {
        std::fprintf(stderr, "simulator: %s\n", e.what());
        return 1;
    }
    return 0;
}
