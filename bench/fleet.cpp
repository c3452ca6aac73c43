// tolvaro-cli backup of a fleet of simulated routers reached by remote
// management, 50 ms round trip each, writing to a directory on disk, against
// the plain way in the same run: bench_peer_get, one GET of every variable
// per router, 8 routers at a time. Both run as processes of their own, as a
// scheduler would start them; each figure is the best and the median of
// BENCH_RUNS runs (5), with the backup's peak resident memory.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ipslan/wire.h>

#include "bench_common.h"
#include "device/fetch.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRoundTripMs = 50; // the simulator delays each reply this long
constexpr int kPeerAtOnce = 8;

fs::path binPath(const std::string& relative) {
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / relative;
}

struct Run {
    double seconds = -1;
    long peakKb = 0;
};

// Runs a program; wall time and peak resident memory, seconds -1 on failure.
Run spawn(std::vector<std::string> args, const std::vector<std::string>& env) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText(env);
    for (char** e = environ; *e != nullptr; ++e)
        envText.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const bench::Stopwatch watch;
    pid_t pid = 0;
    Run run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
            WEXITSTATUS(status) == 0) {
            run.seconds = watch.seconds();
            run.peakKb = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

struct Summary {
    double best = -1;
    double median = -1;
    long peakKb = 0;
};

Summary summarize(std::vector<Run> runs) {
    Summary s;
    std::vector<double> times;
    for (const Run& r : runs) {
        if (r.seconds < 0)
            return s;
        times.push_back(r.seconds);
        s.peakKb = std::max(s.peakKb, r.peakKb);
    }
    std::sort(times.begin(), times.end());
    s.best = times.front();
    s.median = times[times.size() / 2];
    return s;
}

// A router as the programs reach it.
struct Address {
    std::string ip;
    int port = 0;
};

// Routers served by a child process of their own: each simulated router
// watches its sockets with select(), whose descriptors stop at 1024, so one
// process holds at most kRoutersPerProcess of them.
constexpr int kRoutersPerProcess = 128;

class RouterHost {
public:
    explicit RouterHost(int count) {
        int up[2];
        int down[2];
        if (::pipe(up) != 0 || ::pipe(down) != 0)
            throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up[0]);
            ::close(down[1]);
            // Another host's end would keep it running after the parent went.
            for (const int other : stops())
                ::close(other);
            serve(count, up[1], down[0]);
        }
        ::close(up[1]);
        ::close(down[0]);
        stop_ = down[1];
        stops().push_back(stop_);
        std::FILE* in = ::fdopen(up[0], "r");
        char ip[32];
        int port = 0;
        while (static_cast<int>(routers_.size()) < count &&
               std::fscanf(in, "%31s %d", ip, &port) == 2)
            routers_.push_back({ip, port});
        std::fclose(in);
        if (static_cast<int>(routers_.size()) != count)
            throw std::runtime_error("the routers did not start");
    }
    ~RouterHost() {
        ::close(stop_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    RouterHost(const RouterHost&) = delete;
    RouterHost& operator=(const RouterHost&) = delete;

    const std::vector<Address>& routers() const { return routers_; }

private:
    static std::vector<int>& stops() {
        static std::vector<int> all;
        return all;
    }

    // In the child: starts the routers, tells their addresses, and runs them
    // until the parent closes its end of the pipe.
    [[noreturn]] static void serve(int count, int report, int stop) {
        std::vector<std::unique_ptr<routersim::Router>> routers;
        // A discovery port that looked free may be taken by the time the
        // routers bind it: start again on another.
        for (int attempt = 0; routers.empty(); ++attempt) {
            const std::uint16_t discoveryPort = bench::freeUdpPort();
            const std::string network = bench::randomNetwork();
            try {
                for (int i = 0; i < count; ++i)
                    routers.push_back(
                        bench::startRouter(network + std::to_string(1 + i), discoveryPort));
            } catch (const routersim::StartError&) {
                routers.clear();
                if (attempt == 5)
                    ::_exit(1);
            }
        }
        for (const auto& router : routers) {
            router->faults().setLatency(routersim::Millis(kRoundTripMs));
            const std::string line =
                router->address() + " " + std::to_string(router->snmpPort()) + "\n";
            if (::write(report, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
                ::_exit(1);
        }
        char byte = 0;
        while (::read(stop, &byte, 1) > 0) {
        }
        routers.clear();
        ::_exit(0);
    }

    pid_t pid_ = -1;
    int stop_ = -1;
    std::vector<Address> routers_;
};

class Fleet {
public:
    Fleet(const fs::path& dir, int count) : dir_(dir) {
        for (int started = 0; started < count; started += kRoutersPerProcess) {
            hosts_.push_back(
                std::make_unique<RouterHost>(std::min(kRoutersPerProcess, count - started)));
            for (const Address& a : hosts_.back()->routers())
                routers_.push_back(a);
        }
        // Every distinct variable a backup reads, for the peer.
        tolvaro::device::FetchPlan plan(tolvaro::device::Family::Two,
                                        tolvaro::device::FetchPlan::Extent::File, true);
        std::set<ipslan::wire::VariableOid> seen;
        std::ofstream oids(dir_ / "oids");
        for (const IPS_READ& read : plan.reads()) {
            for (int k = 0; k < read.count; ++k) {
                const auto oid = *ipslan::wire::variableOid(read.variables[k], read.mode);
                if (!seen.insert(oid).second)
                    continue;
                for (const auto part : oid)
                    oids << "." << part;
                oids << "\n";
            }
        }
        variables_ = seen.size();
    }

    std::size_t variables() const { return variables_; }

    Run ours(int count, int jobs) {
        const fs::path inventory = dir_ / ("inventory-" + std::to_string(count) + ".toml");
        {
            std::ofstream out(inventory);
            for (int i = 0; i < count; ++i)
                out << "[[router]]\nname = \"r" << i << "\"\nremote = \"" << routers_[i].ip << ":"
                    << routers_[i].port << "\"\npassword_env = \"FLEET_PASSWORD\"\n";
        }
        // As an administrator keeps it: the tool warns about a readable one.
        fs::permissions(inventory, fs::perms::owner_read | fs::perms::owner_write);
        return spawn({binPath("src/tolvaro-cli").string(), "backup", "--inventory",
                      inventory.string(), "--jobs", std::to_string(jobs), "--to",
                      (dir_ / "out").string()},
                     {"FLEET_PASSWORD=secret", "XDG_DATA_HOME=" + (dir_ / "data").string()});
    }

    Run peer(int count) {
        const fs::path list = dir_ / ("routers-" + std::to_string(count));
        {
            std::ofstream out(list);
            for (int i = 0; i < count; ++i)
                out << routers_[i].ip << " " << routers_[i].port << " secret\n";
        }
        fs::create_directories(dir_ / "peer");
        return spawn({binPath("bench/bench_peer_get").string(), list.string(),
                      (dir_ / "oids").string(), (dir_ / "peer").string(),
                      std::to_string(kPeerAtOnce)},
                     {});
    }

private:
    fs::path dir_;
    std::vector<std::unique_ptr<RouterHost>> hosts_;
    std::vector<Address> routers_;
    std::size_t variables_ = 0;
};

void print(const char* what, const Summary& s) {
    std::printf("  %-28s best %6.3f s  median %6.3f s", what, s.best, s.median);
    if (s.peakKb > 0)
        std::printf("  peak %5.1f MB", static_cast<double>(s.peakKb) / 1024.0);
    std::printf("\n");
}

} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    for (const char* program : {"src/tolvaro-cli", "bench/bench_peer_get"}) {
        if (!fs::exists(binPath(program))) {
            std::fprintf(stderr, "build %s first\n", program);
            return 1;
        }
    }
    const char* runsText = std::getenv("BENCH_RUNS");
    const int runs = std::max(1, runsText != nullptr ? std::atoi(runsText) : 5);
    // On disk, not in memory: the files are flushed, and that is part of the cost.
    const fs::path dir = fs::current_path() / ("bench-fleet-" + std::to_string(::getpid()));
    fs::create_directories(dir / "out");
    Fleet fleet(dir, 256);

    std::printf("backup over a simulated WAN, %d ms round trip, into %s; %d runs each\n",
                kRoundTripMs, dir.c_str(), runs);
    std::printf("peer: one GET of all %zu variables per router, %d routers at a time, "
                "answers written unflushed\n",
                fleet.variables(), kPeerAtOnce);
    bool ok = true;
    Summary at8For256;
    Summary wideFor256;
    Summary peerFor256;
    for (const int count : {1, 64, 256}) {
        std::printf("%d router%s:\n", count, count == 1 ? "" : "s");
        std::vector<Run> eight, wide, plain;
        for (int r = 0; r < runs; ++r) {
            eight.push_back(fleet.ours(count, 8));
            if (count > 8)
                wide.push_back(fleet.ours(count, count));
            plain.push_back(fleet.peer(count));
        }
        const Summary s8 = summarize(eight);
        const Summary sWide = count > 8 ? summarize(wide) : s8;
        const Summary sPeer = summarize(plain);
        ok = ok && s8.best > 0 && sWide.best > 0 && sPeer.best > 0;
        print("tolvaro-cli --jobs 8", s8);
        if (count > 8)
            print(("tolvaro-cli --jobs " + std::to_string(count)).c_str(), sWide);
        print("peer", sPeer);
        const double ours = std::min(s8.median, sWide.median);
        std::printf("  peer / tolvaro (medians):    %.2fx\n", ours > 0 ? sPeer.median / ours : 0.0);
        if (count == 256) {
            at8For256 = s8;
            wideFor256 = sWide;
            peerFor256 = sPeer;
        }
    }
    std::printf("targets (printed, not asserted):\n");
    std::printf("  256 routers <= 1.5 s:                 %6.3f s (median, --jobs 256)\n",
                wideFor256.median);
    std::printf("  >= 2x faster than the peer:           %6.2fx\n",
                wideFor256.median > 0 ? peerFor256.median / wideFor256.median : 0.0);
    std::printf("  <= 64 MB resident at 256 routers:     %6.1f MB\n",
                static_cast<double>(wideFor256.peakKb) / 1024.0);
    std::printf("  --jobs 256 no slower than --jobs 8:   %6.3f s vs %6.3f s\n", wideFor256.median,
                at8For256.median);
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
