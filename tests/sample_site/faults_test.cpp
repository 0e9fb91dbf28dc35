// Each fault mode as a client meets it, and a prompt stop while faults run.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "sample_site/faults.h"
#include "sample_site/sample_site.h"
#include "site_client.h"

namespace {

using namespace site_test;
using sample_site::fault;
using clock_type = std::chrono::steady_clock;

class Faults : public ::testing::Test {
protected:
    std::unique_ptr<sample_site::server> site = std::make_unique<sample_site::server>();
    int port() const { return site->port(); }
    std::string normal(std::string_view target) { return get(port(), target).body; }
};

TEST_F(Faults, RefuseClosesUnansweredAndOnlyWhereItsPrefixFits) {
    site->set_fault(fault::refuse, "/v_xml/");
    const auto refused = roundtrip(port(), get_request("/v_xml/5001.xml"));
    EXPECT_TRUE(refused.bytes.empty());
    EXPECT_TRUE(refused.closed || refused.reset);
    EXPECT_EQ(get(port(), "/tv/1001.html").status, 200);
    EXPECT_EQ(site->requests().size(), 2u);

    site->set_fault(fault::refuse);
    EXPECT_TRUE(roundtrip(port(), get_request("/tv/1001.html")).bytes.empty());
    EXPECT_EQ(site->requests().size(), 2u);  // closed before the request was read
    EXPECT_EQ(site->connection_count(), 3u);

    site->clear_faults();
    EXPECT_EQ(get(port(), "/v_xml/5001.xml").status, 200);
}

TEST_F(Faults, TheLongestFittingPrefixDecides) {
    site->set_fault(fault::redirect_loop, "/ptv/");
    site->set_fault(fault::hostile_patterns, "/ptv/pplay/1002/");
    site->set_fault(fault::nul_bytes, "/ptv/pplay/1001/");
    EXPECT_EQ(get(port(), "/ptv/pplay/1003/1.html").status, 302);
    EXPECT_NE(get(port(), "/ptv/pplay/1002/1.html").body.find("vid:vid:vid:"), std::string::npos);
    EXPECT_NE(get(port(), "/ptv/pplay/1001/1.html").body.find('\0'), std::string::npos);

    site->set_fault(fault::none, "/ptv/pplay/1001/");
    EXPECT_EQ(get(port(), "/ptv/pplay/1001/1.html").status, 302);
}

TEST_F(Faults, ResetMidBodySendsHalfThenResets) {
    const auto whole = normal("/ptv/pplay/1001/1.html");
    site->set_fault(fault::reset_mid_body);
    const auto answer = roundtrip(port(), get_request("/ptv/pplay/1001/1.html"));
    EXPECT_TRUE(answer.reset);
    const auto head_end = answer.bytes.find("\r\n\r\n");
    ASSERT_NE(head_end, std::string::npos);
    const auto got = answer.bytes.substr(head_end + 4);
    EXPECT_NE(answer.bytes.find("Content-Length: " + std::to_string(whole.size())), std::string::npos);
    EXPECT_GT(got.size(), 0u);
    EXPECT_LT(got.size(), whole.size());
    EXPECT_EQ(got, whole.substr(0, got.size()));
}

TEST_F(Faults, NeverAnswerHoldsTheConnection) {
    site->set_fault(fault::never_answer, "/s");
    const auto answer = roundtrip(port(), get_request("/s?wd="), 300ms);
    EXPECT_TRUE(answer.timed_out);
    EXPECT_TRUE(answer.bytes.empty());
    ASSERT_EQ(site->requests().size(), 1u);  // read and logged all the same
}

TEST_F(Faults, DripSendsAFewBytesAtATime) {
    site->set_fault(fault::drip);
    const int fd = connect_to(port());
    const auto request = get_request("/empty");
    ::send(fd, request.data(), request.size(), 0);
    const auto start = clock_type::now();
    pollfd ready{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 1000), 1);
    const auto first = read_answer(fd, 60ms, 1000);  // pieces come 100 ms apart
    EXPECT_GT(first.bytes.size(), 0u);
    EXPECT_LE(first.bytes.size(), 32u);
    const auto rest = read_answer(fd, 2s, 1000);
    const auto whole = first.bytes + rest.bytes;
    EXPECT_TRUE(rest.closed);
    EXPECT_EQ(parse(whole).status, 200);
    EXPECT_GE(clock_type::now() - start, 100ms * (whole.size() / 16 - 1));
    ::close(fd);
}

TEST_F(Faults, HugeBodyIsStreamed) {
    site->set_fault(fault::huge_body);
    const int fd = connect_to(port());
    const auto request = get_request("/ptv/pplay/1001/1.html");
    ::send(fd, request.data(), request.size(), 0);
    const auto answer = read_answer(fd, 2s, 4 << 20);
    EXPECT_EQ(parse(answer.bytes).header("Content-Length"), "314572800");
    EXPECT_EQ(answer.bytes.size(), 4u << 20);
    ::close(fd);

    site->set_huge_body_size(1 << 20);
    const auto small = parse(roundtrip(port(), request).bytes);
    EXPECT_EQ(small.body.size(), 1u << 20);
    EXPECT_EQ(small.body.substr(0, 3), "<p>");
}

