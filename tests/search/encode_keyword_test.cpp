// Keywords as the search page's address carries them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/code_page.h"
#include "search/keyword_search.h"

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

}  // namespace

TEST(encode_keyword, every_utf8_byte_becomes_an_uppercase_escape) {
    struct encode_case {
        std::string gbk_in, out;
    };
    std::vector<encode_case> cases = {
        {"ab 1", "%61%62%20%31"},
        {g("好"), "%E5%A5%BD"},
        {g("毒战"), "%E6%AF%92%E6%88%98"},
        {"\x80", "%E2%82%AC"},  // the euro sign of code page 936
        {"+&=%", "%2B%26%3D%25"},
        {"\n", "%0A"},
        {"", ""},
    };
    for (const encode_case& c : cases) EXPECT_EQ(search::encode_keyword(c.gbk_in), c.out) << c.gbk_in;
}
