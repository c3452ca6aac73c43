// The connection test of remote management: the checks on the address, port
// and password a user gives, then one read of a variable every router
// answers, with the community and port set as the later requests use them.
// The Remote dialog and the command-line tool both run it, so a router the
// one reaches is a router the other reaches, with the same messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <ipslan/variables.h>

namespace tolvaro::device {

class DeviceLink;

// Read to test a connection; any router answers it.
inline constexpr int kConnectionTestVariable = ipslan::var::kRemoteManagement;
// What the remote entry's record keeps, terminating zero not counted.
inline constexpr std::size_t kRemoteAddressLimit = 19;
inline constexpr std::size_t kRemotePasswordLimit = 12;

namespace remote_text {
inline constexpr const char* kNoConnection = "No Connection";
inline constexpr const char* kPleaseWait = "Please wait...";
inline constexpr const char* kNoResponse = "Error - no response";
inline constexpr const char* kEnterAddress = "Please Enter IP Address";
inline constexpr const char* kEnterPort = "Please Enter Port Number";
inline constexpr const char* kAddressTooLong =
    "The IP Address is too long: it can have at most 19 characters.";
inline constexpr const char* kPortInvalid = "The Port Number must be a number from 1 to 65535.";
inline constexpr const char* kPasswordTooLong =
    "The Password is too long: it can have at most 12 characters.";
} // namespace remote_text

enum class RemoteOutcome {
    Answered,     // the router answered the test read
    NoResponse,   // nothing came back: wrong address, port or password
    EmptyAddress, // refused before anything was sent ...
    EmptyPort,
    AddressTooLong,
    PortInvalid,
    PasswordTooLong,
};

// Which field a refusal is about.
enum class RemoteField { None, Address, Port, Password };

struct RemoteTest {
    RemoteOutcome outcome = RemoteOutcome::NoResponse;
    // The test read's result as the library gave it (0 when nothing was sent).
    int result = 0;
    int port = 0;
};

// The port as the requests will use it: digits only, 1 to 65535.
std::optional<int> remotePort(std::string_view text);

// The message of an outcome: the status text for NoResponse, the refusal
// for the others; empty for Answered.
std::string_view remoteMessage(RemoteOutcome outcome);
RemoteField remoteField(RemoteOutcome outcome);

// The checks alone; Answered when the fields may be sent.
RemoteOutcome checkRemoteFields(std::string_view address, std::string_view portText,
                                std::string_view password);

// The checks, then the community (the password, or the fixed community when
// it is empty) and port on the link; nothing is sent. Answered means the
// test read may go (e.g. in the batch of the first reads, FetchPlan).
RemoteTest prepareRemoteConnection(DeviceLink& link, const std::string& address,
                                   const std::string& portText, const std::string& password);

// prepareRemoteConnection, then the test read.
RemoteTest testRemoteConnection(DeviceLink& link, const std::string& address,
                                const std::string& portText, const std::string& password);

} // namespace tolvaro::device
