#include "device/catalogue.h"

#include <algorithm>

#include <ipslan/ipslan.h>

namespace tolvaro::device {
namespace {

// clang-format off
constexpr std::array<int, 79> kFamily1 = {
    0x4001, 0x4002, 0x4003, 0x4004, 0x4006, 0x4014, 0x4015,             // 0-6 Internet access
    0x3801, 0x3823, 0x3824,                                             // 7-9 country, SPIDs
    0x4008,                                                             // 10 idle time-out
    0x0104, 0x0100, 0x0103, 0x0106,                                     // 11-14
    0x3004, 0x3006, 0x3005, 0x3012, 0x3013, 0x3014, 0x3601, 0x3602,     // 15-22 LAN
    0x3201, 0x3202, 0x3203, 0x3204, 0x3205,                             // 23-27 users
    0x3401, 0x3402, 0x3403, 0x3404, 0x3405,                             // 28-32 groups
    0x3501, 0x3502, 0x3503, 0x3504, 0x3505,                             // 33-37 workstations
    0x3301, 0x3302,                                                     // 38-39 user ports
    0x3701, 0x3702, 0x3703, 0x3704, 0x3705,
    0x3706, 0x3707, 0x3708, 0x3709, 0x370a,                             // 40-49 port settings
    0x3710, 0x3711, 0x3712, 0x3713, 0x3714, 0x3715, 0x3716, 0x3717,     // 50-57
    0x371e, 0x371c, 0x371b,                                             // 58-60 servers
    0x4017, 0x400d, 0x4023,                                             // 61-63
    0x401a, 0x401b, 0x401c, 0x401d, 0x401e, 0x401f, 0x4020,             // 64-70 LAN-to-LAN
    0x3806, 0x3809, 0x381c, 0x381f, 0x3822, 0x3804, 0x4009,             // 71-77 ISDN
    0x371a,                                                             // 78 read in mode 1
};
// clang-format on

constexpr std::array<int, 5> kFamily2Options = {0x4025, ipslan::var::kRemoteManagement, 0x4028,
                                                0x4029, 0x402a};
constexpr int kFamily2LanExtra = ipslan::var::kRip;

constexpr std::array<int, 85> makeFamily2() {
    std::array<int, 85> out{};
    for (int s = 0; s < 15; ++s)
        out[s] = kFamily1[s];
    for (int i = 0; i < 5; ++i)
        out[15 + i] = kFamily2Options[i];
    for (int s = 15; s <= 22; ++s)
        out[s + 5] = kFamily1[s];
    out[28] = kFamily2LanExtra;
    for (int s = 23; s < 79; ++s)
        out[s + 6] = kFamily1[s];
    return out;
}
constexpr std::array<int, 85> kFamily2 = makeFamily2();

constexpr std::array<CatalogueRequest, 10> kRequests1 = {{
    {0, 23, ""},
    {23, 1, "IPSGetInfo User fail "},
    {24, 1, "IPSGetInfo User fail "},
    {25, 1, "IPSGetInfo User fail "},
    {26, 1, "IPSGetInfo User fail "},
    {27, 1, "IPSGetInfo User fail "},
    {28, 1, "IPSGetInfo User fail "},
    {28, 28, "IPSGetInfo1 fail"},
    {56, 15, "IPSGetInfo1 fail"},
    {71, 7, "IPSGetInfo fail"},
}};

constexpr std::array<CatalogueRequest, 10> kRequests2 = {{
    {0, 29, ""},
    {29, 1, "IPSGetInfo User fail "},
    {30, 1, "IPSGetInfo User fail "},
    {31, 1, "IPSGetInfo User fail "},
    {32, 1, "IPSGetInfo User fail "},
    {33, 1, "IPSGetInfo User fail "},
    {34, 1, "IPSGetInfo User fail "},
    {34, 28, "IPSGetInfo1 fail"},
    {62, 15, "IPSGetInfo1 fail"},
    {77, 7, "IPSGetInfo fail"},
}};

} // namespace

Family familyOf(const DEVICE_INFO& device) {
    return device.family == 1 ? Family::One : Family::Two;
}

Family otherFamily(Family family) {
    return family == Family::One ? Family::Two : Family::One;
}

std::span<const int> catalogue(Family family) {
    if (family == Family::One)
        return kFamily1;
    return kFamily2;
}

int slotCount(Family family) {
    return static_cast<int>(catalogue(family).size());
}

int variableAt(Family family, int slot) {
    return catalogue(family)[static_cast<std::size_t>(slot)];
}

std::optional<int> slotOf(Family family, int variable) {
    const auto table = catalogue(family);
    const auto it = std::find(table.begin(), table.end(), variable);
    if (it == table.end())
        return std::nullopt;
    return static_cast<int>(it - table.begin());
}

int family2Slot(int family1Slot) {
    if (family1Slot < 15)
        return family1Slot;
    if (family1Slot <= 22)
        return family1Slot + 5;
    return family1Slot + 6;
}

std::optional<int> family1Slot(int family2Slot) {
    if (family2Slot < 15)
        return family2Slot;
    if (family2Slot < 20 || family2Slot == 28)
        return std::nullopt;
    if (family2Slot < 28)
        return family2Slot - 5;
    return family2Slot - 6;
}

std::optional<int> mode1IndexOf(int variable) {
    const auto it = std::find(kMode1Block.begin(), kMode1Block.end(), variable);
    if (it == kMode1Block.end())
        return std::nullopt;
    return static_cast<int>(it - kMode1Block.begin());
}

std::span<const CatalogueRequest> catalogueRequests(Family family) {
    if (family == Family::One)
        return kRequests1;
    return kRequests2;
}

} // namespace tolvaro::device
