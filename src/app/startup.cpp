// The browser check on Linux: the program's HTML help and its "http://"
// links go through the windowing layer (Qt's rich-text browser and the
// desktop's URL handler), so the "browser" whose version matters is that
// layer. The Qt settings store answers kBrowserKey\Version with the Qt
// runtime's version ("6.4.2" on Debian 12) unless the user's configuration
// holds an explicit value, so a fresh user passes and an old value stored by
// hand is still refused.
#include "app/startup.h"

#include <cctype>
#include <climits>

#include "device/device_link.h"
#include "ui/host.h"

namespace tolvaro::app {

long browserMajorVersion(const std::string& version) {
    const std::string major = version.substr(0, version.find('.'));
    std::size_t i = 0;
    while (i < major.size() && std::isspace(static_cast<unsigned char>(major[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < major.size() && (major[i] == '+' || major[i] == '-')) {
        negative = major[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < major.size() && std::isdigit(static_cast<unsigned char>(major[i])); ++i) {
        const int digit = major[i] - '0';
        if (value > (LONG_MAX - digit) / 10) {
            value = LONG_MAX;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

bool browserVersionAcceptable(const std::optional<std::string>& version) {
    if (!version) {
        return false;
    }
    const std::string text = version->substr(0, kBrowserVersionBuffer - 1);
    return browserMajorVersion(text) >= 4;
}

bool checkBrowser(ui::Host& host) {
    if (browserVersionAcceptable(host.settings().readValue(kBrowserKey, kBrowserValue))) {
        return true;
    }
    host.messageBox(kBrowserMessage);
    return false;
}

int runProgram(ui::Host& host, device::DeviceLink& link,
               const std::function<void()>& runMainWindow) {
    if (!checkBrowser(host)) {
        return 0;
    }
    link.initLan();
    runMainWindow();
    return 0;
}

} // namespace tolvaro::app
