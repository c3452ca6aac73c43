// Finding the router a command names and logging in to it.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <ipslan/discovered.h>

#include "cli/cli.h"
#include "device/device_record.h"
#include "device/remote_connection.h"
#include "device/write_session.h"

namespace tolvaro::cli {
namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// "0a-1b-2c-3d-4e-5f" and "0A:1B:..." both name a hardware address.
std::string normalHardware(const std::string& text) {
    std::string out = upper(text);
    std::replace(out.begin(), out.end(), '-', ':');
    return out;
}

// Questions go to the terminal only when the standard input is one, so a
// scripted run never blocks on a prompt.
FILE* openTerminal() {
    return ::isatty(STDIN_FILENO) ? std::fopen("/dev/tty", "r+") : nullptr;
}

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::optional<std::string> promptPassword() {
    FILE* tty = openTerminal();
    if (!tty)
        return std::nullopt;
    std::fputs("Administrator Password: ", tty);
    std::fflush(tty);
    termios saved{};
    const int fd = fileno(tty);
    const bool terminal = ::tcgetattr(fd, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    char buffer[256] = {};
    const bool read = std::fgets(buffer, sizeof buffer, tty) != nullptr;
    if (terminal)
        ::tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", tty);
    std::fclose(tty);
    if (!read)
        return std::nullopt;
    return withoutLineEnd(buffer);
}

} // namespace

void warnIfOthersCanRead(const std::string& path, std::string_view what) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & (S_IRGRP | S_IROTH)) == 0)
        return;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    warn(std::string(what) + " " + escaped(path) + " is readable by " +
         ((info.st_mode & S_IROTH) != 0 ? "every user" : "its group") + " (mode " + mode +
         "): make it private with chmod 600");
}

std::string readPasswordFile(const std::string& path) {
    warnIfOthersCanRead(path, "the password file");
    std::ifstream in(path);
    std::string line;
    if (!in || (!std::getline(in, line) && !in.eof()))
        throw Failure{"cannot read the password file " + escaped(path)};
    line = withoutLineEnd(line);
    // An empty first line is almost always a mistake (a file not yet
    // filled in); a router without a password needs no password file.
    if (line.empty())
        throw Failure{"the password file " + escaped(path) +
                      " is empty: its first line must hold the password"};
    return line;
}

std::optional<std::string> givenPassword(const Options& options) {
    if (options.password)
        return options.password;
    if (options.passwordFile)
        return readPasswordFile(*options.passwordFile);
    if (options.passwordStdin) {
        std::string line;
        if (!std::getline(std::cin, line) && line.empty())
            throw Failure{"--password-stdin: nothing to read on the standard input"};
        return withoutLineEnd(line);
    }
    if (const char* environment = std::getenv("TOLVARO_PASSWORD"))
        return std::string(environment);
    return std::nullopt;
}

std::optional<RemoteTarget> remoteTarget(const Options& options, const std::string& wanted) {
    constexpr std::string_view prefix = "remote:";
    std::string text;
    if (wanted.compare(0, prefix.size(), prefix) == 0)
        text = wanted.substr(prefix.size());
    else if (options.remote)
        text = wanted;
    else
        return std::nullopt;
    RemoteTarget target;
    const auto colon = text.rfind(':');
    target.address = text.substr(0, colon);
    if (colon != std::string::npos)
        target.port = text.substr(colon + 1);
    else if (options.port)
        target.port = std::to_string(*options.port);
    return target;
}

std::string noResponse(const RemoteTarget& target) {
    return std::string(device::remote_text::kNoResponse) + " (" + escaped(target.address) +
           " port " + escaped(target.port) + ")";
}

DEVICE_INFO connectRemote(device::DeviceLink& link, const RemoteTarget& target,
                          const std::string& password, bool testNow) {
    const device::RemoteTest test =
        testNow ? device::testRemoteConnection(link, target.address, target.port, password)
                : device::prepareRemoteConnection(link, target.address, target.port, password);
    if (test.outcome == device::RemoteOutcome::NoResponse)
        throw Failure{noResponse(target)};
    if (test.outcome != device::RemoteOutcome::Answered)
        throw Failure{std::string(device::remoteMessage(test.outcome))};
    // The record the Remote row stands for: family 2, the remote address and
    // password; community and port are already the test's.
    DEVICE_INFO router{};
    device::setField(router.name, "Remote");
    device::setField(router.ipAddress, target.address);
    device::setField(router.password, password);
    router.family = 2;
    return router;
}

namespace {

std::optional<std::vector<DEVICE_INFO>>& seeded() {
    static std::optional<std::vector<DEVICE_INFO>> found;
    return found;
}

} // namespace

void seedDiscovery(std::vector<DEVICE_INFO> found) {
    seeded() = std::move(found);
}

std::vector<DEVICE_INFO> discover(device::DeviceLink& link) {
    // Once only: a later look (after a readdress, say) must see the network.
    if (auto found = std::exchange(seeded(), std::nullopt))
        return std::move(*found);
    return device::browseAll(link);
}

