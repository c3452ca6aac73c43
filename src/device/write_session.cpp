#include "device/write_session.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include <ipslan/variables.h>

#include "device/config_file.h"
#include "device/device_link.h"
#include "device/device_record.h"
#include "device/login_rule.h"

namespace tolvaro::device {
namespace {

class SteadyClock final : public WaitClock {
public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    void sleepFor(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
};

std::string hardwareText(const HardwareAddress& hardware) {
    char out[24];
    std::snprintf(out, sizeof out, "%02X:%02X:%02X:%02X:%02X:%02X", hardware[0], hardware[1],
                  hardware[2], hardware[3], hardware[4], hardware[5]);
    return out;
}

std::optional<HardwareAddress> announced(DeviceLink& link, const DEVICE_INFO& router) {
    HardwareAddress hardware{};
    const std::string ip = fieldText(router.ipAddress);
    if (link.hardwareAddress(ip.c_str(), hardware.data()) != 1)
        return std::nullopt;
    return hardware;
}

} // namespace

HardwareAddress hardwareAddressOf(const ConfigStore& store) {
    HardwareAddress hardware{};
    const auto slot = store.slotOf(ipslan::var::kHardwareAddress);
    if (slot && entryLength(store.read(*slot)) >= hardware.size())
        std::memcpy(hardware.data(), store.read(*slot).value, hardware.size());
    return hardware;
}

SnapshotOutcome keepSnapshot(DeviceLink& link, const DEVICE_INFO& router, ConfigStore& before,
                             bool catalogueOnly, SnapshotStore& store, SnapshotReason reason) {
    SnapshotOutcome outcome;
    const std::string ip = fieldText(router.ipAddress);
    if (!completeForSnapshot(link, ip.c_str(), before, catalogueOnly)) {
        outcome.error = "The router did not answer every read the snapshot needs.";
        return outcome;
    }
    auto file = snapshotFile(before);
    if (!file) {
        outcome.error = "The router did not report a readable firmware version.";
        return outcome;
    }
    outcome.file = std::move(*file);
    const HardwareAddress hardware = hardwareAddressOf(before);
    const bool known = std::any_of(hardware.begin(), hardware.end(), [](auto b) { return b; });
    outcome.path = store.take(routerKey(hardware, ip), reason,
                              {fieldText(router.name), ip, entryText(before.read(kVersionSlot)),
                               known ? routerKey(hardware, ip) : std::string()},
                              outcome.file, &outcome.error);
    return outcome;
}

WaitClock& steadyClock() {
    static SteadyClock clock;
    return clock;
}

bool waitUntilAnswering(DeviceLink& link, const char* ip, WaitClock& clock,
                        std::chrono::milliseconds limit) {
    constexpr std::chrono::milliseconds kPause{250};
    const auto deadline = clock.now() + limit;
    while (true) {
        if (readHardwareAddress(link, ip))
            return true;
        const auto now = clock.now();
        if (now >= deadline)
            return false;
        clock.sleepFor(std::min<std::chrono::milliseconds>(
            kPause, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)));
    }
}

std::optional<std::string> changedPassword(const DEVICE_INFO& router,
                                           std::span<const SentEntry> sent) {
    const auto written = std::find_if(sent.begin(), sent.end(), [](const SentEntry& s) {
        return s.variable == ipslan::var::kPassword && s.mode == 0;
    });
    if (written == sent.end())
        return std::nullopt;
    const std::string now = entryText(written->entry);
    if (now == recordPassword(router))
        return std::nullopt;
    return now;
}

void logInAfterRestart(DeviceLink& link, const DEVICE_INFO& router,
                       std::span<const SentEntry> sent) {
    const auto password = changedPassword(router, sent);
    if (!password)
        return;
    DEVICE_INFO now = router;
    setField(now.password, *password);
    // The community the login of a Load would choose for the new password.
    if (const auto community = loginCommunity(now, LoginFor::Load))
        link.setCommunity(community->c_str());
}

VerifyResult verifyAfterRestart(DeviceLink& link, const DEVICE_INFO& router,
                                const HardwareAddress& hardware, std::span<const SentEntry> sent) {
    logInAfterRestart(link, router, sent);
    return verifyWrites(link, fieldText(router.ipAddress), hardware, sent);
}

std::vector<DEVICE_INFO> twinsOf(DeviceLink& link, std::span<const DEVICE_INFO> found,
                                 const DEVICE_INFO& router) {
    std::vector<DEVICE_INFO> twins;
    const auto hardware = announced(link, router);
    if (!hardware)
        return twins;
    const std::string ip = fieldText(router.ipAddress);
    for (const DEVICE_INFO& other : found)
        if (fieldText(other.ipAddress) != ip && announced(link, other) == hardware)
            twins.push_back(other);
    return twins;
}

std::string twinMessage(DeviceLink& link, std::span<const DEVICE_INFO> all) {
    const auto hardware = all.empty() ? std::nullopt : announced(link, all.front());
    std::string text = std::to_string(all.size()) + " routers announce the hardware address " +
                       (hardware ? hardwareText(*hardware) : std::string("of this router")) + ":";
    for (const DEVICE_INFO& r : all)
        text += "\n  " + fieldText(r.ipAddress) + " (" + fieldText(r.name) + ")";
    return text + "\nOne of them is a copy, is misconfigured or speaks for another, so what is "
                  "meant for one could reach the other. Nothing is done to either until only "
                  "one answers with that hardware address.";
}

} // namespace tolvaro::device
