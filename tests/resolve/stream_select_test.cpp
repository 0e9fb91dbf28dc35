// The quality ladder of stream descriptors, without any site or window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/code_page.h"
#include "resolve/stream_select.h"
#include "web/site_hosts.h"

namespace {

std::string g(const char* utf8) { return common::convert_utf8_to_gbk(utf8); }

}  // namespace

TEST(quality_ladder, the_first_probe_found_decides) {
    web::replace_hosts_for_testing({"s", "s", "H"});
    struct ladder_case {
        std::string descriptor;
        bool found;
        std::string address;
        std::string label;
    };
    std::vector<ladder_case> cases = {
        {R"("a_720p":["http:\/\/H\/b.mp4?x=1&tss=no"],"a_1080p":["http:\/\/H\/a\/b.mp4?x=1&tss=no"])", true,
         "http://H/a/b.mp4?x=1&tss=no", "1080P"},
        {R"("q1000":["http:\/\/H\/c&tss=no"])", true, "http://H/c&tss=no", g("高清")},
        {R"("x1080P":["http:\/\/H\/no&tss=no"],"y720p":["HTTP:\/\/H\/y\\z&tss=no"])", true, "http://H/yz&tss=no", "720P"},
        // A rung without a usable address gives way to the next one.
        {R"("d":"13000","k350":["http:\/\/H\/s&tss=no"])", true, "http://H/s&tss=no", g("流畅")},
        {R"("a_1080p":["http:\/\/H&tss=no"],"b720p":["http:\/\/H\/b&tss=no"])", true, "http://H/b&tss=no", "720P"},
        {R"("a_1080p":["http:\/\/H\/a"])", false, "", ""},
        {R"("d":"13000")", false, "", ""},
        {R"("a_1080p":["http:\/\/H.evil.example\/a&tss=no"],"b1000":["http:\/\/H\/ok&tss=no"])", true,
         "http://H/ok&tss=no", g("高清")},
        {R"("a_1080p":["http:\/\/H:80@evil\/a&tss=no"],"b350":["http:\/\/H\/ok&tss=no"])", true,
         "http://H/ok&tss=no", g("流畅")},
        {R"("a_1080p":["http:\/\/H\/a@b&tss=no"])", false, "", ""},
        {R"("a_1080p":["http:\/\/H\/a b&tss=no"])", false, "", ""},
        {"\"a_1080p\":[\"http:\\/\\/H\\/a\r\nb&tss=no\"]", false, "", ""},
        {"\"a_1080p\":[\"http:\\/\\/H\\/a\x7f&tss=no\"]", false, "", ""},
        {"", false, "", ""},
    };
    for (const ladder_case& c : cases) {
        resolve::stream_choice got = resolve::select_stream(c.descriptor);
        EXPECT_EQ(got.found, c.found) << c.descriptor;
        EXPECT_EQ(got.address, c.address) << c.descriptor;
        EXPECT_EQ(got.label, c.label) << c.descriptor;
    }
}
