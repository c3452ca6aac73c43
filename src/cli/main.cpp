// tolvaro-cli: the utility's router operations without windows. Save and Load
// use the same fetch, file format, checks, writes and reset as the main
// window's buttons; show and diff read configuration files offline. Each
// command lives in its own file and registers itself (cli.h).
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
    using namespace tolvaro::cli;
    installSignalHandlers();
    // Progress lines reach a file or pipe as they happen, not at the end.
    std::cout << std::unitbuf;
    const int status = runCommandLine(argc, argv, tolvaro::device::steadyClock());
    if (const int interrupted = pendingInterruptStatus())
        return interrupted;
    return status;
}
