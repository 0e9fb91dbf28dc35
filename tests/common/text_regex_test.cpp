#include <gtest/gtest.h>

#include "common/gbk.h"
#include "common/text_ops.h"

using namespace common;

namespace {

std::vector<std::string> group_texts(const match_list& matches, std::string_view text, int group) {
    std::vector<std::string> out;
    for (const auto& m : matches) out.push_back(match_group_text(m, text, group));
    return out;
}

TEST(Regex, GroupsOfEveryOccurrenceInOrder) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, R"((\w+)=(\d+))"));
    const std::string text = "a=1; bb=22; ccc=333";
    const match_list found = regex_find_all(re, text);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(group_texts(found, text, 0), (std::vector<std::string>{"a=1", "bb=22", "ccc=333"}));
    EXPECT_EQ(group_texts(found, text, 1), (std::vector<std::string>{"a", "bb", "ccc"}));
    EXPECT_EQ(group_texts(found, text, 2), (std::vector<std::string>{"1", "22", "333"}));
    EXPECT_EQ(found[1].groups[0].offset, 5) << "offsets count from the start of the whole text";
    EXPECT_EQ(found[2].groups[2].offset, 16);
    EXPECT_EQ(found[2].groups[2].length, 3);
    EXPECT_EQ(match_group_text(found[0], text, 3), "") << "no such group";
    EXPECT_EQ(match_group_text(found[0], text, -1), "");
}

TEST(Regex, VideoIdsOnAPlayPage) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, gbk<"vid:(.*?),//视频ID">()));
    const std::string page = gbk<"var a={\nvid:111,//视频ID\ntitle:\"x\",//视频名称\n};\n"
                                 "var b={vid:222,//视频ID\n vid:3\n33,//视频ID}">();
    const match_list found = regex_find_all(re, page);
    EXPECT_EQ(group_texts(found, page, 1), (std::vector<std::string>{"111", "222", "3\n33"}))
        << "lazy repeat, and '.' takes line breaks";
}

TEST(Regex, GroupThatTookNoPart) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, "x(y)?z"));
    const match_list found = regex_find_all(re, "xz");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].groups[1].matched);
    EXPECT_EQ(match_group_text(found[0], "xz", 1), "");
}

TEST(Regex, EachSearchTakesItsStartAsTheStartOfText) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, "^a"));
    EXPECT_EQ(regex_find_all(re, "aaa").size(), 3u);
    ASSERT_TRUE(regex_compile(re, R"(\bb)"));
    EXPECT_EQ(regex_find_all(re, "bbb").size(), 3u);
    ASSERT_TRUE(regex_compile(re, "^b"));
    EXPECT_EQ(regex_find_all(re, "a\nb").size(), 1u) << "^ also matches after a line break";
}

TEST(Regex, CaseOption) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, "abc"));
    EXPECT_TRUE(regex_find_all(re, "ABC").empty());
    ASSERT_TRUE(regex_compile(re, "abc", false));
    EXPECT_EQ(regex_find_all(re, "ABC").size(), 1u);
    // Folding is ASCII only: GBK bytes are never made equal to others.
    ASSERT_TRUE(regex_compile(re, "\xC1\xC1", false));
    EXPECT_TRUE(regex_find_all(re, "\xE1\xE1").empty());
}

TEST(Regex, BadPatternKeepsWhatTheObjectHeld) {
    regex_object fresh;
    EXPECT_FALSE(regex_compile(fresh, "a(b"));
    EXPECT_FALSE(fresh.holds_pattern());
    EXPECT_TRUE(regex_find_all(fresh, "ab").empty());

    regex_object good;
    ASSERT_TRUE(regex_compile(good, "b+"));
    EXPECT_FALSE(regex_compile(good, "a(b"));
    EXPECT_EQ(regex_find_all(good, "abbc").size(), 1u);

    regex_free(good);
    EXPECT_TRUE(regex_find_all(good, "abbc").empty());
}

TEST(Regex, EmptyMatchesEndTheSearch) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, "x*"));
    EXPECT_EQ(regex_find_all(re, "abc").size(), 1u) << "a match ending at the very start stops it";
    ASSERT_TRUE(regex_compile(re, "b*"));
    const match_list found = regex_find_all(re, "abxbb");
    EXPECT_FALSE(found.empty());
    EXPECT_LE(found.size(), 6u) << "empty matches move on";
}

TEST(Regex, HostileTextKeepsEarlierMatches) {
    // Boost gives up on the run of a's; the x after it is never reached.
    regex_object re;
    ASSERT_TRUE(regex_compile(re, "x|(a+)+b"));
    const std::string text = "x" + std::string(64, 'a') + "x";
    match_list found;
    EXPECT_NO_THROW(found = regex_find_all(re, text));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(match_group_text(found[0], text, 0), "x");
}

TEST(Regex, PageOfUnendedVideoIdsKeepsTheGoodOne) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, gbk<"vid:(.*?),//视频ID">()));
    std::string page = gbk<"vid:42,//视频ID\n">();
    for (int i = 0; i < 20000; ++i) page += "vid:12345 no end here ";
    match_list found;
    EXPECT_NO_THROW(found = regex_find_all(re, page));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(match_group_text(found[0], page, 1), "42");
}

TEST(Regex, MatchFreeEmptiesTheList) {
    regex_object re;
    ASSERT_TRUE(regex_compile(re, "a"));
    match_list found = regex_find_all(re, "aa");
    ASSERT_EQ(found.size(), 2u);
    match_free(found);
    EXPECT_TRUE(found.empty());
}

}  // namespace
