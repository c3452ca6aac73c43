// The feature byte and the dial-out flag: the switches that the Quick Setup
// and LAN-to-LAN pages share in the write image as decimal text. LAN-to-LAN is on while bit 0x80 of
// the feature byte is set; it is turned on and off together with bit 0x02. Internet access is the
// dial-out flag "1" with LAN-to-LAN off.
#pragma once

#include <ipslan/variables.h>

namespace tolvaro::device {
class ConfigStore;
}

namespace tolvaro::pages {

inline constexpr int kFeatureVariable = ipslan::var::kFeatureByte;
inline constexpr int kDialOutVariable = ipslan::var::kDialOut;
inline constexpr int kLanToLanOnBit = 0x80;
inline constexpr int kLanToLanBits = 0x82;
inline constexpr int kLanToLanOffMask = 0x7d;

// The feature byte as its write-image text reads.
int featureByte(const device::ConfigStore& store);
// Writes "%d" of `value`; the slot's length word stays as it is.
void setFeatureByte(device::ConfigStore& store, int value);
bool lanToLanOn(const device::ConfigStore& store);

// Whether the dial-out flag's text is "1".
bool dialsOut(const device::ConfigStore& store);
// Writes "1" or "0"; the slot's length word stays as it is.
void setDialOut(device::ConfigStore& store, bool dialOut);

} // namespace tolvaro::pages
