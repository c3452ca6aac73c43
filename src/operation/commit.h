// The commit convention every page's apply goes through: which page sends the
// reset (the reset-owner number), whether applies may write at all (the
// save-confirmed flag), the writes themselves with their failure message, and
// the reset that ends the sheet's OK.
//
// A page's start claims the reset with claimReset(). Its apply makes one
// Commit, returns at once when allowed() is false, sends its requests and
// ends with finish(), which resets the router when this page owns the reset.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include <ipslan/ipslan.h>

namespace tolvaro::ui {
class Host;
}

namespace tolvaro::device {
class ConfigStore;
class DeviceLink;
} // namespace tolvaro::device

namespace tolvaro::operation {

// Watches the writes of one operation (a Setup's OK): may hold them back
// before the first, learns what each sent, and follows the reset.
class WriteGuard {
public:
    // Asked before every write; false skips it. A guard that refuses once
    // goes on refusing, and clears the store's save-confirmed flag so that
    // later applies write nothing and no reset is sent.
    virtual bool beforeWrite(device::ConfigStore& store) = 0;
    // After every write that was sent, whatever its result.
    virtual void written(int mode, std::span<const int> variables,
                         std::span<const _snmp_packet> entries) = 0;
    // After the reset wait and the reset message.
    virtual void afterReset() = 0;

protected:
    ~WriteGuard() = default;
};

// What a commit needs of the program around it: the platform services, the
// door to the device library and the router every write names. The
// application implements it; nothing below it knows the application.
class CommitTarget {
public:
    virtual ui::Host& hostServices() = 0;
    virtual device::DeviceLink& deviceLink() = 0;
    // The IP address text of the selected router.
    virtual const char* routerAddress() = 0;
    // The guard of the running operation, if any.
    virtual WriteGuard* writeGuard() { return nullptr; }

protected:
    ~CommitTarget() = default;
};

// Page numbers in sheet order.
enum PageNumber : int {
    kQuickSetupPage = 1,
    kStatusPage = 2,
    kOptionPage = 3,
    kLanPage = 4,
    kDialinPage = 5,
    kAccessControlPage = 6,
    kInternetApplicationPage = 7,
    kLanToLanPage = 8,
    kIsdnPage = 9,
};

// How long the router gets to restart after the reset request.
inline constexpr int kResetWaitMs = 6000;
inline constexpr std::string_view kIpsSetInfoFail = "IPSSetInfo fail";

// Page start: the Quick Setup page takes the reset unconditionally (it is
// always created first); the Status page takes no part; every other page
// raises the number to its own.
void claimReset(device::ConfigStore& store, int page);

// What the progress window says during the reset wait.
inline constexpr std::string_view kRestartProgress =
    "The router is restarting with its new settings.";

// Sends the reset, waits 6000 ms through the host (with a progress window)
// and shows `message` with the information icon. The outcome of the write
// is not reported here; a guard's afterReset() checks what took.
void sendReset(CommitTarget& target, std::string_view message);

enum class OnFailure { Report, Ignore };

class Commit {
public:
    Commit(CommitTarget& target, device::ConfigStore& store, int page);

    // False when the save-confirmed flag is not 1: the apply writes nothing
    // and sends no reset.
    bool allowed() const;

    // Writes the write-image entries of catalogue variables, in the order
    // given, in one request with mode 0.
    bool writeVariables(std::span<const int> variables, OnFailure onFailure = OnFailure::Report);
    // Writes mode-1 write-image entries of mode-1 block variables with mode 1.
    bool writeMode1(std::span<const int> variables, OnFailure onFailure = OnFailure::Report);
    // Writes entries the page composed itself (copies of store slots, or a
    // page's own buffer), one per variable.
    bool write(int mode, std::span<const int> variables, std::span<const _snmp_packet> entries,
               OnFailure onFailure = OnFailure::Report);

    // After the page's writes: when this page owns the reset, sends it and
    // shows the page's own `resetMessage`. Returns whether it reset.
    bool finish(std::string_view resetMessage);

private:
    CommitTarget& target_;
    device::ConfigStore& store_;
    int page_;
};

} // namespace tolvaro::operation
