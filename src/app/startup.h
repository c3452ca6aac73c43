// Start-up: the browser check, the device library's start and the main
// window's run.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace tolvaro::ui {
class Host;
}
namespace tolvaro::device {
class DeviceLink;
}

namespace tolvaro::app {

// Where the browser version is read: the settings store's value "Version"
// under this key (the path ends in a backslash).
inline constexpr char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer\\";
inline constexpr char kBrowserValue[] = "Version";
inline constexpr char kBrowserMessage[] = "Please install Internet explorer 4.0 or above";
// The value is read into a buffer of this size, terminator included.
inline constexpr std::size_t kBrowserVersionBuffer = 128;

// The major version of a version text: the text before its first "." read
// as a decimal integer (leading blanks and a sign allowed, anything after the
// digits ignored, no digits give 0). Saturates instead of overflowing.
long browserMajorVersion(const std::string& version);

// Whether a version text (nothing: key or value missing) is good enough:
// major version 4 or above.
bool browserVersionAcceptable(const std::optional<std::string>& version);

// Reads the version through the host's settings store; when it is missing or
// too old shows kBrowserMessage (OK only) and returns false.
bool checkBrowser(ui::Host& host);

// The whole start-up: browser check (false ends the program with 0), the
// device library's start (its result is ignored), then the main window,
// whose result is not examined.
int runProgram(ui::Host& host, device::DeviceLink& link,
               const std::function<void()>& runMainWindow);

} // namespace tolvaro::app
