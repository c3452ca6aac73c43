// The plain way to back up a fleet, as the fleet benchmark's yardstick: a
// Net-SNMP client that asks each router for every variable in one GET and
// writes the answer's values to a file, a fixed number of routers at a time
// (one thread and one session each). No flush: a shell redirection would not
// make one either.
//
//     bench_peer_get ROUTERS OIDS DIR [AT_ONCE]
//
// ROUTERS: lines "address port community"; OIDS: numeric OIDs, one a line.
// Exits 1 when any router did not answer in full.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_common.h"

namespace {

struct Target {
    std::string address;
    std::string port;
    std::string community;
};

std::vector<oid> parseOid(const std::string& text) {
    std::vector<oid> out;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, '.'))
        if (!part.empty())
            out.push_back(std::stoul(part));
    return out;
}

bool backUp(const Target& t, const std::vector<std::vector<oid>>& oids, const std::string& dir) {
    bench::BareSettings settings(t.address, static_cast<std::uint16_t>(std::stoi(t.port)),
                                 t.community);
    void* session = bench::openSession(settings.get());
    if (session == nullptr)
        return false;
    netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
    for (const auto& name : oids)
        snmp_add_null_var(request, name.data(), name.size());
    netsnmp_pdu* response = nullptr;
    const int status = snmp_sess_synch_response(session, request, &response);
    bool ok =
        status == STAT_SUCCESS && response != nullptr && response->errstat == SNMP_ERR_NOERROR;
    if (ok) {
        std::FILE* out = std::fopen((dir + "/" + t.address + ".dat").c_str(), "wb");
        ok = out != nullptr;
        for (auto* var = response->variables; ok && var != nullptr; var = var->next_variable)
            ok = std::fwrite(var->val.string, 1, var->val_len, out) == var->val_len;
        if (out != nullptr && std::fclose(out) != 0)
            ok = false;
    }
    if (response != nullptr)
        snmp_free_pdu(response);
    bench::closeSession(session);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_peer_get ROUTERS OIDS DIR [AT_ONCE]\n");
        return 2;
    }
    std::vector<Target> targets;
    std::ifstream routers(argv[1]);
    for (Target t; routers >> t.address >> t.port >> t.community;)
        targets.push_back(t);
    std::vector<std::vector<oid>> oids;
    std::ifstream names(argv[2]);
    for (std::string line; std::getline(names, line);)
        if (!line.empty())
            oids.push_back(parseOid(line));
    const std::string dir = argv[3];
    const int atOnce = argc > 4 ? std::atoi(argv[4]) : 8;

    std::atomic<std::size_t> next{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < atOnce; ++i)
        workers.emplace_back([&] {
            for (std::size_t k = next++; k < targets.size(); k = next++)
                if (!backUp(targets[k], oids, dir))
                    ++failed;
        });
    for (auto& w : workers)
        w.join();
    if (failed > 0)
        std::fprintf(stderr, "bench_peer_get: %d routers failed\n", failed.load());
    return failed > 0 ? 1 : 0;
}
