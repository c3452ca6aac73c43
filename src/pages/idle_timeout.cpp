#include "pages/idle_timeout.h"

#include "device/catalogue.h"
#include "device/config_store.h"

namespace tolvaro::pages {

namespace {
constexpr int kMinutesBound = 99;
constexpr int kSecondsBound = 9999;
constexpr int kMinutesDigits = 2;
constexpr int kSecondsDigits = 4;
} // namespace

bool idleTimeoutInSeconds(const device::ConfigStore& store) {
    return store.firmwareLevel > device::kSecondsFirmwareLevel;
}

int idleTimeoutBound(const device::ConfigStore& store) {
    return idleTimeoutInSeconds(store) ? kSecondsBound : kMinutesBound;
}

int idleTimeoutFieldLimit(const device::ConfigStore& store) {
    return idleTimeoutInSeconds(store) ? kSecondsDigits : kMinutesDigits;
}

std::uint32_t storedIdleTimeout(const device::ConfigStore& store) {
    return static_cast<std::uint32_t>(device::entryInteger(store.sheet(device::kIdleTimeoutSlot)));
}

void storeIdleTimeout(device::ConfigStore& store, std::int32_t value) {
    MIB_RESPONSE& entry = store.editSheet(device::kIdleTimeoutSlot);
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        entry.value[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::string idleTimeoutClampMessage(int bound) {
    const std::string b = std::to_string(bound);
    return "Idle Time Limit should be 0-" + b + ", it will be changed to" + b;
}

} // namespace tolvaro::pages
