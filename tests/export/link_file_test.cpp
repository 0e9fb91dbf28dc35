#include <gtest/gtest.h>

#include <optional>

#include "common/code_page.h"
#include "export/link_file.h"
#include "tests/system_support.h"

using exporting::link_row;

namespace {
std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }
}  // namespace

TEST(link_file, two_rows_make_seven_lines_without_a_final_break) {
    std::string content = exporting::link_file_content({{"A", "U"}, {"B", "V"}});
    EXPECT_EQ(content,
              "\r\n<pre>\r\n<a href=U target='_blank'>A</a>\r\n</pre>"
              "\r\n<pre>\r\n<a href=V target='_blank'>B</a>\r\n</pre>");
    EXPECT_EQ(exporting::link_file_content({}), "");
    EXPECT_EQ(exporting::link_file_content({{"", ""}}), "\r\n<pre>\r\n<a href= target='_blank'></a>\r\n</pre>");
}

TEST(link_file, ordinary_names_and_addresses_stay_byte_for_byte) {
    std::vector<std::string> names = {
        g("毒战 第10集"),
        g("表"),               // trail byte 0xED
        "\x81\x5C\x95\x60",  // two characters whose trail bytes are \ and `
        "a=b;c,d(e)[f]!~*",
    };
    for (const std::string& name : names) EXPECT_EQ(exporting::escape_link_name(name), name);
    std::vector<std::string> addresses = {
        "http://10.0.0.7/stream/v5001/1080.mp4?key=fhdv5001&tss=no",
        "http://h/a;b,c(d)[e]!~*%41",
        "\x81\x5C\x95\x60",
    };
    for (const std::string& address : addresses) EXPECT_EQ(exporting::escape_link_address(address), address);
}

TEST(link_file, page_text_cannot_inject_markup) {
    struct escape_case {
        std::string in, name, address;
    };
    std::vector<escape_case> cases = {
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;", "%3Cscript%3Ealert(1)%3C/script%3E"},
        {"a\"b'c", "a&quot;b&#39;c", "a%22b%27c"},
        {"x&y", "x&amp;y", "x&y"},
        {"u v\tw\r\n", "u v\tw\r\n", "u%20v%09w%0D%0A"},
        {"x onmouseover=`1`", "x onmouseover=`1`", "x%20onmouseover=%601%60"},
        {"\x7F", "\x7F", "%7F"},
        // a lead byte does not hide the markup byte after it
        {"\xED<img src=x onerror=alert(1)\xED>", "\xED&lt;img src=x onerror=alert(1)\xED&gt;",
         "\xED%3Cimg%20src=x%20onerror=alert(1)\xED%3E"},
        {"\x81\"\xFE'\x90&", "\x81&quot;\xFE&#39;\x90&amp;", "\x81%22\xFE%27\x90&"},
    };
    for (const escape_case& c : cases) {
        EXPECT_EQ(exporting::escape_link_name(c.in), c.name) << c.in;
        EXPECT_EQ(exporting::escape_link_address(c.in), c.address) << c.in;
    }
}

TEST(link_file, base_names_stay_inside_the_directory) {
    // The same on every system: what a system's file names cannot hold
    // besides (Windows: < > : " | ? *) goes when the name is made for the disk.
    struct name_case {
        std::string in, out;
    };
    std::vector<name_case> cases = {
        {g("夜航: 归途/<特别版>"), g("夜航: 归途_<特别版>")},
        {"../../etc/passwd", ".._.._etc_passwd"},
        {"..", ".."},
        {"a\\b", "a_b"},
        {"\x81\x5C", "\x81\x5C"},  // a trail byte is not a backslash
        {"\x81/..", "\x81_.."},       // but nothing below 0x40 is a trail byte
        {"\xFF\\x", "\xFF_x"},       // and 0xFF leads nothing
        {"\x80\\", "\x80_"},
        {std::string("a\0b\x01\x1F\x7F", 6), "a_b___"},
        {"", ""},
        {"  spaced  ", "  spaced  "},
    };
    for (const name_case& c : cases) {
        EXPECT_EQ(exporting::safe_file_name(c.in), c.out) << c.in;
    }
}
