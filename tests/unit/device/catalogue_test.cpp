#include <gtest/gtest.h>

#include <set>
#include <vector>

#include <ipslan/ipslan.h>

#include "device/catalogue.h"

namespace tolvaro::device {
namespace {

struct SlotRow {
    const char* name;
    Family family;
    int slot;
    int variable;
};

class CatalogueSlots : public testing::TestWithParam<SlotRow> {};

TEST_P(CatalogueSlots, SlotAndVariableMapBothWays) {
    const SlotRow& row = GetParam();
    EXPECT_EQ(variableAt(row.family, row.slot), row.variable);
    EXPECT_EQ(slotOf(row.family, row.variable), row.slot);
}

INSTANTIATE_TEST_SUITE_P(Tables, CatalogueSlots,
                         testing::Values(SlotRow{"F1FixedAddressFirst", Family::One, 0, 0x4001},
                                         SlotRow{"F1CountryIndex", Family::One, 7, 0x3801},
                                         SlotRow{"F1IdleTimeout", Family::One, 10, 0x4008},
                                         SlotRow{"F1VersionText", Family::One, 11, 0x0104},
                                         SlotRow{"F1AdminPassword", Family::One, 14, 0x0106},
                                         SlotRow{"F1DhcpSwitch", Family::One, 15, 0x3004},
                                         SlotRow{"F1DhcpStart", Family::One, 16, 0x3006},
                                         SlotRow{"F1DhcpEnd", Family::One, 17, 0x3005},
                                         SlotRow{"F1SecondRouteVariable", Family::One, 22, 0x3602},
                                         SlotRow{"F1FirstUserVariable", Family::One, 23, 0x3201},
                                         SlotRow{"F1FirstGroupVariable", Family::One, 28, 0x3401},
                                         SlotRow{"F1LastPortSetting", Family::One, 49, 0x370a},
                                         SlotRow{"F1VirtualServers", Family::One, 57, 0x3717},
                                         SlotRow{"F1ExposedComputer", Family::One, 58, 0x371e},
                                         SlotRow{"F1FeatureByte", Family::One, 61, 0x4017},
                                         SlotRow{"F1DialOutFlag", Family::One, 62, 0x400d},
                                         SlotRow{"F1LanToLanFirst", Family::One, 64, 0x401a},
                                         SlotRow{"F1BChannelUsage", Family::One, 71, 0x3806},
                                         SlotRow{"F1InitialString", Family::One, 77, 0x4009},
                                         SlotRow{"F1LanToLanSwitch", Family::One, 78, 0x371a},
                                         SlotRow{"F2VersionText", Family::Two, 11, 0x0104},
                                         SlotRow{"F2FirstOption", Family::Two, 15, 0x4025},
                                         SlotRow{"F2LastOption", Family::Two, 19, 0x402a},
                                         SlotRow{"F2DhcpSwitch", Family::Two, 20, 0x3004},
                                         SlotRow{"F2DhcpStart", Family::Two, 21, 0x3006},
                                         SlotRow{"F2DhcpEnd", Family::Two, 22, 0x3005},
                                         SlotRow{"F2LanExtra", Family::Two, 28, 0x4026},
                                         SlotRow{"F2FirstUserVariable", Family::Two, 29, 0x3201},
                                         SlotRow{"F2FirstGroupVariable", Family::Two, 34, 0x3401},
                                         SlotRow{"F2FeatureByte", Family::Two, 67, 0x4017},
                                         SlotRow{"F2DialOutFlag", Family::Two, 68, 0x400d},
                                         SlotRow{"F2BChannelUsage", Family::Two, 77, 0x3806},
                                         SlotRow{"F2InitialString", Family::Two, 83, 0x4009},
                                         SlotRow{"F2LanToLanSwitch", Family::Two, 84, 0x371a}),
                         [](const auto& info) { return info.param.name; });

TEST(Catalogue, EverySlotMapsBackAndNoVariableRepeats) {
    for (Family family : {Family::One, Family::Two}) {
        std::set<int> seen;
        for (int slot = 0; slot < slotCount(family); ++slot) {
            const int variable = variableAt(family, slot);
            EXPECT_TRUE(seen.insert(variable).second) << std::hex << variable;
            EXPECT_EQ(slotOf(family, variable), slot);
        }
    }
    EXPECT_EQ(slotCount(Family::One), 79);
    EXPECT_EQ(slotCount(Family::Two), 85);
    EXPECT_FALSE(slotOf(Family::One, 0x4025));
    EXPECT_FALSE(slotOf(Family::Two, 0x4024)); // the seconds time-out lives outside
}

TEST(Catalogue, FamiliesAgreeThroughTheSlotShift) {
    for (int s = 0; s < slotCount(Family::One); ++s) {
        const int s2 = family2Slot(s);
        EXPECT_EQ(variableAt(Family::One, s), variableAt(Family::Two, s2)) << "slot " << s;
        EXPECT_EQ(family1Slot(s2), s);
    }
    for (int s2 : {15, 16, 17, 18, 19, 28})
        EXPECT_FALSE(family1Slot(s2)) << s2;
}

TEST(Catalogue, FamilyFollowsTheFamilyByte) {
    DEVICE_INFO record{};
    record.family = 1;
    EXPECT_EQ(familyOf(record), Family::One);
    for (std::uint8_t b : {0, 2, 3, 255}) {
        record.family = b;
        EXPECT_EQ(familyOf(record), Family::Two) << int(b);
    }
}

TEST(Catalogue, Mode1BlockOrder) {
    EXPECT_EQ(std::vector<int>(kMode1Block.begin(), kMode1Block.end()),
              (std::vector<int>{0x4017, 0x400d, 0x4023, 0x371a, 0x4018}));
    EXPECT_EQ(mode1IndexOf(0x371a), 3);
    EXPECT_FALSE(mode1IndexOf(0x4001));
}

struct RequestRow {
    const char* name;
    Family family;
    std::vector<CatalogueRequest> expected;
};

class CatalogueRequests : public testing::TestWithParam<RequestRow> {};

TEST_P(CatalogueRequests, InOrderWithTheirMessages) {
    const RequestRow& row = GetParam();
    const auto requests = catalogueRequests(row.family);
    ASSERT_EQ(requests.size(), row.expected.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].firstSlot, row.expected[i].firstSlot) << i;
        EXPECT_EQ(requests[i].count, row.expected[i].count) << i;
        EXPECT_EQ(requests[i].failureMessage, row.expected[i].failureMessage) << i;
    }
}

