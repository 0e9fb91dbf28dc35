#include <gtest/gtest.h>

#include "common/code_page.h"
#include "common/gbk.h"
#include "tests/system_support.h"

using namespace common;

namespace {

TEST(FixedText, ConvertedToGbkOnce) {
    EXPECT_EQ(gbk<"状态：">(), "\xD7\xB4\xCC\xAC\xA3\xBA");
    EXPECT_EQ(&gbk<"状态：">(), &gbk<"状态：">()) << "one cached value";
    EXPECT_EQ(gbk<"">(), "");
}

TEST(CodePage, RoundTripsGbk) {
    const std::string gbk_text = "a\xD6\xD0\xCE\xC4\x80";  // a中文€
    const auto units = decode_code_page(gbk_text, code_page_gbk);
    ASSERT_TRUE(units);
    EXPECT_EQ(*units, u"a中文€");
    EXPECT_EQ(encode_code_page(*units, code_page_gbk), gbk_text);
    EXPECT_EQ(decode_code_page(gbk_text, code_page_ansi), units) << "the ANSI code page is GBK";
}

TEST(CodePage, UnmappableCharacters) {
    // An emoji, a zero-width joiner, a variation selector and a soft hyphen:
    // none is in GBK, and none may vanish without a trace.
    // Windows writes one '?' for each half of the emoji's surrogate pair and
    // maps the soft hyphen to '-' by its best fit.
    const std::u16string text = u"a\U0001F600\u200D\uFE0F\u00ADb";
    EXPECT_EQ(encode_code_page(text, code_page_gbk), test_support::on_windows ? "a????-b" : "a????b");
    const auto zeros = encode_code_page(text, code_page_gbk, unmappable_as::zero_byte);
    EXPECT_EQ(zeros, test_support::on_windows ? std::string("a\0\0\0\0-b", 7) : std::string("a\0\0\0\0b", 6));
    EXPECT_EQ(encode_code_page(u"x\xD800y", code_page_gbk), "x?y") << "an unpaired surrogate";
}

TEST(CodePage, UnknownCodePage) {
    EXPECT_FALSE(decode_code_page("abc", 99999));
    EXPECT_FALSE(encode_code_page(u"abc", 99999));
}

}  // namespace
