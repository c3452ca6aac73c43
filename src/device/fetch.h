// Reading a router's configuration into a store: the catalogue requests, the
// mode-1 block and, above firmware level 60, the idle time-out in seconds.
// Outcomes are values; the caller shows the message.
#pragma once

#include <string_view>

#include "device/config_store.h"

namespace tolvaro::device {

class DeviceLink;

enum class FetchResult {
    Ok,
    UserFail,     // a single read of the user or group table
    Info1Fail,    // the 28- or the 15-variable request
    InfoFail,     // the 7-variable request
    Mode1Fail,    // the mode-1 block
    IdleTimeFail, // var::kIdleSeconds above firmware level 60
};

// The message the program shows for a failed fetch (empty for Ok).
std::string_view fetchFailureMessage(FetchResult result);

// The catalogue requests of the store's family, in order, into the read
// image. The first request's result is not examined: a router that does not
// answer it fails at the next one.
FetchResult fetchCatalogue(DeviceLink& link, const char* ip, ConfigStore& store);

// The mode-1 block, mode 1, into the mode-1 read image.
FetchResult fetchMode1Block(DeviceLink& link, const char* ip, ConfigStore& store);

// Takes the firmware level from the version text and, above level 60, reads
// var::kIdleSeconds into slot 10 in place of var::kIdleMinutes.
FetchResult fetchIdleTimeout(DeviceLink& link, const char* ip, ConfigStore& store);

// Everything Setup and Save read: clears the write images, sends the
// catalogue requests and the mode-1 block as one batch (several on the wire
// at once), then reads the idle time-out. The outcome is that of the three
// steps above in order: the first failure decides it.
FetchResult fetchConfiguration(DeviceLink& link, const char* ip, ConfigStore& store);

// What Save reads: fetchConfiguration and, for family 2, the mode-0 value of
// var::kLanToLanSwitch into slot 84, which the catalogue requests leave empty but the file
// carries. Reading it means Load later writes the router's own value back
// rather than zeros or the mode-1 copy. Its failure is InfoFail.
FetchResult fetchForFile(DeviceLink& link, const char* ip, ConfigStore& store);

} // namespace tolvaro::device
