#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "common/text_ops.h"

using namespace common;

namespace {

// GBK characters used below, as bytes. 丄 and 乤 have ASCII letters as trail
// bytes ('A' and 'a'), which is what the character stepping is about.
const std::string zhong = "\xD6\xD0";      // 中
const std::string wen = "\xCE\xC4";        // 文
const std::string shipin = "\xCA\xD3\xC6\xB5";  // 视频
const std::string shang_A = "\x81\x41";    // 丄
const std::string zha_a = "\x81\x61";      // 乤
const std::string full_space = "\xA1\xA1";

struct find_case {
    const char* what;
    std::string text, sub;
    int start;
    bool ignore_case;
    int expected;
};

TEST(FindText, Cases) {
    const find_case cases[] = {
        {"capital found as is", "aBc", "B", 1, false, 2},
        {"small found ignoring case", "aBc", "b", 1, true, 2},
        {"small not found by case", "aBc", "b", 1, false, -1},
        {"Chinese subtext", zhong + wen + shipin, shipin, 1, false, 5},
        {"trail byte is not a character", shang_A + "A", "A", 1, false, 3},
        {"trail byte folded is not a character", zha_a + "A", "a", 1, true, 3},
        {"trail letters fold inside a candidate", zha_a, shang_A, 1, true, 1},
        {"trail letters kept by exact search", zha_a, shang_A, 1, false, -1},
        {"pair straddling two characters", "\xB0\xA1\xB0\xA1", "\xA1\xB0", 1, false, -1},
        {"straddling pair skipped, real one found", "\xB0\xA1\xB0\xA1\xA1\xB0", "\xA1\xB0", 1, false, 5},
        {"ASCII trail resets the pairing", shang_A + "\xA1\xB0", "\xA1\xB0", 1, false, 3},
        {"lone lead byte at the end", "ab\x81", "\x81", 1, false, 3},
        {"start skips an earlier hit", "abab", "ab", 2, false, 3},
        {"start at the last byte", "abc", "c", 3, false, 3},
        {"start below 1 is the beginning", "abc", "a", -5, false, 1},
        {"start beyond the end", "abc", "c", 4, false, -1},
        {"start on a trail byte walks from there", zhong + "x", "\xD0x", 2, false, 2},
        {"subtext longer than the rest", "abc", "bcd", 1, false, -1},
        {"empty subtext", "abc", "", 1, false, 1},
        {"empty subtext, later start still 1", "abc", "", 3, false, 1},
        {"empty subtext, nothing left", "abc", "", 4, false, -1},
        {"empty text", "", "", 1, false, -1},
        {"ignore case on non-letters is exact", "a[b", "A{", 1, true, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(find_text(c.text, c.sub, c.start, c.ignore_case), c.expected) << c.what;
    }
}

struct replace_case {
    const char* what;
    std::string text, sub, replacement;
    int start, max_count;
    bool case_sensitive;
    std::string expected;
};

TEST(ReplaceSubtext, Cases) {
    const replace_case cases[] = {
        {"every occurrence", "aaaa", "aa", "b", 1, -1, true, "bb"},
        {"max count one", "aaaa", "aa", "b", 1, 1, true, "baa"},
        {"case folded", "ABCabc", "abc", "x", 1, -1, false, "xx"},
        {"case kept", "ABCabc", "abc", "x", 1, -1, true, "ABCx"},
        {"from a later start", "aaaa", "aa", "b", 2, -1, true, "aba"},
        {"start below 1 is 1", "aaaa", "aa", "b", 0, -1, true, "bb"},
        {"start at the end is unchanged", "aaaa", "a", "b", 5, -1, true, "aaaa"},
        {"max count zero is unchanged", "aaaa", "a", "b", 1, 0, true, "aaaa"},
        {"empty subtext is unchanged", "abc", "", "x", 1, -1, true, "abc"},
        {"empty replacement deletes", "a-b-c", "-", "", 1, -1, true, "abc"},
        {"replacement is not searched again", "ab", "a", "aa", 1, -1, true, "aab"},
        {"trail byte left alone", shang_A + "A", "A", "x", 1, -1, true, shang_A + "x"},
        {"Chinese replaced", zhong + wen + zhong, zhong, "z", 1, -1, true, "z" + wen + "z"},
        {"straddling pair left alone", "\xB0\xA1\xB0\xA1", "\xA1\xB0", "x", 1, -1, true, "\xB0\xA1\xB0\xA1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replace_subtext(c.text, c.sub, c.replacement, c.start, c.max_count, c.case_sensitive),
                  c.expected)
            << c.what;
    }
    EXPECT_EQ(replace_subtext("aA", "a", "x"), "xx") << "case is ignored when not given";
    EXPECT_EQ(replace_subtext("a-b", "-"), "ab") << "replacement defaults to nothing";
}

// The rules written out plainly, one character at a time, as the reference the
// fast search is checked against.
bool same_at(const std::string& t, std::size_t at, const std::string& s, bool fold) {
    for (std::size_t k = 0; k < s.size(); ++k) {
        char a = t[at + k], b = s[k];
        if (fold) {
            if (a >= 'A' && a <= 'Z') a += 32;
            if (b >= 'A' && b <= 'Z') b += 32;
        }
        if (a != b) return false;
    }
    return true;
}

std::size_t step(const std::string& t, std::size_t i) {
    return static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size() ? 2 : 1;
}

int reference_find(const std::string& t, const std::string& s, int start, bool fold) {
    std::size_t i = start < 1 ? 0 : start - 1;
    if (i >= t.size()) return -1;
    if (s.empty()) return 1;
    for (; i + s.size() <= t.size(); i += step(t, i)) {
        if (same_at(t, i, s, fold)) return static_cast<int>(i) + 1;
    }
    return -1;
}

std::string reference_replace(const std::string& t, const std::string& s, const std::string& r,
                              int start, int max_count, bool exact) {
    std::size_t i = start < 1 ? 0 : start - 1;
    if (t.empty() || s.empty() || i >= t.size() || max_count == 0) return t;
    std::string out = t.substr(0, i);
    int done = 0;
    while (i + s.size() <= t.size()) {
        if (same_at(t, i, s, !exact)) {
            out += r;
            i += s.size();
            if (max_count > 0 && ++done == max_count) break;
        } else {
            out += t.substr(i, step(t, i));
            i += step(t, i);
        }
    }
    return out + t.substr(std::min(i, t.size()));
}

std::string random_gbk_like(std::mt19937& rng, std::size_t max_length) {
    // Few distinct bytes, so that matches, near misses and straddles are common.
    static const char alphabet[] = {'a', 'A', 'b', '\x81', '\xA1', '\xB0', '\x41', ' '};
    std::uniform_int_distribution<std::size_t> length(0, max_length), pick(0, sizeof alphabet - 1);
    std::string t(length(rng), ' ');
    for (char& c : t) c = alphabet[pick(rng)];
    return t;
}

TEST(FindText, AgreesWithCharacterWalk) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 20000; ++round) {
        const std::string t = random_gbk_like(rng, 24);
        const std::string s = random_gbk_like(rng, 3);
        const int start = std::uniform_int_distribution<int>(-1, 26)(rng);
        const bool fold = round % 2 == 0;
        ASSERT_EQ(find_text(t, s, start, fold), reference_find(t, s, start, fold))
            << "text of " << t.size() << " bytes, round " << round;
    }
}

