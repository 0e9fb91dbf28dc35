// Page titles decoded as the page's script engine would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/code_page.h"
#include "resolve/title_unescape.h"

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

}  // namespace

TEST(title_unescape, escapes_are_decoded_as_the_script_engine_does) {
    struct title_case {
        std::string in, out;
    };
    std::vector<title_case> cases = {
        {g("中\\u6587's"), g("中文's")},
        {"\\U4E2D", "U4E2D"},
        {"%41", "A"},
        {"a\\\"b\\/c", "a\"b/c"},
        {g("’{$}"), "'\r\n"},
        {"\rx\r\ny", "x\r\ny"},
        {"", ""},
        {"ends\\", "ends\\"},  // not evaluable: kept as cut
        {"two\\\\", "two\\"},
        // A line continuation would be evaluated away: kept as cut, unevaluated.
        {"a\\\nb", "a\\\nb"},
        {"a\\\rb%41", "a\\\rb%41"},
    };
    for (const title_case& c : cases) EXPECT_EQ(resolve::unescape_title(c.in), c.out) << c.in;
}
