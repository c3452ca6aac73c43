// tolvaro-cli backup of a fleet of simulated routers reached by remote
// management, each reply delayed as over a WAN: one router alone against 64
// routers with --jobs 16 (and --jobs 64 for comparison). The CLI runs as its
// own process, as a scheduler would start it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench_common.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLatencyMs = 25; // one way, so a 50 ms round trip

fs::path cliPath() {
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" / "tolvaro-cli";
}

// Runs a backup of the first `count` routers; seconds, or -1 on failure.
double backup(const std::vector<std::unique_ptr<routersim::Router>>& routers, int count, int jobs,
              const fs::path& dir, bool files = true) {
    const fs::path inventory = dir / ("inv-" + std::to_string(count) + ".toml");
    {
        std::ofstream out(inventory);
        for (int i = 0; i < count; ++i)
            out << "[[router]]\nname = \"r" << i << "\"\nremote = \"" << routers[i]->address()
                << ":" << routers[i]->snmpPort() << "\"\npassword_env = \"FLEET_PASSWORD\"\n";
    }
    const std::string command = "FLEET_PASSWORD=secret XDG_DATA_HOME=" + (dir / "data").string() +
                                " " + cliPath().string() + " backup --inventory " +
                                inventory.string() + " --jobs " + std::to_string(jobs) +
                                (files ? " --to " + (dir / "out").string() : "") + " >/dev/null";
    const bench::Stopwatch watch;
    const int status = std::system(command.c_str());
    const double seconds = watch.seconds();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

} // namespace

int main() {
    if (!fs::exists(cliPath())) {
        std::fprintf(stderr, "build the tolvaro-cli target first\n");
        return 1;
    }
    const fs::path dir = fs::temp_directory_path() / ("bench-fleet-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string network = bench::randomNetwork();
    const std::uint16_t discoveryPort = bench::freeUdpPort();
    std::vector<std::unique_ptr<routersim::Router>> routers;
    for (int host = 1; host <= 64; ++host) {
        routers.push_back(bench::startRouter(network + std::to_string(host), discoveryPort));
        routers.back()->faults().setLatency(routersim::Millis(kLatencyMs));
    }

    std::printf("backup over a simulated WAN, %d ms each way\n", kLatencyMs);
    const double one = backup(routers, 1, 1, dir);
    std::printf("  1 router:                 %7.3f s\n", one);
    const double fleet = backup(routers, 64, 16, dir);
    std::printf("  64 routers, --jobs 16:    %7.3f s  (%.2f x one router)\n", fleet,
                one > 0 ? fleet / one : 0.0);
    const double wide = backup(routers, 64, 64, dir);
    std::printf("  64 routers, --jobs 64:    %7.3f s  (%.2f x one router)\n", wide,
                one > 0 ? wide / one : 0.0);
    const double bare = backup(routers, 64, 16, dir, false);
    std::printf("  64 routers, --jobs 16, snapshots only (no --to): %7.3f s\n", bare);
    fs::remove_all(dir);
    return one > 0 && fleet > 0 && wide > 0 ? 0 : 1;
}
