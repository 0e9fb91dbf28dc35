#include <gtest/gtest.h>

#include "common/text_ops.h"

using namespace common;

namespace {

TEST(TextCut, LeftRightMidClip) {
    struct cut_case {
        std::string got, expected;
    };
    const cut_case cases[] = {
        {text_left("abc", 2), "ab"},    {text_left("abc", 0), ""},       {text_left("abc", -1), ""},
        {text_left("abc", 9), "abc"},   {text_right("abc", 2), "bc"},    {text_right("abc", 0), ""},
        {text_right("abc", -3), ""},    {text_right("abc", 9), "abc"},   {text_mid("abcdef", 3, 10), "cdef"},
        {text_mid("abcdef", 2, 2), "bc"}, {text_mid("abcdef", 0, 2), ""}, {text_mid("abcdef", 7, 1), ""},
        {text_mid("abcdef", 6, 1), "f"}, {text_mid("abcdef", 2, 0), ""}, {text_mid("", 1, 1), ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].expected) << "case " << i;
    EXPECT_EQ(text_length("\xD6\xD0" "a"), 3) << "a Chinese character counts two";
}

TEST(TextCut, CharOfCode) {
    EXPECT_EQ(char_of_code(0), "");
    EXPECT_EQ(char_of_code(65), "A");
    EXPECT_EQ(char_of_code(0xB0), "\xB0");
}

TEST(Spaces, TrimAndRemove) {
    const std::string full = "\xA1\xA1";
    EXPECT_EQ(trim_spaces(full + " ab c " + full), "ab c");
    EXPECT_EQ(trim_spaces("\tab"), "\tab") << "a tab is not a space";
    EXPECT_EQ(trim_spaces("ab\r\n"), "ab\r\n");
    EXPECT_EQ(trim_spaces("   "), "");
    EXPECT_EQ(trim_spaces(""), "");
    // 0xB0 0xA1 is one character, so the A1 A1 that follows it is a full-width space...
    EXPECT_EQ(trim_spaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
    // ...but here the second A1 is the trail of a character that begins at the first.
    EXPECT_EQ(trim_spaces("\xB0\xA1\xA1" " "), "\xB0\xA1\xA1" " ");
    EXPECT_EQ(remove_all_spaces("a b" + full + "c "), "abc");
    EXPECT_EQ(remove_all_spaces("\xB0\xA1\xA1\xB0"), "\xB0\xA1\xA1\xB0") << "A1 A1 across two characters";
}

TEST(Case, OnlyAsciiLettersChange) {
    EXPECT_EQ(to_upper("ab-z09"), "AB-Z09");
    EXPECT_EQ(to_lower("AB-Z09"), "ab-z09");
    EXPECT_EQ(to_upper("a\x81\x61"), "A\x81\x61") << "trail byte 'a' stays";
    EXPECT_EQ(to_lower("\x81\x41Z"), "\x81\x41z") << "trail byte 'A' stays";
    EXPECT_EQ(to_upper("x\x81"), "X\x81") << "a lone lead byte at the end";
}

}  // namespace
