#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

}  // namespace