TEST_F(Faults, InvalidUtf8AndNulBytesRewriteTheOrdinaryBody) {
    const auto whole = normal("/ptv/pplay/1001/1.html");
    const auto at = sample_site::middle_break(whole);
    const std::string bad(sample_site::invalid_utf8_block);

    site->set_fault(fault::invalid_utf8);
    const auto broken = get(port(), "/ptv/pplay/1001/1.html");
    EXPECT_EQ(broken.body, bad + whole.substr(0, at) + bad + whole.substr(at) + bad);
    EXPECT_EQ(broken.header("Content-Length"), std::to_string(broken.body.size()));

    site->set_fault(fault::nul_bytes);
    const auto zeros = get(port(), "/ptv/pplay/1001/1.html");
    EXPECT_EQ(zeros.body, whole.substr(0, at) + '\0' + whole.substr(at) + '\0');
    EXPECT_EQ(zeros.header("Content-Length"), std::to_string(zeros.body.size()));
}

TEST_F(Faults, RedirectLoopPointsAtItself) {
    site->set_fault(fault::redirect_loop);
    const auto answer = get(port(), "/tv/1001.html?a=1");
    EXPECT_EQ(answer.status, 302);
    EXPECT_EQ(answer.header("Location"), "/tv/1001.html?a=1");
}

TEST_F(Faults, OversizedHeadersEndWithACookie) {
    const auto whole = normal("/s?wd=");
    site->set_fault(fault::oversized_headers);
    const auto answer = get(port(), "/s?wd=");
    EXPECT_GT(answer.head.size(), 64u * 1024);
    EXPECT_TRUE(answer.head.ends_with("\r\nSet-Cookie: after_padding=1; path=/\r\n"));
    EXPECT_EQ(answer.headers("Set-Cookie").size(), 2u);  // the page's own session cookie too
    EXPECT_EQ(answer.body, whole);
}

// The first genuine match is found, then the matcher gives up.
TEST_F(Faults, HostilePagesDefeatBothPatterns) {
    site->set_fault(fault::hostile_patterns);
    const auto page = get(port(), "/s?wd=").body;
    EXPECT_EQ(page, get(port(), "/ptv/pplay/1001/1.html").body);
    for (const auto* pattern : {&hit_pattern(), &vid_pattern()}) {
        std::size_t found = 0;
        auto from = page.begin();
        boost::smatch m;
        EXPECT_THROW(
            while (boost::regex_search(from, page.end(), m, *pattern)) {
                ++found;
                from = m[0].second;
            },
            std::runtime_error);
        EXPECT_EQ(found, 1u);
    }
}

// The faults the hostile-server tests of the client meet, each as a plain
// client sees it.
TEST_F(Faults, HostileHeadersAndIds) {
    site->set_cookie_flood_size(3);
    site->set_slow_head_interval(5ms);
    const auto port_text = std::to_string(port());
    struct row {
        fault mode;
        std::string target;
        std::function<void(const response&)> check;
    };
    const std::vector<row> rows = {
        {fault::cookie_flood, "/v_xml/5001.xml",
         [](const response& r) {
             EXPECT_EQ(r.headers("Set-Cookie"), (std::vector<std::string>{"c0=0", "c1=1", "c2=2"}));
         }},
        {fault::head_over_cap, "/v_xml/5001.xml",
         [](const response& r) {
             EXPECT_GT(r.head.size(), 1u << 20);
             EXPECT_TRUE(r.head.ends_with("\r\nSet-Cookie: after_padding=1; path=/\r\n"));
         }},
        {fault::slow_head, "/v_xml/5001.xml",
         [](const response& r) {
             EXPECT_EQ(r.status, 200);
             EXPECT_EQ(r.body, "slow head");
         }},
        {fault::crlf_in_ids, "/ptv/pplay/1001/1.html",
         [](const response& r) {
             const std::string injected(sample_site::crlf_injection);
             EXPECT_NE(r.body.find("vid:5001" + injected + ",//"), std::string::npos);
             EXPECT_NE(r.body.find("pid:1001" + injected + ",//"), std::string::npos);
         }},
        {fault::redirect_elsewhere, "/v_xml/5001.xml?a=1",
         [&](const response& r) {
             EXPECT_EQ(r.status, 302);
             EXPECT_EQ(r.header("Location"), "http://127.0.0.2:" + port_text + "/v_xml/5001.xml?a=1");
             EXPECT_TRUE(r.headers("Set-Cookie").empty());
         }},
        {fault::redirect_with_user, "/v_xml/5001.xml",
         [&](const response& r) {
             EXPECT_EQ(r.status, 302);
             EXPECT_EQ(r.header("Location"),
                       "http://127.0.0.1:" + port_text + "@127.0.0.2:" + port_text + "/v_xml/5001.xml");
         }},
        {fault::fresh_cookie_names, "/v_xml/5001.xml",
         [&](const response& r) {
             const auto first = r.headers("Set-Cookie");
             ASSERT_EQ(first.size(), sample_site::fresh_cookies_per_answer);
             EXPECT_NE(get(port(), "/v_xml/5001.xml").headers("Set-Cookie").front(), first.front());
         }},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.mode));
        site->set_fault(r.mode);
        r.check(get(port(), r.target));
    }
    EXPECT_EQ(site->second_host(), "127.0.0.2:" + port_text);
}

