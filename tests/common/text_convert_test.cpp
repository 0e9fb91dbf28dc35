#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "common/text_ops.h"

using namespace common;

namespace {

TEST(ToText, Values) {
    struct text_case {
        std::string got, expected;
    };
    const text_case cases[] = {
        {to_text(3.0), "3"},
        {to_text(2.5), "2.5"},
        {to_text(0.1), "0.1"},
        {to_text(-0.0), "-0"},
        {to_text(1.0 / 3.0), "0.3333333333333"},
        {to_text(123456789012345.0), "1.234567890123e+14"},
        {to_text(1e20), "1e+20"},
        {to_text(0.0001), "0.0001"},
        {to_text(0.00001), "1e-05"},
        {to_text(-42), "-42"},
        {to_text(INT_MIN), "-2147483648"},
        {to_text(true), "\xD5\xE6"},   // 真
        {to_text(false), "\xBC\xD9"},  // 假
        {to_text("literal"), "literal"},
        {to_text(std::string_view("view")), "view"},
        {to_text(byte_array{'a', 0, 'b'}), "a"},
        {to_text(byte_array{'a', 'b'}), "ab"},
        {to_text(byte_array{}), ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].expected) << "case " << i;
}

TEST(ToInteger, LeadingNumber) {
    struct integer_case {
        std::string text;
        int expected;
    };
    const integer_case cases[] = {
        {"\xA3\xB1\xA3\xB2", 12},  // full-width 1 2
        {"12ab", 12},
        {"ab", 0},
        {"", 0},
        {"  -7x", -7},
        {"+5", 5},
        {"\t\n 8", 8},
        {"\xA1\xA1" "3", 3},          // full-width space skipped
        {"\xA3\xAD\xA3\xB4", -4},     // full-width minus and 4
        {"3.9", 3},
        {"- 3", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"\xB0\xA3\xB1", 0},  // B0 A3 is one character; the B1 after it is no digit
    };
    for (const auto& c : cases) EXPECT_EQ(to_integer(c.text), c.expected) << c.text;
    EXPECT_EQ(to_integer(3.9), 3);
    EXPECT_EQ(to_integer(-3.9), -3);
    EXPECT_EQ(to_integer(1e12), INT_MAX);
    EXPECT_EQ(to_integer(std::nan("")), 0);
}

TEST(ToNumber, LeadingNumber) {
    struct number_case {
        std::string text;
        double expected;
    };
    const number_case cases[] = {
        {"2.5e3x", 2500.0},
        {"1e", 1.0},
        {"1e+", 1.0},
        {".5", 0.5},
        {"-.5", -0.5},
        {"7.", 7.0},
        {".", 0.0},
        {"\xA3\xB1\xA3\xAE\xA3\xB5", 1.5},  // full-width 1.5
        {"  81/a", 81.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"0x1A", 0.0},
        {"", 0.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(to_number(c.text), c.expected) << c.text;
    EXPECT_TRUE(std::isinf(to_number("1e400")));
}

TEST(HexAndSpaces, Formats) {
    EXPECT_EQ(hex_text(9), "9");
    EXPECT_EQ(hex_text(10), "A");
    EXPECT_EQ(hex_text(255), "FF");
    EXPECT_EQ(hex_text(0), "0");
    EXPECT_EQ(hex_text(-1), "FFFFFFFF");
    EXPECT_EQ(space_text(3), "   ");
    EXPECT_EQ(space_text(0), "");
    EXPECT_EQ(space_text(-2), "");
    EXPECT_EQ(to_bytes("a\xB0"), (byte_array{'a', 0xB0}));
}

TEST(Bytes, CutAndReplace) {
    const byte_array abc{1, 2, 3};
    EXPECT_EQ(bytes_length(abc), 3);
    EXPECT_EQ(bytes_left(abc, 2), (byte_array{1, 2}));
    EXPECT_EQ(bytes_left(abc, 9), abc);
    EXPECT_EQ(bytes_left(abc, -1), byte_array{});
    EXPECT_EQ(zero_bytes(3), (byte_array{0, 0, 0}));
    EXPECT_EQ(zero_bytes(0), byte_array{});

    const byte_array zeros{0, 1, 0, 1};
    EXPECT_EQ(replace_subbytes(zeros, {0}, {9}), (byte_array{9, 1, 9, 1}));
    EXPECT_EQ(replace_subbytes(zeros, {0}, {9}, 1, 1), (byte_array{9, 1, 0, 1}));
    EXPECT_EQ(replace_subbytes(zeros, {0}, {9}, 1, -1), zeros) << "a negative count replaces nothing";
    EXPECT_EQ(replace_subbytes(zeros, {0}, {9}, 2), (byte_array{0, 1, 9, 1}));
    EXPECT_EQ(replace_subbytes(zeros, {0, 1}, {}), byte_array{});
    EXPECT_EQ(replace_subbytes(zeros, {}, {7}), zeros);
    EXPECT_EQ(replace_subbytes({0x81, 0x41}, {0x41}, {0x42}), (byte_array{0x81, 0x42})) << "no stepping";
}

}  // namespace
