// The simulated router itself, without any sockets: its variables with their
// factory defaults, the type and length checks every write goes through, and
// the time-driven behaviour (restart, dialling, log, DHCP leases).
//
// Settings versus running state: a write changes the stored setting at once
// and reads return it at once, but the router keeps answering at its current
// address and with its current password (community) until it restarts. A
// restart (var::kReset set to 1, or an address assignment) makes it
// unreachable for the configured restart time, after which it runs with the
// stored settings: new address, new password, fresh log, link down.
//
// Mode 1 addresses the router's incoming-call profile, a second bank with its
// own feature byte, dial-out flag, authentication byte, LAN-to-LAN switch,
// dial-in idle time-out and LAN-to-LAN login and remote-site texts (see
// ipslan/variables.h). They are independent of their mode-0 namesakes.
//
// Not thread-safe; the Router serialises access.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <ipslan/variables.h>

#include "routersim/config.h"

namespace routersim {

struct Value {
    ipslan::VarKind kind = ipslan::VarKind::Integer;
    std::int32_t integer = 0;        // Integer
    std::vector<std::uint8_t> bytes; // Text and Bytes

    static Value ofInteger(std::int32_t value) { return {ipslan::VarKind::Integer, value, {}}; }
    static Value ofText(std::string_view text) {
        return {ipslan::VarKind::Text, 0, {text.begin(), text.end()}};
    }
    static Value ofBytes(std::vector<std::uint8_t> bytes) {
        return {ipslan::VarKind::Bytes, 0, std::move(bytes)};
    }
    std::string text() const { return {bytes.begin(), bytes.end()}; }
    friend bool operator==(const Value&, const Value&) = default;
};

// A value as it arrived in a write, before it is checked against the table.
struct WireValue {
    enum class Type { Integer, OctetString, Other };
    Type type = Type::Other;
    std::int32_t integer = 0;
    std::vector<std::uint8_t> bytes;
};

struct VariableKey {
    int variable = 0;
    int mode = 0;
    friend auto operator<=>(const VariableKey&, const VariableKey&) = default;
};

// SNMPv1 outcomes of a read or write of one variable.
enum class VarError {
    None,
    NoSuchName, // unknown, absent in this family, or not writable
    BadValue,   // wrong type, too long, or a value the variable cannot take
};

// What persists across runs.
struct Settings {
    int family = 2;
    Ipv4 address = 0;
    Ipv4 netmask = 0;
    std::map<VariableKey, Value> values; // writable variables only
    friend bool operator==(const Settings&, const Settings&) = default;
};

class RouterModel {
public:
    // Factory defaults of the configured family.
    explicit RouterModel(const ResolvedConfig& config);

    // Replaces the stored settings (from the state file) and runs with them,
    // as after a power-on.
    void restore(const Settings& settings);
    const Settings& settings() const { return settings_; }
    // Puts back settings from before a write that could not be persisted;
    // the running state is left alone.
    void replaceSettings(const Settings& settings) { settings_ = settings; }

    // Moves time-driven state up to the clock. Returns true when a restart
    // ended in this step (the caller then rebinds to the running address).
    bool advance();

    const ResolvedConfig& config() const { return config_; }
    bool restarting() const { return restartEnds_.has_value(); }
    // True while something will change by itself (restart, dialling), so the
    // caller keeps polling the clock.
    bool timerPending() const { return restarting() || dialing_; }

    // Running identity, as announced by discovery and checked on requests.
    Ipv4 address() const { return runningAddress_; }
    Ipv4 netmask() const { return runningNetmask_; }
    const std::string& password() const { return runningPassword_; }
    bool acceptsCommunity(std::string_view community) const;

    // Reads one variable; nullopt when it does not exist in this mode and
    // family.
    std::optional<Value> get(int variable, int mode) const;
    // Whether the write of one value would be accepted; changes nothing.
    VarError checkSet(int variable, int mode, const WireValue& value) const;
    // Applies writes already accepted by checkSet, in order.
    void applySet(const std::vector<std::pair<VariableKey, WireValue>>& writes);

    // Address assignment: false (refused) unless the address is a usable
    // loopback host address under the mask. Accepted: stored, and the router
    // restarts into it.
    bool assignAddress(Ipv4 address, Ipv4 netmask);
    // Returns to an address the router could listen on after it failed to
    // listen on the assigned one.
    void revertAddress(Ipv4 address, Ipv4 netmask);
    // Restarts as a reset does (a fault a test imposes).
    void restart() { beginRestart(); }

    // The link as the utility sees it (var::kLinkStatus).
    bool linkUp() const { return linkUp_; }
    // Log lines since the last start, oldest first, each ending in "\n".
    const std::deque<std::string>& logLines() const { return log_; }

private:
    Millis now() const { return config_.clock->now(); }
    void boot();
    void beginRestart();
    void addLog(const std::string& text);
    void dial();
    void hangUp(const char* why);
    std::int32_t integerSetting(int variable, int mode = 0) const;
    std::string textSetting(int variable, int mode = 0) const;
    std::string statusText() const;
    std::vector<std::uint8_t> logPart(int index) const;
    std::vector<std::uint8_t> leasePart(int index) const;
    Value normalised(const ipslan::VariableInfo& info, const WireValue& value) const;

    ResolvedConfig config_;
    Settings settings_;
    Ipv4 runningAddress_ = 0;
    Ipv4 runningNetmask_ = 0;
    std::string runningPassword_;
    Millis bootTime_{};
    std::optional<Millis> restartEnds_;
    bool dialing_ = false;
    Millis dialStart_{};
    bool linkUp_ = false;
    Millis connectedAt_{};
    std::deque<std::string> log_;
};

// The factory settings of a configuration (what a new router starts with).
Settings factorySettings(const ResolvedConfig& config);

} // namespace routersim
