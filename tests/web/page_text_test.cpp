#include <gtest/gtest.h>

#include <random>

#include "common/gbk.h"
#include "tests/system_support.h"
#include "web/page_text.h"

using namespace web;
using common::byte_array;
using common::gbk;

namespace {

constexpr const char* wine_keeps_traditional =
    "Wine 8's LCMapStringW does not map traditional characters to simplified";

struct between_case {
    const char* what;
    std::string text, left, right;
    int start;
    bool case_sensitive;
    std::string expected;
};

TEST(TextBetween, Cases) {
    const between_case cases[] = {
        {"quote word as both markers", "a\"b\"c", gbk<"#引号">(), gbk<"#引号">(), 1, false, "b"},
        {"case ignored by default", "[T]x[/T]", "[t]", "[/t]", 1, false, "x"},
        {"case kept when asked", "[T]x[/T]", "[t]", "[/t]", 1, true, ""},
        {"right marker only before the left", "]x[", "[", "]", 1, false, ""},
        {"left marker missing", "abc", "<", ">", 1, false, ""},
        {"start applies to text and remainder", "((1)(2))", "(", ")", 3, false, "2)"},
        {"no start", "((1)(2))", "(", ")", 1, false, "(1"},
        {"empty left marker takes the whole text", "abc]d", "", "]", 1, false, "abc"},
        {"empty right marker gives empty", "<abc>", "<", "", 1, false, ""},
        {"quote word inside a marker", gbk<"title:\"视频\",//视频名称">(), gbk<"title:#引号">(),
         gbk<"#引号,//视频名称">(), 1, false, gbk<"视频">()},
        {"marker not matched inside a character", "\x81[x[a]", "[", "]", 1, false, "a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text_between(c.text, c.left, c.right, c.start, c.case_sensitive), c.expected) << c.what;
    }
    EXPECT_EQ(text_between("k=<v>", "<", ">"), "v") << "three-argument form";
}

TEST(Utf8ToGbk, Conversions) {
    struct conversion_case {
        const char* what;
        std::string utf8, gbk;
    };
    // A character GBK lacks becomes one '?' here; Windows writes one per
    // UTF-16 unit (two for an emoji) and maps the soft hyphen to '-' by its
    // best-fit table.
    constexpr bool windows = test_support::on_windows;
    const conversion_case cases[] = {
        {"ASCII unchanged", "vid:12,//x\r\n", "vid:12,//x\r\n"},
        {"Chinese", "中文视频", "\xD6\xD0\xCE\xC4\xCA\xD3\xC6\xB5"},
        {"empty", "", ""},
        {"euro sign is 0x80 in CP936", "€5", "\x80" "5"},
        {"full-width forms", "（１２）", "\xA3\xA8\xA3\xB1\xA3\xB2\xA3\xA9"},
        {"emoji", "a😀b", windows ? "a??b" : "a?b"},
        {"default-ignorables are not dropped", "a\u200D\uFE0F\u00ADb", windows ? "a??-b" : "a???b"},
        {"stray continuation byte", "a\x80z", "a?z"},
        {"truncated sequence", "a\xE4\xB8", "a?"},
        {"invalid byte before Chinese", "\xFF中", "?\xD6\xD0"},
        {"stops at the first zero byte", std::string("ab\0cd", 5), "ab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8_to_gbk(c.utf8), c.gbk) << c.what;
        EXPECT_EQ(utf8_to_gbk(std::string(c.utf8)), c.gbk) << c.what << ", in place";
    }
}

TEST(Utf8ToGbk, SameAsDecodingThenEncoding) {
    // The one-pass conversion must agree with the two steps it stands for,
    // malformed input included.
    std::mt19937 rng(936);
    const std::string pieces[] = {"a", "中", "€", "😀", "\u200D", "\x80", "\xE4\xB8", "\xF0\x9F", "\xC0\xAF",
                                  "\xED\xA0\x80", "\xFF", "\n"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1), length(0, 12);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (std::size_t n = length(rng); n > 0; --n) text += pieces[pick(rng)];
        ASSERT_EQ(utf8_to_gbk(text), encode_from_utf16(decode_to_utf16(text, 65001), 936)) << "round " << round;
    }
}

TEST(Utf8ToGbk, InPlaceAgreesAcrossItsPieces) {
    // Pages far longer than the pieces the in-place conversion works in,
    // with sequences (whole and broken) falling on every piece boundary.
    if (test_support::under_wine() && utf8_to_gbk(std::string_view("\xE4\n")) == "?")
        GTEST_SKIP() << "Wine 8's MultiByteToWideChar(65001) takes the byte after a truncated sequence into "
                        "it (\"\\xE4\\n\" gives U+FFFD alone), so a cut between them changes the text";
    std::mt19937 rng(65001);
    const std::string pieces[] = {"a", "中", "€", "😀", "\x80", "\xE4\xB8", "\xF0\x9F", "\xFF", "\n", "ab"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    for (int round = 0; round < 6; ++round) {
        std::string text;
        while (text.size() < 200'000 + static_cast<std::size_t>(round) * 7'777) text += pieces[pick(rng)];
        const std::string expected = utf8_to_gbk(std::string_view(text));
        ASSERT_EQ(utf8_to_gbk(std::move(text)), expected) << "round " << round;
    }
}

TEST(Utf16Buffers, DecodeAndEncode) {
    EXPECT_EQ(decode_to_utf16("ab"), (byte_array{'a', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(decode_to_utf16(""), (byte_array{0, 0})) << "just the terminating zero";
    EXPECT_EQ(decode_to_utf16(std::string("a\0b", 3)), (byte_array{'a', 0, 0, 0}));
    EXPECT_EQ(decode_to_utf16("😀"), (byte_array{0x3D, 0xD8, 0x00, 0xDE, 0, 0})) << "a surrogate pair";
    EXPECT_EQ(decode_to_utf16("\xD6\xD0", 936), (byte_array{0x2D, 0x4E, 0, 0}));  // 中 is U+4E2D

    EXPECT_EQ(encode_from_utf16(byte_array{0x2D, 0x4E, 0, 0}), "\xD6\xD0") << "the ANSI code page is GBK";
    EXPECT_EQ(encode_from_utf16(byte_array{'a', 0, 0, 0, 'b', 0}, 65001), "a") << "stops at the zero unit";
    EXPECT_EQ(encode_from_utf16(byte_array{'a', 0, 'b', 0}, 65001), "ab") << "a buffer without a zero unit";
    EXPECT_EQ(encode_from_utf16(byte_array{'a', 0, 'b'}, 65001), "a") << "an odd last byte";
    EXPECT_EQ(encode_from_utf16(byte_array{}), "");
}

TEST(Utf16Buffers, FailedStepsGiveEmptyResults) {
    // A code page the converter does not know fails the sizing step: the
    // decoded buffer is empty and so is the encoded text.
    EXPECT_EQ(decode_to_utf16("abc", 99999), byte_array{});
    EXPECT_EQ(encode_from_utf16(decode_to_utf16("abc"), 99999), "");
    EXPECT_EQ(encode_from_utf16(decode_to_utf16("abc", 99999)), "");
}

TEST(Big5ToGbkSimplified, Conversions) {
    // Big5 A1 5A is U+2574, which GBK lacks: the text ends before it.
    EXPECT_EQ(big5_to_gbk_simplified("ab\xA4\xA4\xA1\x5A" "cd"), "ab\xD6\xD0");
    EXPECT_EQ(big5_to_gbk_simplified("a\xFF" "b"), "a") << "an invalid byte ends it the same way";
    EXPECT_EQ(big5_to_gbk_simplified(""), "");
    EXPECT_EQ(big5_to_gbk_simplified(std::string("ab\0cd", 5)), "ab");
    if (test_support::under_wine()) GTEST_SKIP() << wine_keeps_traditional;
    // 中文視頻 in Big5, and 中文视频 in GBK.
    EXPECT_EQ(big5_to_gbk_simplified("\xA4\xA4\xA4\xE5\xB5\xF8\xC0\x57" "ok"),
              "\xD6\xD0\xCE\xC4\xCA\xD3\xC6\xB5" "ok");
}

TEST(MapToSimplified, TraditionalCharactersInGbk) {
    EXPECT_EQ(map_to_simplified("abc"), "abc");
    EXPECT_EQ(map_to_simplified("\xCA\xD3" "x"), "\xCA\xD3" "x") << "simplified stays";
    if (test_support::under_wine()) GTEST_SKIP() << wine_keeps_traditional;
    // GBK holds traditional characters too: 視頻 is 0xD295 0xEE6C, 视频 0xCAD3 0xC6B5.
    EXPECT_EQ(map_to_simplified("\xD2\x95\xEE\x6C"), "\xCA\xD3\xC6\xB5");
}

TEST(MapToSimplified, FailedMappingLeavesSpaces) {
    EXPECT_EQ(map_to_simplified("\xD2\x95\xEE\x6C", u"No-Such-Mapping"), "    ");
    EXPECT_EQ(map_to_simplified("", u"No-Such-Mapping"), "");
}

}  // namespace
