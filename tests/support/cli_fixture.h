// tolvaro-cli run as a program of its own against simulated routers on
// loopback, in a temporary directory that belongs to the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "support/simulated_network.h"

namespace tolvaro::test {

struct CliRun {
    int status;
    std::string output; // standard output and standard error together
};

// The command-line tool is built next to the tests (build/src/tolvaro-cli).
inline std::filesystem::path cliPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" /
           "tolvaro-cli";
}

class CliFixture : public testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(cliPath()))
            GTEST_SKIP() << "build the tolvaro-cli target first";
        dir_ = std::filesystem::temp_directory_path() /
               ("tolvaro-cli-it-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        if (!dir_.empty())
            std::filesystem::remove_all(dir_);
    }

    // `shell` runs before the tool in the same shell (limits, variables);
    // `input` is its standard input. Snapshots go to the test's own
    // directory, never the user's; discovery stays on loopback.
    CliRun cli(const std::string& arguments, const std::string& shell = {},
               const std::string& input = "/dev/null") {
        const std::string command = shell + " XDG_DATA_HOME=" + (dir_ / "data").string() + " " +
                                    cliPath().string() + " --discovery loopback --discovery-port " +
                                    std::to_string(net.discoveryPort()) + " " + toolOptions + " " +
                                    arguments + " <" + input + " 2>&1";
        CliRun run{-1, {}};
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return run;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.output.append(buffer, n);
        const int raw = ::pclose(pipe);
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return run;
    }

    // A file in the test's directory.
    std::string file(const char* name) const { return (dir_ / name).string(); }

    std::string toolOptions; // given before every command's arguments
    SimulatedNetwork net;
    std::filesystem::path dir_;
};

} // namespace tolvaro::test