void refuseTwins(device::DeviceLink& link, const std::vector<DEVICE_INFO>& found,
                 const DEVICE_INFO& router) {
    std::vector<DEVICE_INFO> all = device::twinsOf(link, found, router);
    if (all.empty())
        return;
    all.insert(all.begin(), router);
    // Line by line: names from routers are escaped, the message's own line
    // ends stay.
    const std::string message = device::twinMessage(link, all);
    std::string text;
    std::size_t start = 0;
    for (std::size_t end; (end = message.find('\n', start)) != std::string::npos; start = end + 1)
        text += escaped(message.substr(start, end - start)) + "\n";
    throw Failure{text + escaped(message.substr(start))};
}

std::string announcedHardware(const DEVICE_INFO& router) {
    const auto hardware = ipslan::announcedHardware(device::fieldText(router.ipAddress).c_str());
    if (!hardware)
        return {};
    std::uint8_t bytes[6];
    std::copy(hardware->begin(), hardware->end(), bytes);
    return hardwareText(bytes);
}

DEVICE_INFO findRouter(device::DeviceLink& link, const std::string& wanted) {
    const auto routers = discover(link);
    // An address names one router, and a hardware address should; a name
    // may not, since every router leaves the factory with the same one.
    for (const DEVICE_INFO& r : routers) {
        if (device::fieldText(r.ipAddress) == wanted) {
            refuseTwins(link, routers, r);
            return r;
        }
    }
    std::vector<DEVICE_INFO> named;
    for (const DEVICE_INFO& r : routers) {
        const std::string hardware = announcedHardware(r);
        if (!hardware.empty() && hardware == normalHardware(wanted)) {
            refuseTwins(link, routers, r);
            return r;
        }
        if (device::fieldText(r.name) == wanted)
            named.push_back(r);
    }
    if (named.empty())
        throw Failure{"no router \"" + escaped(wanted) + "\" answered discovery"};
    if (named.size() > 1) {
        std::string text = std::to_string(named.size()) + " routers are called \"" +
                           escaped(wanted) + "\"; name one by its IP address or hardware address:";
        for (const DEVICE_INFO& r : named) {
            const std::string hardware = announcedHardware(r);
            text += "\n  " + escaped(device::fieldText(r.name)) + "\t" +
                    escaped(device::fieldText(r.ipAddress)) + "\t" +
                    (hardware.empty() ? "(hardware address unknown)" : hardware);
        }
        throw Failure{text};
    }
    refuseTwins(link, routers, named.front());
    return named.front();
}

DEVICE_INFO login(Context& context, const std::string& wanted, device::LoginFor operation,
                  bool testNow) {
    if (const auto target = remoteTarget(context.options, wanted)) {
        // No discovery: the router is not on this network. Without a password
        // the fixed community goes, as from the Remote dialog's empty field.
        std::optional<std::string> typed = givenPassword(context.options);
        if (!typed)
            typed = promptPassword();
        return connectRemote(context.link(), *target, typed.value_or(""), testNow);
    }
    device::DeviceLink& link = context.link();
    const DEVICE_INFO router = findRouter(link, wanted);
    std::optional<std::string> typed = givenPassword(context.options);
    if (!device::recordPassword(router).empty() && !typed)
        typed = promptPassword();
    logInTo(link, router, typed, operation, context.options);
    return router;
}

void logInTo(device::DeviceLink& link, const DEVICE_INFO& router,
             const std::optional<std::string>& password, device::LoginFor operation,
             const Options& options) {
    if (!device::recordPassword(router).empty()) {
        if (!password)
            throw Failure{"the router has a password: give --password-file, --password-stdin, "
                          "TOLVARO_PASSWORD or --password, or run on a terminal"};
        if (!device::passwordMatches(router, *password))
            throw Failure{"Wrong Password"};
    } else if (password) {
        // A password for a router that announces none: most likely another
        // router than the one meant, or one announcing on its behalf.
        warn("the router " + escaped(device::fieldText(router.ipAddress)) +
             " announces no password, although one was given: it may not be the router meant");
        if (operation == device::LoginFor::Load && !options.yes)
            throw Failure{"not loading into a router that does not match the password (use "
                          "--yes to load anyway)"};
    }
    if (const auto community = device::loginCommunity(router, operation))
        link.setCommunity(community->c_str());
    link.setSnmpPort(options.port.value_or(device::kLanSnmpPort));
}

bool confirmLoad() {
    FILE* tty = openTerminal();
    if (!tty)
        return false;
    std::fputs("Permanently change the Router setting [y/N] ", tty);
    std::fflush(tty);
    char buffer[16] = {};
    const bool read = std::fgets(buffer, sizeof buffer, tty) != nullptr;
    std::fclose(tty);
    return read && (buffer[0] == 'y' || buffer[0] == 'Y');
}

} // namespace tolvaro::cli
