// Every way the site can misbehave ends in an empty body, or one cut at the
// body cap, within the (shortened) limits, never in a hang or a crash.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "sample_site/faults.h"
#include "tests/web/site_fixture.h"
#include "web/cookie_store.h"
#include "web/web_access.h"

using namespace web_test;
using namespace std::chrono_literals;
using sample_site::fault;

namespace {

const std::string small_body = "0123456789abcdefghij";

struct fetched {
    std::string body;
    std::string headers;
    std::chrono::milliseconds took;
};

struct fault_case {
    const char* what;
    fault mode;
    std::string target;
    std::chrono::milliseconds at_most;
    std::function<void(const fetched&)> check;
};

TEST_F(site_test, FaultsEndInAnEmptyOrCappedBody) {
    constexpr auto idle = 400ms;
    web::set_transfer_limits_for_testing({.connect = 1000ms, .idle = idle, .max_body = 1u << 20});
    site().set_huge_body_size(8u << 20);
    const std::string no_answer(2048, ' ');

    const fault_case cases[] = {
        {"refused", fault::refuse, "/t/small", 2s,
         [&](const fetched& f) {
             EXPECT_EQ(f.body, "");
             EXPECT_EQ(f.headers, no_answer);
         }},
        // Asked again on a new connection, and reset again: a part of the
        // body is never handed on as the page.
        {"reset in the middle of the body", fault::reset_mid_body, "/t/half", 3s,
         [&](const fetched& f) {
             EXPECT_EQ(f.body, "");
             EXPECT_EQ(f.headers, no_answer);
             EXPECT_EQ(site().requests().size(), 2u);
         }},
        {"never answered", fault::never_answer, "/t/small", idle + 1500ms,
         [&](const fetched& f) {
             EXPECT_EQ(f.body, "");
             EXPECT_EQ(f.headers, no_answer);
             EXPECT_GE(f.took, idle);
         }},
        {"a slow drip is not a stall", fault::drip, "/t/small", 5s,
         [&](const fetched& f) {
             EXPECT_EQ(f.body, small_body);
             EXPECT_GT(f.took, idle);  // longer than the idle limit in all
         }},
        {"a huge body is cut at the limit", fault::huge_body, "/t/small", 5s,
         [](const fetched& f) {
             ASSERT_EQ(f.body.size(), 1u << 20);
             EXPECT_TRUE(f.body.starts_with(sample_site::huge_body_filler()));
         }},
        {"malformed UTF-8 comes as it was sent", fault::invalid_utf8, "/t/small", 2s,
         [](const fetched& f) { EXPECT_EQ(f.body, sample_site::insert_invalid_utf8(small_body)); }},
        {"zero bytes are kept", fault::nul_bytes, "/t/small", 2s,
         [](const fetched& f) { EXPECT_EQ(f.body, sample_site::insert_nul_bytes(small_body)); }},
        {"a redirect loop is given up with the last answer", fault::redirect_loop, "/t/loop", 3s,
         [](const fetched& f) {
             EXPECT_EQ(f.body, "<a href=\"/t/loop\">again</a>\n");
             EXPECT_TRUE(f.headers.starts_with("HTTP/1.1 302 "));
             EXPECT_EQ(site().requests().size(), 11u);  // the first and ten followed
         }},
        {"a header block of many kilobytes is kept whole", fault::oversized_headers, "/t/small", 2s,
         [&](const fetched& f) {
             EXPECT_EQ(f.body, small_body);
             EXPECT_GT(f.headers.size(), 64u * 1024);
             EXPECT_TRUE(f.headers.ends_with("Set-Cookie: after_padding=1; path=/\r\n\r\n"));
             bool stored = false;
             for (const std::string& line : web::stored_cookies_for_testing())
                 stored |= line.ends_with("\tafter_padding\t1");
             EXPECT_TRUE(stored);
         }},
    };
    for (const fault_case& c : cases) {
        SCOPED_TRACE(c.what);
        site().clear_faults();
        site().clear_log();
        site().set_fault(c.mode, c.target);
        std::string url = site_url(c.target);
        fetched f;
        const auto started = std::chrono::steady_clock::now();
        f.body = as_string(web::网页_访问(url, 0, {}, nullptr, {}, {}, 0, &f.headers));
        f.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        EXPECT_LE(f.took, c.at_most);
        c.check(f);
    }
}

}  // namespace
