#include "pages/line/feature_flags.h"

#include "device/config_store.h"
#include "pages/entry_number.h"
#include "pages/store_access.h"

namespace tolvaro::pages {

int featureByte(const device::ConfigStore& store) {
    return entryNumber(writeEntry(store, kFeatureVariable));
}

void setFeatureByte(device::ConfigStore& store, int value) {
    setNumberText(writeEntry(store, kFeatureVariable), value);
}

bool lanToLanOn(const device::ConfigStore& store) {
    return (featureByte(store) & kLanToLanOnBit) != 0;
}

bool dialsOut(const device::ConfigStore& store) {
    return device::entryText(writeEntry(store, kDialOutVariable)) == "1";
}

void setDialOut(device::ConfigStore& store, bool dialOut) {
    setNumberText(writeEntry(store, kDialOutVariable), dialOut ? 1 : 0);
}

} // namespace tolvaro::pages
