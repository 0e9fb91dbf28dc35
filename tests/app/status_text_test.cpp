// A status text shortened in the middle, measured one unit a character.
#include <gtest/gtest.h>

#include "app/status_text.h"

namespace {

int units(std::u16string_view text) { return static_cast<int>(text.size()); }

TEST(status_text, a_long_text_keeps_its_beginning_and_its_end) {
    struct row {
        std::u16string text;
        int room;
        std::u16string shown;
    };
    const row table[] = {
        {u"短", 10, u"短"},
        {u"exactly10!", 10, u"exactly10!"},
        {u"saved 3 addresses in /home/alice/Downloads/long.txt", 21, u"saved 3 ad…s/long.txt"},
        {u"a😀b😀c😀d", 6, u"a\u2026\U0001F600d"},  // no pair of surrogates split
        {u"abcdef", 1, u"\u2026"},
    };
    for (const row& r : table) {
        const std::u16string shown = app::shorten_in_middle(r.text, r.room, units);
        EXPECT_EQ(shown, r.shown) << r.room;
        EXPECT_LE(units(shown), std::max(r.room, 1));
    }
}

}  // namespace
