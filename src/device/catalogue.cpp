#include "device/catalogue.h"

#include <algorithm>

#include <ipslan/ipslan.h>

namespace tolvaro::device {
namespace {

using namespace ipslan::var;

// Slot by slot; the tables split over several variables take one slot each.
constexpr std::array<int, 79> makeFamily1() {
    std::array<int, 79> out{};
    std::size_t s = 0;
    const auto put = [&](auto... variables) {
        ((out[s++] = variables), ...);
    };
    const auto putAll = [&](const auto& table) {
        for (const int variable : table)
            out[s++] = variable;
    };
    put(kWanAddress, kAccountName, kAccountPassword, kPrimaryDns, kTelephone1, kTelephone2,
        kTelephone3);                                                     // 0-6 Internet access
    put(kCountry, kSpid1, kSpid2);                                        // 7-9
    put(kIdleMinutes);                                                    // 10 idle time-out
    put(kFirmwareVersion, kHardwareAddress, kHardwareId, kPassword);      // 11-14
    put(kDhcpEnable, kDhcpStart, kDhcpEnd, kLanDns1, kLanDns2, kLanDns3); // 15-20 LAN
    putAll(kRouteTable);                                                  // 21-22
    putAll(kUserTable);                                                   // 23-27
    putAll(kGroupTable);                                                  // 28-32
    putAll(kWorkstationTable);                                            // 33-37
    put(kUdpPortNames, kTcpPortNames);                                    // 38-39 user ports
    putAll(kPortValues);                                                  // 40-55 port settings
    put(kReservedValue, kVirtualServers);                                 // 56-57
    put(kExposedComputer, kSpecialApplications, kReservedTable);          // 58-60 servers
    put(kFeatureByte, kDialOut, kAuthentication);                         // 61-63
    put(kLanToLanLogin, kLanToLanPassword, kRemoteLoginName, kRemoteLoginPassword, kRemotePhone,
        kRemoteNetwork, kRemoteMask); // 64-70 LAN-to-LAN
    put(kUsage, kOutgoingMsn, kOutgoingSad, kIncomingMsn, kIncomingSad, kLineSpeed,
        kInitialString);  // 71-77 ISDN
    put(kLanToLanSwitch); // 78 read in mode 1
    if (s != out.size())
        throw "the family-1 catalogue has 79 slots";
    return out;
}
constexpr std::array<int, 79> kFamily1 = makeFamily1();

constexpr std::array<int, 5> kFamily2Options = {kAnswerWanPing, kRemoteManagement, kWebPort,
                                                kWebManagementOff, kUtilityPort};
constexpr int kFamily2LanExtra = kRip;

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
