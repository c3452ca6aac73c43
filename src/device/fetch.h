// Reading a router's configuration into a store: the catalogue requests, the
// mode-1 block and, above firmware level 60, the idle time-out in seconds.
// Outcomes are values; the caller shows the message.
#pragma once

#include <span>
#include <string_view>
#include <vector>

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
    NoAnswer,     // the connection test of a remote router
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

// The reads of a whole fetch as one batch, planned before the store exists
// and bound to it once the answers are in (IPSGetInfoFleet), so that many
// routers can be read at once without a store each. The idle time-out in
// seconds is read beside both its candidates, not after the firmware level
// is known; finish() keeps it only above level 60.
class FetchPlan {
public:
    enum class Extent {
        Setup, // catalogue, mode-1 block, idle time-out
        File,  // and, for family 2, the mode-0 value of var::kLanToLanSwitch
    };
    // `connectionTest`: the remote connection test rides first in the batch.
    FetchPlan(Family family, Extent extent, bool connectionTest = false);
    FetchPlan(const FetchPlan&) = delete;
    FetchPlan& operator=(const FetchPlan&) = delete;

    Family family() const { return family_; }
    std::span<IPS_READ> reads() { return reads_; }
    // Points the reads at the store's images (and at the plan itself).
    void bind(ConfigStore& store);
    // After the batch: the outcome of the steps in their order (connection
    // test, catalogue requests, mode-1 block, idle time-out, last slot), the
    // first failure deciding; clears the write images and takes the
    // firmware level.
    FetchResult finish(ConfigStore& store) const;

private:
    Family family_;
    std::vector<IPS_READ> reads_;
    std::vector<FetchResult> failures_;
    std::size_t idleRead_ = 0;
    std::size_t lastSlotRead_ = 0; // 0: none
    MIB_RESPONSE idleSeconds_{};
    MIB_RESPONSE testAnswer_{}; // only its arrival counts
};

// Everything Setup reads, as one FetchPlan batch.
FetchResult fetchConfiguration(DeviceLink& link, const char* ip, ConfigStore& store);

// What Save reads: fetchConfiguration and, for family 2, the mode-0 value of
// var::kLanToLanSwitch into slot 84, which the catalogue requests leave empty but the file
// carries. Reading it means Load later writes the router's own value back
// rather than zeros or the mode-1 copy. Its failure is InfoFail. With
// `connectionTest` the remote connection test goes in the same batch.
FetchResult fetchForFile(DeviceLink& link, const char* ip, ConfigStore& store,
                         bool connectionTest = false);

} // namespace tolvaro::device
