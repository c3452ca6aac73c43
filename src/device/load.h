// Load of a configuration file into a router, as values: the checks of the
// file against the router, then the writes. The desktop program and the
// command-line tool run these same steps and only word the outcomes their
// own way.
//
//     ConfigStore store(familyOf(record));
//     fetchCatalogue(link, ip, store);            // the router's version text
//     const LoadPlan plan = checkLoad(fileBytes, store);
//     if (plan.check == LoadCheck::Ok)
//         writeLoad(link, ip, fileBytes, plan.file, OnSilence::GoOn);
//     sendResetRequest(link, ip);                  // config_file.h
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "device/config_file.h"
#include "device/config_store.h"
#include "device/verify.h"

namespace tolvaro::device {

class DeviceLink;

enum class LoadCheck {
    Ok,
    FormatError,     // no "ISDNROUTER" header
    NoVersion,       // the router's version text gives no file version number
    VersionMismatch, // made by a router of other firmware
    Incomplete,      // shorter than its layout
    NotThatLayout,   // the other family's length without its entries
};

struct LoadPlan {
    LoadCheck check = LoadCheck::FormatError;
    CheckedFile file;
};

// What the desktop program shows for a refused file (empty for Ok), and what
// the command-line tool prints on one line.
std::string_view loadCheckMessage(LoadCheck check);

// Every check, on the whole file, before the first write, in this order:
// header, the router's version (from the store a catalogue fetch filled),
// version number, layout.
LoadPlan checkLoad(std::span<const std::uint8_t> file, const ConfigStore& store);

enum class WriteOutcome {
    NotSent, // the library refuses the entry itself: too long, or an integer
             // variable whose text is not a number
    Refused, // the router answered with an error (or, under OnSilence::GoOn,
             // did not answer: nothing is asked to tell the two apart)
    NoAnswer,
};

struct FailedWrite {
    FileWrite write;
    WriteOutcome outcome;
    // The router keeps this variable to itself (its version texts): a refusal
    // is expected and harmless.
    bool readOnly;
};

enum class OnSilence {
    GoOn, // send every entry whatever the results
    Stop, // stop at the first write the router does not answer
};

struct LoadWrites {
    std::size_t attempted = 0; // writes sent or refused before sending
    bool stopped = false;      // OnSilence::Stop ended the writes early
    bool interrupted = false;  // stopRequested ended them before write attempted+1
    std::vector<FailedWrite> failed;
};

// The file's entries, in file order, one variable per request. Under
// OnSilence::Stop a failed write is followed by one read of the version text:
// no answer to that either means the router has stopped answering.
// `stopRequested`, asked before each write, ends the writes early (an
// interrupt): the write in flight is always finished. Each entry given to the
// library is added to `sent`, for the verify.
LoadWrites writeLoad(DeviceLink& link, const char* ip, std::span<const std::uint8_t> file,
                     const CheckedFile& checked, OnSilence onSilence,
                     const std::function<bool()>& stopRequested = {}, SentLog* sent = nullptr);

// The writes of a checked file the library would refuse to send (NotSent),
// found without sending anything: what writeLoad would report for them.
std::vector<FailedWrite> unsendable(std::span<const std::uint8_t> file, const CheckedFile& checked);

// Whether the router keeps the variable as its own (its version texts,
// hardware address): writing it is refused, harmlessly.
bool keptByRouter(const FileWrite& write);

} // namespace tolvaro::device
