#include "operation/octet_fields.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace tolvaro::operation {
namespace {

using device::Octets;

struct OctetCase {
    const char* name;
    std::array<std::string, 4> fields;
    OctetCheck check;
    Octets octets;
};

class OctetFieldsCheck : public testing::TestWithParam<OctetCase> {};

TEST_P(OctetFieldsCheck, Classifies) {
    const auto& c = GetParam();
    const OctetFields result = checkOctetFields(c.fields);
    EXPECT_EQ(result.check, c.check);
    if (c.check == OctetCheck::Ok) {
        EXPECT_EQ(result.octets, c.octets);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, OctetFieldsCheck,
    testing::Values(
        OctetCase{"all_filled", {"10", "0", "0", "7"}, OctetCheck::Ok, {10, 0, 0, 7}},
        OctetCase{"all_empty_is_zero", {"", "", "", ""}, OctetCheck::Ok, {0, 0, 0, 0}},
        OctetCase{"one_empty", {"10", "0", "", "7"}, OctetCheck::PartlyEmpty, {}},
        OctetCase{"three_empty", {"", "", "", "7"}, OctetCheck::PartlyEmpty, {}},
        OctetCase{"exactly_255", {"255", "255", "255", "0"}, OctetCheck::Ok, {255, 255, 255, 0}},
        OctetCase{"256_refused", {"1", "256", "1", "1"}, OctetCheck::OutOfRange, {}},
        OctetCase{"999_refused", {"999", "1", "1", "1"}, OctetCheck::OutOfRange, {}},
        OctetCase{"beyond_32_bits_reads_as_zero",
                  {"1", "1", "1", "4294967296"},
                  OctetCheck::Ok,
                  {1, 1, 1, 0}},
        OctetCase{"non_digits_read_as_zero", {"x", "1", "1", "1"}, OctetCheck::Ok, {0, 1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvaro::operation
