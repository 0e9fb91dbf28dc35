#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <thread>

#include "common/code_page.h"
#include "tests/system_support.h"
#include "tests/web/site_fixture.h"
#include "web/site_hosts.h"

namespace {

TEST(SiteHosts, TheFourAddressesUseTheirHosts) {
    const web::site_hosts saved = web::current_hosts();
    web::replace_hosts_for_testing({"site.test:81", "search.test", "10.0.0.1"});
    EXPECT_EQ(web::search_page_url("%E4%B8%AD"), "http://search.test/s?wd=%E4%B8%AD");
    EXPECT_EQ(web::series_page_url("123"), "http://search.test/tv/123.html");
    EXPECT_EQ(web::play_page_url("123", 12), "http://site.test:81/ptv/pplay/123/12.html");
    EXPECT_EQ(web::play_page_url("123", 1000000), "http://site.test:81/ptv/pplay/123/1000000.html");
    EXPECT_EQ(web::descriptor_url("v9"), "http://site.test:81/v_xml/v9.xml");
    EXPECT_EQ(web::current_hosts().stream, "10.0.0.1");
    web::replace_hosts_for_testing(saved);
}

TEST(SiteHosts, ReadersSeeOneWholeSetWhileTestsReplaceIt) {
    const web::site_hosts saved = web::current_hosts();
    const std::string a(200, 'a'), b(300, 'b');
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) web::replace_hosts_for_testing(i % 2 ? web::site_hosts{a, a, a} : web::site_hosts{b, b, b});
        done = true;
    });
    int mixed = 0;
    while (!done) {
        const web::site_hosts h = web::current_hosts();
        mixed += h.site != h.search || h.search != h.stream;
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
    web::replace_hosts_for_testing(saved);
}

TEST(SiteHosts, HostValuesAreANameAndAnOptionalPort) {
    const std::pair<const char*, bool> cases[] = {
        {"example.com", true},     {"a", true},
        {"127.0.0.1:8642", true},  {"my-host.test:1", true},
        {"X9.Y-z:65535", true},    {"", false},
        {"a b", false},            {"host:0", false},
        {"host:99999", false},     {"host:65536", false},
        {"host:", false},          {":80", false},
        {"http://x", false},       {"host:8a", false},
        {"host:+80", false},       {"host:80:81", false},
        {"host/path", false},      {"h\xC3\xA9te", false},
        {"host:000080", false},    {"[::1]:80", false},
    };
    for (const auto& [value, valid] : cases) EXPECT_EQ(web::is_host_value(value), valid) << value;
}

TEST(SiteHosts, EachSetVariableReplacesItsRoleOrIsRefused) {
    const web::site_hosts built_in{"site.in", "search.in", "stream.in"};
    std::map<std::string, std::string> environment = {
        {"QUORLA_SITE_HOST", "a b"}, {"QUORLA_SEARCH_HOST", "new.search:81"}, {"QUORLA_STREAM_HOST", ""}};
    auto lookup = [&](const char* name) -> std::optional<std::string> {
        auto found = environment.find(name);
        if (found == environment.end()) return std::nullopt;
        return found->second;
    };
    web::chosen_hosts chosen = web::choose_hosts(built_in, lookup);
    EXPECT_EQ(chosen.hosts.site, "site.in");
    EXPECT_EQ(chosen.hosts.search, "new.search:81");
    EXPECT_EQ(chosen.hosts.stream, "stream.in");
    ASSERT_EQ(chosen.refused.size(), 2u);
    EXPECT_EQ(chosen.refused[0].variable, "QUORLA_SITE_HOST");
    EXPECT_EQ(chosen.refused[0].value, "a b");
    EXPECT_EQ(chosen.refused[0].kept, "site.in");
    EXPECT_EQ(chosen.refused[1].variable, "QUORLA_STREAM_HOST");
    EXPECT_EQ(common::convert_gbk_to_utf8(web::refused_hosts_message(chosen.refused)),
              "环境变量 QUORLA_SITE_HOST 的值 “a b” 不是有效的主机名（主机 或 主机:端口），已使用内置值 site.in\n"
              "环境变量 QUORLA_STREAM_HOST 的值 “” 不是有效的主机名（主机 或 主机:端口），已使用内置值 stream.in");

    environment.clear();
    chosen = web::choose_hosts(built_in, lookup);
    EXPECT_EQ(chosen.hosts.site + chosen.hosts.search + chosen.hosts.stream, "site.insearch.instream.in");
    EXPECT_TRUE(chosen.refused.empty());
}

TEST(SiteHosts, TheMessageShowsAValueAsOneShortLine) {
    std::string message = common::convert_gbk_to_utf8(
        web::refused_hosts_message({{"QUORLA_SITE_HOST", "x\ny\x7F" + std::string(200, 'z'), "k", web::host_source::variable, ""}}));
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_NE(message.find("x?y?zzz"), std::string::npos);
    EXPECT_NE(message.find("...”"), std::string::npos);
    EXPECT_LT(std::count(message.begin(), message.end(), 'z'), 100);
}

// The environment as the program starts with it: each valid variable sends
// its role's requests to the sample site, a refused one leaves the built-in.
TEST(SiteHosts, TheEnvironmentPointsEachRoleAtTheSite) {
    const web::site_hosts built_in = web::current_hosts();
    const std::string here = web_test::site().host();
    struct role_case {
        const char* variable;
        std::string web::site_hosts::*role;
        std::string (*url)();  // a request that goes to the role's host; none for the stream
        const char* request_line;
    };
    const role_case cases[] = {
        {"QUORLA_SITE_HOST", &web::site_hosts::site, [] { return web::descriptor_url("5201"); }, "GET /v_xml/5201.xml HTTP/1.1"},
        {"QUORLA_SEARCH_HOST", &web::site_hosts::search, [] { return web::series_page_url("1001"); }, "GET /tv/1001.html HTTP/1.1"},
        {"QUORLA_STREAM_HOST", &web::site_hosts::stream, nullptr, ""},
    };
    for (const role_case& c : cases) {
        for (const role_case& other : cases) test_support::set_environment(other.variable, "host:0");
        test_support::set_environment(c.variable, here);
        EXPECT_EQ(web::take_hosts_from_environment().size(), 2u) << c.variable;
        web::site_hosts expected = built_in;
        expected.*c.role = here;
        const web::site_hosts now = web::current_hosts();
        EXPECT_EQ(now.site + " " + now.search + " " + now.stream,
                  expected.site + " " + expected.search + " " + expected.stream);
        if (c.url == nullptr) continue;
        web_test::site().clear_log();
        web::fetch_page_text(c.url());
        auto seen = web_test::site().requests();
        ASSERT_EQ(seen.size(), 1u) << c.variable;
        EXPECT_EQ(seen[0].request_line, c.request_line);
    }
    for (const role_case& c : cases) test_support::set_environment(c.variable, std::nullopt);
    web::replace_hosts_for_testing(built_in);
}

}  // namespace
