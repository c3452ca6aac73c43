// What the Status page and the DHCP lease dialog do at the router, as values:
// the line's state, dialling and hanging up with their polls, the connection
// log, and the lease table. The page and the command-line tool both call
// these and choose how to show the outcome; nothing here shows anything.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvaro::device {

class DeviceLink;

inline constexpr int kLinePollMs = 2000;
inline constexpr int kDialPolls = 10;
inline constexpr int kHangUpPolls = 5;

// The words the Status page shows for each outcome.
namespace line_text {
inline constexpr const char* kConnected = "Connect ISP successfully.";
inline constexpr const char* kNotConnected = "Fail to Connect!";
inline constexpr const char* kNoConnection = "Doesn't connect";
inline constexpr const char* kHungUp = "HangUp successfully";
inline constexpr const char* kStillConnected = "Still connect";
inline constexpr const char* kLogFailed = "Get Status Log fail";
} // namespace line_text

// The link status variable: 1 while the ISDN link is up; 0 when the read
// fails.
int linkStatus(DeviceLink& link, const char* address);

// Called before each poll's read, with the poll's number from 0; it waits
// kLinePollMs on whatever clock the caller runs.
using PollWait = std::function<void(int poll, int polls)>;

enum class DialOutcome { Connected, NotConnected };
// Sends the dial command (its result is not examined: the polls tell) and
// polls the link up to kDialPolls times until it is no longer 0.
DialOutcome dialUp(DeviceLink& link, const char* address, const PollWait& wait);

enum class HangUpOutcome { NotConnected, HungUp, StillConnected };
// With the link down nothing is sent (NotConnected); otherwise sends the
// hang-up command and polls up to kHangUpPolls times until it is not 1.
HangUpOutcome hangUp(DeviceLink& link, const char* address, const PollWait& wait);

const char* outcomeText(DialOutcome outcome);
const char* outcomeText(HangUpOutcome outcome);

// The connection log and status text as the page shows them, before the
// log's line breaks are adapted to an edit: the nine log parts joined (at
// most 2549 characters), the status with "Accont" read as "Account".
struct StatusLog {
    std::string log;
    std::string status;
};
std::optional<StatusLog> readStatusLog(DeviceLink& link, const char* address);

// One row of the DHCP lease table.
struct Lease {
    std::array<std::uint8_t, 4> address{};
    std::array<std::uint8_t, 6> hardware{};
    bool leased = false; // handed out with a lease; else a reservation
};
inline constexpr const char* kLeasedText = "Leased";
inline constexpr const char* kReservedText = "Reserve";

// The lease table: up to 17 records per part, rows after the 17th of a part
// continue at the next part, and an address whose first octet is 0 ends the
// table. Nothing when the read fails.
std::optional<std::vector<Lease>> readLeases(DeviceLink& link, const char* address);

// "%02X-%02X-%02X-%02X-%02X-%02X", as the Status page and the lease list show
// hardware addresses.
std::string hyphenatedHardware(const std::uint8_t* bytes);

} // namespace tolvaro::device
