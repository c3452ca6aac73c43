#include "device/dotted_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvaro::device {
namespace {

struct DottedCase {
    const char* name;
    std::string text;
    Octets expected;
};

class DottedDecimal : public testing::TestWithParam<DottedCase> {};

TEST_P(DottedDecimal, ParsesFourBytes) {
    const auto& c = GetParam();
    Octets out{9, 9, 9, 9};
    parseDottedText(c.text, out);
    EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DottedDecimal,
    testing::Values(DottedCase{"plain", "192.168.1.34", {192, 168, 1, 34}},
                    DottedCase{"empty_leaves_output", "", {9, 9, 9, 9}},
                    DottedCase{"trailing_garbage_after_digits", "10.0.0.7xyz", {10, 0, 0, 7}},
                    DottedCase{"part_without_digits_is_zero", "10.a.b.1", {10, 0, 0, 1}},
                    DottedCase{"blank_before_digits_is_zero", "10. 5.0.1", {10, 0, 0, 1}},
                    DottedCase{"above_255_kept_modulo_256", "256.300.511.1", {0, 44, 255, 1}},
                    DottedCase{"endless_digits_do_not_overflow",
                               "99999999999999999999999.1.1.1",
                               {255, 1, 1, 1}},
                    DottedCase{"missing_parts_are_zero", "10.1", {10, 1, 0, 0}},
                    DottedCase{"no_points_at_all", "77", {77, 0, 0, 0}},
                    DottedCase{"extra_parts_stay_in_fourth", "1.2.3.4.5", {1, 2, 3, 4}},
                    DottedCase{"only_points", "...", {0, 0, 0, 0}},
                    DottedCase{"negative_sign_is_not_a_digit", "-1.2.3.4", {0, 2, 3, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HexCase {
    const char* name;
    std::string text;
    std::vector<std::uint8_t> expected;
};

class HexPairs : public testing::TestWithParam<HexCase> {};

TEST_P(HexPairs, ParsesSixBytes) {
    const auto& c = GetParam();
    std::vector<std::uint8_t> out(6, 0x99);
    parseDottedText(c.text, out);
    EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HexPairs,
    testing::Values(
        HexCase{"upper_case", "00:1A:2B:3C:4D:5E", {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}},
        HexCase{"lower_case_is_raised", "aa:bb:cc:dd:ee:ff", {0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff}},
        HexCase{"blanks_before_pairs", " 01: 02:03 :04:05:06", {1, 2, 3, 4, 5, 6}},
        HexCase{"short_text_gives_zero_for_the_rest", "12:34", {0x12, 0x34, 0, 0, 0, 0}},
        HexCase{"single_digit_at_end", "12:3", {0x12, 0x30, 0, 0, 0, 0}},
        // Not hexadecimal, but still one byte each and no read past the end.
        HexCase{"letters_beyond_f_wrap", "ZZ:GG:00:00:00:00", {0x53, 0x10, 0, 0, 0, 0}},
        HexCase{"empty_leaves_output", "", {0x99, 0x99, 0x99, 0x99, 0x99, 0x99}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DottedText, EmptyOutputIsLeftAlone) {
    std::vector<std::uint8_t> none;
    parseDottedText("1.2.3.4", none);
    EXPECT_TRUE(none.empty());
}

} // namespace
} // namespace tolvaro::device