constexpr const char* kUser = "IPSGetInfo User fail ";
INSTANTIATE_TEST_SUITE_P(Tables, CatalogueRequests,
                         testing::Values(RequestRow{"Family1",
                                                    Family::One,
                                                    {{0, 23, ""},
                                                     {23, 1, kUser},
                                                     {24, 1, kUser},
                                                     {25, 1, kUser},
                                                     {26, 1, kUser},
                                                     {27, 1, kUser},
                                                     {28, 1, kUser},
                                                     {28, 28, "IPSGetInfo1 fail"},
                                                     {56, 15, "IPSGetInfo1 fail"},
                                                     {71, 7, "IPSGetInfo fail"}}},
                                         RequestRow{"Family2",
                                                    Family::Two,
                                                    {{0, 29, ""},
                                                     {29, 1, kUser},
                                                     {30, 1, kUser},
                                                     {31, 1, kUser},
                                                     {32, 1, kUser},
                                                     {33, 1, kUser},
                                                     {34, 1, kUser},
                                                     {34, 28, "IPSGetInfo1 fail"},
                                                     {62, 15, "IPSGetInfo1 fail"},
                                                     {77, 7, "IPSGetInfo fail"}}}),
                         [](const auto& info) { return info.param.name; });

TEST(Catalogue, RequestsReadEverySlotButTheLast) {
    for (Family family : {Family::One, Family::Two}) {
        std::vector<int> reads(static_cast<std::size_t>(slotCount(family)));
        for (const CatalogueRequest& r : catalogueRequests(family))
            for (int s = r.firstSlot; s < r.firstSlot + r.count; ++s)
                ++reads.at(static_cast<std::size_t>(s));
        const int groupSlot = *slotOf(family, 0x3401);
        for (int s = 0; s < slotCount(family); ++s) {
            const int expected = s == slotCount(family) - 1 ? 0 : s == groupSlot ? 2 : 1;
            EXPECT_EQ(reads[static_cast<std::size_t>(s)], expected) << "slot " << s;
        }
    }
}

} // namespace
} // namespace tolvaro::device
