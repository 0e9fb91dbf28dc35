// The playlist and the download list as bytes: what players and download
// managers read, whatever the page text holds.
#include <gtest/gtest.h>

#include <sstream>

#include "common/code_page.h"
#include "export/download_list.h"
#include "export/playlist_file.h"
#include "tests/system_support.h"

using exporting::link_row;

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(list_files, ordinary_rows_come_out_as_players_and_aria2_read_them) {
    std::vector<link_row> rows = {
        {g("毒战 第1集"), "http://h/stream/v1/1080.mp4?key=a&tss=no"},
        {g("Tom's \"cut\" 1/2"), "http://h/stream/v2/1300.flv?key=b&tss=no"},
    };
    EXPECT_EQ(exporting::playlist_content(rows),
              "#EXTM3U\n"
              "#EXTINF:-1,毒战 第1集\nhttp://h/stream/v1/1080.mp4?key=a&tss=no\n"
              "#EXTINF:-1,Tom's \"cut\" 1/2\nhttp://h/stream/v2/1300.flv?key=b&tss=no\n");
    EXPECT_EQ(exporting::download_list_content(rows),
              "http://h/stream/v1/1080.mp4?key=a&tss=no\n out=毒战 第1集.mp4\n"
              "http://h/stream/v2/1300.flv?key=b&tss=no\n out=Tom's " +
                  std::string(test_support::on_windows ? "_cut_" : "\"cut\"") +  // Windows refuses '"'
                  " 1_2.flv\n");
    EXPECT_EQ(exporting::playlist_content({}), "#EXTM3U\n");
    EXPECT_EQ(exporting::download_list_content({}), "");
}

TEST(list_files, the_file_takes_the_extension_of_the_address_path) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"http://h/a/1080.mp4?key=x.flv&tss=no", ".mp4"},
        {"HTTP://h/a/350.flv", ".flv"},
        {"http://h/a/list.m3u8#x.avi", ".m3u8"},
        {"http://h/a.b/file", ".mp4"},       // a dot in a folder is no extension
        {"http://h.example.com", ".mp4"},    // nor one in the host
        {"http://h/", ".mp4"},
        {"http://h/x.", ".mp4"},
        {"http://h/x.toolongext", ".mp4"},
        {"http://h/x.m p4", ".mp4"},
        {"http://h/x.a/b", ".mp4"},
        {"", ".mp4"},
    };
    for (const auto& [address, extension] : cases) EXPECT_EQ(exporting::address_extension(address), extension) << address;
}

TEST(list_files, rows_sharing_a_name_are_numbered_before_the_extension) {
    std::vector<link_row> rows = {
        {"n", "http://h/a.mp4"}, {"n", "http://h/b.mp4"}, {"n (2)", "http://h/c.mp4"},
        {"n", "http://h/d.flv"}, {"n", "http://h/e.mp4"}, {std::string(300, 'L'), "http://h/f.mp4"},
        {std::string(300, 'L'), "http://h/g.mp4"},
    };
    std::vector<std::string> outs;
    for (const std::string& line : lines_of(exporting::download_list_content(rows))) {
        if (line.starts_with(" out=")) outs.push_back(line.substr(5));
    }
    std::vector<std::string> expected = {"n.mp4",  "n (2).mp4", "n (2) (2).mp4", "n.flv", "n (3).mp4",
                                         std::string(251, 'L') + ".mp4", std::string(247, 'L') + " (2).mp4"};
    EXPECT_EQ(outs, expected);
}

TEST(list_files, hostile_names_and_addresses_cannot_add_lines_or_options) {
    struct hostile_case {
        link_row row;
        std::string name_shown, address_line, out;
    };
    std::vector<hostile_case> cases = {
        {{"a\nout=evil.sh", "http://h/1.mp4"}, "a out=evil.sh", "http://h/1.mp4", "a_out=evil.sh.mp4"},
        {{"a\r\n dir=/etc", "http://h/1.mp4"}, "a   dir=/etc", "http://h/1.mp4", "a__ dir=_etc.mp4"},
        {{"  leading", "http://h/1.mp4"}, "  leading", "http://h/1.mp4", "leading.mp4"},
        {{"\t.bashrc", "http://h/1.mp4"}, " .bashrc", "http://h/1.mp4", "_bashrc.mp4"},
        {{"../../etc/passwd", "http://h/1.mp4"}, "../../etc/passwd", "http://h/1.mp4", "_._.._etc_passwd.mp4"},
        {{"x=y", "http://h/a\n out=evil"}, "x=y", "http://h/a%0A%20out=evil", "x=y.mp4"},
        {{"t", " http://h/lead"}, "t", "%20http://h/lead", "t.mp4"},
        {{"t", "\thttp://h/tab"}, "t", "%09http://h/tab", "t.mp4"},
        {{"t", "#http://h/comment"}, "t", "%23http://h/comment", "t.mp4"},
        {{"t", "http://h/a\tb\rc"}, "t", "http://h/a%09b%0Dc", "t.mp4"},
        {{"t", g("http://h/中")}, "t", "http://h/%D6%D0", "t.mp4"},
        {{std::string("a\0b", 3), "http://h/1.mp4"}, "a b", "http://h/1.mp4", "a_b.mp4"},
    };
    for (const hostile_case& c : cases) {
        std::vector<std::string> playlist = lines_of(exporting::playlist_content({c.row}));
        std::vector<std::string> expected_playlist = {"#EXTM3U", "#EXTINF:-1," + c.name_shown, c.address_line};
        EXPECT_EQ(playlist, expected_playlist) << c.row.name << " " << c.row.address;
        std::vector<std::string> download = lines_of(exporting::download_list_content({c.row}));
        std::vector<std::string> expected_download = {c.address_line, " out=" + c.out};
        EXPECT_EQ(download, expected_download) << c.row.name << " " << c.row.address;
    }
}
