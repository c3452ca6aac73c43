// The variable catalogue: which router variables the configuration store
// holds, at which slot, for each router family; the mode-1 block; and the
// requests that read the catalogue from a router.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include <ipslan/variables.h>

struct DEVICE_INFO;

namespace tolvaro::device {

enum class Family { One = 1, Two = 2 };

// A family byte of 1 selects the first catalogue, any other value the second.
Family familyOf(const DEVICE_INFO& device);
Family otherFamily(Family family);

// Number of slots: 79 (family 1) or 85 (family 2).
int slotCount(Family family);
// The variable at a slot; the slot must be below slotCount().
int variableAt(Family family, int slot);
// The slot of a catalogue variable, or nothing when the family's catalogue
// lacks it. Every catalogue variable occurs once.
std::optional<int> slotOf(Family family, int variable);
std::span<const int> catalogue(Family family);

// The same setting's slot in the other family: family-1 slot s is s below 15,
// s + 5 from 15 to 22 and s + 6 from 23 on. Family-2 slots without a family-1
// counterpart (15-19, 28) give nothing.
int family2Slot(int family1Slot);
std::optional<int> family1Slot(int family2Slot);

// Slot 10 holds the idle time-out: in minutes, or in seconds above firmware
// level 60.
inline constexpr int kIdleTimeoutSlot = 10;
inline constexpr int kVersionSlot = 11;
inline constexpr int kIdleMinutesVariable = ipslan::var::kIdleMinutes;
inline constexpr int kIdleSecondsVariable = ipslan::var::kIdleSeconds;
// Above this level slot 10 holds the seconds and files carry one more entry.
inline constexpr int kSecondsFirmwareLevel = 60;

// Read and written with mode 1, in this order.
inline constexpr std::array<int, 5> kMode1Block = {
    ipslan::var::kFeatureByte, ipslan::var::kDialOut, ipslan::var::kAuthentication,
    ipslan::var::kLanToLanSwitch, ipslan::var::kDialInIdleMinutes};
std::optional<int> mode1IndexOf(int variable);

// One read of the catalogue: `count` variables from `firstSlot` on, whose
// results land in the read image from `firstSlot` on. `failureMessage` is
// empty for the first request, whose result is not examined.
struct CatalogueRequest {
    int firstSlot;
    int count;
    std::string_view failureMessage;
};

// The catalogue requests of a family, in the order they are sent.
std::span<const CatalogueRequest> catalogueRequests(Family family);

} // namespace tolvaro::device
