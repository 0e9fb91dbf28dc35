// Terminal columns by the East Asian Width property, and page text made
// harmless for a terminal.
#include <gtest/gtest.h>

#include "cli/display_width.h"

namespace {

TEST(display_width, counts_wide_characters_twice_and_marks_not_at_all) {
    const std::pair<char32_t, int> table[] = {
        {U'a', 1},      {U'毒', 2},     {U'，', 2},      {U'ｱ', 1},  // halfwidth katakana
        {U'Ω', 1},      {U'가', 2},     {U'\u0301', 0},  {U'\u200B', 0},
        {U'\U0001F600', 2}, {U'\U00020000', 2}, {U'\u3000', 2}, {U'€', 1},
    };
    for (const auto& [c, columns] : table) EXPECT_EQ(cli::character_width(c), columns) << static_cast<long>(c);
    EXPECT_EQ(cli::display_width("毒战 第1集"), 10u);
    EXPECT_EQ(cli::display_width("e\xCC\x81"), 1u);
    EXPECT_EQ(cli::display_width("\xFF"), 1u);
}

TEST(display_width, printable_text_has_no_control_characters) {
    EXPECT_EQ(cli::printable("a\tb\nc\x1B[2Jd\x7F" "e\xC2\x9B" "f"), "a b c [2Jd e f");
    EXPECT_EQ(cli::printable("毒战\xFF"), "毒战?");
}

}  // namespace
