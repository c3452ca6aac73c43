// tolvaro-routerd: one simulated ISDN router on a loopback address, until
// interrupted.
#include <charconv>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "routersim/router.h"
#include "tolvaro_version.h"

namespace {

constexpr const char* kUsage = R"usage(Usage: tolvaro-routerd [options]

Runs one simulated ISDN router on a loopback address until interrupted.

Options:
  --family N           device family, 1 or 2 (default 2)
  --address A          LAN address in 127.0.0.0/8 (default 127.0.0.2)
  --netmask M          network mask (default 255.255.255.0)
  --name TEXT          router name, up to 19 characters (default "ISDN Router")
  --password TEXT      administrator password, up to 12 characters (default none)
  --hardware HH:..     hardware address, six hexadecimal pairs
                       (default derived from the address)
  --firmware TEXT      firmware version text (default "5.0 (240312-01)" for
                       family 1, "6.5 (240918-07)" for family 2)
  --snmp-port P        SNMP port, 0 for any free one (default 1161)
  --discovery-port P   discovery port (default 3721)
  --state-dir DIR      keep settings in DIR across runs (default: in memory)
  --restart-ms N       how long a reset keeps the router away (default 3000)
  --dial-delay-ms N    how long dialling the ISDN line takes (default 4000)
  --latency-ms N       delay every reply by N ms, as over a WAN (default 0)
  --stuck-line         keep the ISDN line up when asked to hang up, as a
                       line that will not clear
  --help               show this text
  --version            show the version

A saved address in the state directory (after an address assignment) wins
over --address.
)usage";

bool parseNumber(std::string_view text, long long low, long long high, long long& out) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

int usageError(const std::string& message) {
    std::cerr << "tolvaro-routerd: " << message << "\nTry --help.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    routersim::RouterConfig config;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (option == "--version") {
            std::cout << "tolvaro-routerd " << TOLVARO_VERSION << "\n";
            return 0;
        }
        if (option == "--stuck-line") {
            config.stuckLine = true;
            continue;
        }
        if (i + 1 >= argc) {
            return usageError("unknown option or missing value: " + std::string(option));
        }
        const std::string value = argv[++i];
        long long number = 0;
        if (option == "--family") {
            if (!parseNumber(value, 1, 2, number)) {
                return usageError("--family takes 1 or 2");
            }
            config.family = static_cast<int>(number);
        } else if (option == "--address") {
            config.address = value;
        } else if (option == "--netmask") {
            config.netmask = value;
        } else if (option == "--name") {
            config.name = value;
        } else if (option == "--password") {
            config.password = value;
        } else if (option == "--hardware") {
            config.hardware = routersim::parseHardware(value);
            if (!config.hardware) {
                return usageError("--hardware takes six hexadecimal pairs, e.g. 02:4B:56:00:00:02");
            }
        } else if (option == "--firmware") {
            config.firmware = value;
        } else if (option == "--snmp-port" || option == "--discovery-port") {
            if (!parseNumber(value, option == "--snmp-port" ? 0 : 1, 65535, number)) {
                return usageError(std::string(option) + " takes a port number");
            }
            (option == "--snmp-port" ? config.snmpPort : config.discoveryPort) =
                static_cast<std::uint16_t>(number);
        } else if (option == "--state-dir") {
            config.stateDirectory = value;
        } else if (option == "--latency-ms") {
            if (!parseNumber(value, 0, 60000, number)) {
                return usageError("--latency-ms takes 0 to 60000 milliseconds");
            }
            config.latency = routersim::Millis{number};
        } else if (option == "--restart-ms" || option == "--dial-delay-ms") {
            if (!parseNumber(value, 0, 600000, number)) {
                return usageError(std::string(option) + " takes 0 to 600000 milliseconds");
            }
            (option == "--restart-ms" ? config.restartTime : config.dialDelay) =
                routersim::Millis{number};
        } else {
            return usageError("unknown option: " + std::string(option));
        }
    }

    // Block the stop signals before the router's thread starts, so only
    // sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        routersim::Router router(config);
        std::cout << "tolvaro-routerd: \"" << router.name() << "\", family " << router.family()
                  << ", at " << router.address() << ", SNMP port " << router.snmpPort()
                  << ", discovery port " << router.discoveryPort() << ", hardware "
                  << routersim::formatHardware(router.hardware());
        if (!router.stateFile().empty()) {
            std::cout << ", settings in " << router.stateFile().string();
        }
        std::cout << std::endl;
        int signal = 0;
        sigwait(&stopSignals, &signal);
    } catch (const routersim::StartError& error) {
        std::cerr << "tolvaro-routerd: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