// The counted cuts cut the first one or two answers after they are set,
// the answers after them whole; the random ones cut as often as asked, at
// points the seed repeats.
TEST_F(Faults, CutsEndAnswersWhereTheyShould) {
    const std::string target = "/v_xml/5001.xml";
    const std::string whole = roundtrip(port(), get_request(target)).bytes;
    // A cut answer is the ordinary one with its length written first, or
    // last for the cuts after whole lines, which end before it.
    const auto parts = *sample_site::split_response(whole);
    const std::string reworked = sample_site::join_response(parts);
    const std::string length_last = sample_site::join_response_length_last(parts);
    const auto head_size = whole.find("\r\n\r\n") + 4;
    const std::string lines = length_last.substr(0, length_last.find("Content-Length:"));
    const std::string length_line = "Content-Length: " + std::to_string(parts.body.size());
    ASSERT_EQ(length_last.find("Content-Length:"), head_size - 4 - length_line.size());
    struct cut_case {
        fault mode;
        std::size_t cut_answers;
        std::string cut;  // what each cut answer sends before the close
    };
    const cut_case cases[] = {
        {fault::cut_after_head_lines_once, 1, lines},
        {fault::cut_after_head_lines_twice, 2, lines},
        {fault::cut_mid_body_twice, 2, reworked.substr(0, head_size + (whole.size() - head_size) / 2)},
    };
    for (const cut_case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        site->set_fault(c.mode);
        for (std::size_t i = 0; i < c.cut_answers; ++i) {
            const auto answer = roundtrip(port(), get_request(target));
            EXPECT_EQ(answer.bytes, c.cut);
            EXPECT_TRUE(answer.closed);
        }
        EXPECT_EQ(roundtrip(port(), get_request(target)).bytes, whole);
    }

    std::vector<std::string> cuts;
    for (const std::uint32_t seed : {7u, 7u}) {
        site->set_fault(fault::head_cut_at_random);
        site->set_random_cuts(1, seed);  // every answer
        std::string these;
        for (int i = 0; i < 4; ++i) {
            const std::string cut = roundtrip(port(), get_request(target)).bytes;
            EXPECT_FALSE(cut.empty());
            EXPECT_TRUE(length_last.starts_with(cut));
            EXPECT_LT(cut.size(), head_size - 1);  // never the empty line
            these += std::to_string(cut.size()) + " ";
        }
        cuts.push_back(these);
    }
    EXPECT_EQ(cuts[0], cuts[1]);
    site->set_fault(fault::body_cut_at_random);
    site->set_random_cuts(1000000, 1);
    EXPECT_EQ(roundtrip(port(), get_request(target)).bytes, whole);
}

TEST_F(Faults, StopIsPromptWhileFaultsAreInProgress) {
    site->set_fault(fault::never_answer, "/s");
    site->set_fault(fault::drip, "/tv/");
    site->set_fault(fault::huge_body, "/ptv/");
    // The server's own threads may still be starting: count once they are steady.
    auto threads_before_clients = thread_count();
    for (int wait = 0; wait < 40; ++wait) {
        std::this_thread::sleep_for(50ms);
        const auto now = thread_count();
        if (now == threads_before_clients && wait >= 2) break;
        threads_before_clients = now;
    }
    std::vector<int> clients;
    for (const auto* target : {"/s?wd=", "/tv/1001.html", "/ptv/pplay/1001/1.html"}) {
        clients.push_back(connect_to(port()));
        const auto request = get_request(target);
        ::send(clients.back(), request.data(), request.size(), 0);
    }
    // Each connection gets its own thread; on a busy machine they may take a while.
    for (int wait = 0; wait < 100 && thread_count() < threads_before_clients + 3; ++wait)
        std::this_thread::sleep_for(50ms);
    std::this_thread::sleep_for(200ms);  // the huge body has filled the socket buffers by now
    EXPECT_EQ(thread_count(), threads_before_clients + 3);

    // A stuck stop would wait for the clients forever; the bound only tells
    // a hang from a busy machine.
    const auto start = clock_type::now();
    site.reset();
    EXPECT_LT(clock_type::now() - start, 10s);
    for (const int fd : clients) ::close(fd);
}

}  // namespace
