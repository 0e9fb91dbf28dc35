// How long one fetch_page_text takes against two hostile answers of the
// sample site started in this process: a response setting many cookies,
// and a head sent one byte a second under a 5 s idle limit. One line per
// figure; each fetch is made once, as a user would meet it. Then a jar grown
// over 1,000 responses that each set 50 new names: the time so far and the
// jar's size after every 100. An argument "flood", "slow" or "jar" prints
// only those figures.
#include <chrono>
#include <cstdio>
#include <string>

#include "sample_site/faults.h"
#include "sample_site/sample_site.h"
#include "web/cookie_store.h"
#include "web/web_access.h"

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

void cookie_floods(sample_site::server& site, const std::string& url) {
    site.set_fault(sample_site::fault::cookie_flood);
    for (const std::size_t cookies : {500, 1000, 2000, 10000}) {
        web::clear_cookies_for_testing();
        site.set_cookie_flood_size(cookies);
        const auto start = clock_type::now();
        const std::string page = web::fetch_page_text(url);
        const double took = seconds_since(start);
        std::printf("cookie flood %6zu Set-Cookie lines: %8.3f s  (page %zu bytes, %zu cookies held)\n", cookies, took,
                    page.size(), web::stored_cookies_for_testing().size());
        std::fflush(stdout);
    }
}

void slow_head(sample_site::server& site, const std::string& url) {
    web::transfer_limits limits;
    limits.idle = std::chrono::seconds(5);
    web::set_transfer_limits_for_testing(limits);
    site.set_fault(sample_site::fault::slow_head);
    const auto start = clock_type::now();
    const std::string page = web::fetch_page_text(url);
    std::printf("slow head, %zu bytes at 1 byte/s, idle limit 5 s: %8.3f s  (body \"%s\")\n",
                sample_site::slow_head_size, seconds_since(start), page.c_str());
}

void growing_jar(sample_site::server& site, const std::string& url) {
    web::clear_cookies_for_testing();
    site.set_fault(sample_site::fault::fresh_cookie_names);
    constexpr int responses = 1000;
    double run = 0;  // the fetches only: counting the jar is no part of the run
    auto last = clock_type::now();
    for (int i = 1; i <= responses; ++i) {
        web::fetch_page_text(url);
        if (i % 100 != 0) continue;
        const double hundred = seconds_since(last);
        run += hundred;
        std::printf("jar grown over %4d responses of %zu new names: %9.3f s  (last 100: %8.3f s, %zu cookies held)\n",
                    i, sample_site::fresh_cookies_per_answer, run, hundred, web::stored_cookies_for_testing().size());
        std::fflush(stdout);
        last = clock_type::now();
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    sample_site::server site;
    const std::string url = "http://" + site.host() + "/v_xml/5001.xml";
    if (only.empty() || only == "flood") cookie_floods(site, url);
    if (only.empty() || only == "slow") slow_head(site, url);
    if (only.empty() || only == "jar") growing_jar(site, url);
    return 0;
}