TEST(ReplaceSubtext, AgreesWithCharacterWalk) {
    std::mt19937 rng(8122026);
    for (int round = 0; round < 20000; ++round) {
        const std::string t = random_gbk_like(rng, 24);
        const std::string s = random_gbk_like(rng, 3);
        const int start = std::uniform_int_distribution<int>(-1, 26)(rng);
        const int max_count = std::uniform_int_distribution<int>(-1, 3)(rng);
        const bool exact = round % 2 == 0;
        ASSERT_EQ(replace_subtext(t, s, "<>", start, max_count, exact),
                  reference_replace(t, s, "<>", start, max_count, exact))
            << "round " << round;
    }
}

TEST(ReplaceRange, ClipsAndInserts) {
    const std::string t = "abcdefghij";
    EXPECT_EQ(replace_range(t, 1, 7), "hij");
    EXPECT_EQ(replace_range(t, 3, 2, "XY"), "abXYefghij");
    EXPECT_EQ(replace_range(t, 0, 1), "bcdefghij") << "start below 1 acts as 1";
    EXPECT_EQ(replace_range(t, 9, 100), "abcdefgh") << "count clipped at the end";
    EXPECT_EQ(replace_range(t, 50, 3, "!"), t + "!") << "start beyond the end appends";
    EXPECT_EQ(replace_range(t, 2, -1, "_"), "a_bcdefghij") << "no count only inserts";
    EXPECT_EQ(replace_range("", 1, 3, "x"), "x");
    EXPECT_EQ(replace_range(t, INT_MIN, 2, "_"), "_cdefghij") << "the lowest start acts as 1";
    EXPECT_EQ(replace_range(t, INT_MAX, INT_MAX, "!"), t + "!");
    EXPECT_EQ(replace_range(t, 1, INT_MIN), t);
}

TEST(CompareText, OrderAndCase) {
    EXPECT_EQ(compare_text("abc", "abc", true), 0);
    EXPECT_EQ(compare_text("ABC", "abc", false), 0);
    EXPECT_NE(compare_text("ABC", "abc", true), 0);
    EXPECT_LT(compare_text("a", "b", true), 0);
    EXPECT_GT(compare_text("ab", "a", true), 0);
    EXPECT_LT(compare_text("", "a", true), 0);
    EXPECT_LT(compare_text("\xB0\xA1", "\xB0\xA2", true), 0) << "two-byte characters as units";
    EXPECT_LT(compare_text("z", "\xB0\xA1", true), 0) << "ASCII sorts before GBK";
    EXPECT_NE(compare_text(shang_A, zha_a, false), 0) << "trail bytes are not folded";
}

}  // namespace
