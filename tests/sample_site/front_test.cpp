// The public port: the request log, added routes, start and stop.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <filesystem>

#include "sample_site/sample_site.h"
#include "site_client.h"

namespace {

using namespace site_test;
using header_list = std::vector<std::pair<std::string, std::string>>;

TEST(RequestLog, KeepsHeadersInTheOrderAndSpellingReceived) {
    sample_site::server site;
    const std::string head =
        "GET /tv/1001.html HTTP/1.1\r\n"
        "Zeta: last letter\r\n"
        "accept: */*\r\n"
        "Host: 127.0.0.1\r\n"
        "X-Twice: 1\r\n"
        "Referer:   http://127.0.0.1/tv/1001.html  \r\n"
        "X-Twice: 2\r\n"
        "\r\n";
    EXPECT_EQ(parse(roundtrip(site.port(), head).bytes).status, 200);

    const auto log = site.requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].request_line, "GET /tv/1001.html HTTP/1.1");
    EXPECT_EQ(log[0].headers, (header_list{{"Zeta", "last letter"},
                                           {"accept", "*/*"},
                                           {"Host", "127.0.0.1"},
                                           {"X-Twice", "1"},
                                           {"Referer", "http://127.0.0.1/tv/1001.html"},
                                           {"X-Twice", "2"}}));
    EXPECT_EQ(log[0].raw_head, head);
    EXPECT_TRUE(log[0].body.empty());
}

TEST(RequestLog, KeepsBodiesAndOrderOfRequests) {
    sample_site::server site;
    site.routes().Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.body, "text/plain");
    });
    roundtrip(site.port(), get_request("/v_xml/5001.xml"));
    const auto echoed =
        parse(roundtrip(site.port(), "POST /echo HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc").bytes);
    EXPECT_EQ(echoed.body, "abc");
    roundtrip(site.port(), "GET /empty HTTP/1.0\n\n");  // bare line feeds

    const auto log = site.requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].request_line, "GET /v_xml/5001.xml HTTP/1.1");
    EXPECT_EQ(log[1].body, "abc");
    EXPECT_EQ(log[2].request_line, "GET /empty HTTP/1.0");
    EXPECT_EQ(site.connection_count(), 3u);

    site.clear_log();
    EXPECT_TRUE(site.requests().empty());
}

TEST(AddedRoutes, AreReachedThroughThePublicPort) {
    sample_site::server site;
    site.routes().Get("/headers", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value("X-Probe"), "text/plain");
    });
    httplib::Client client("127.0.0.1", site.port());
    const auto answer = client.Get("/headers", {{"X-Probe", "seen"}});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, "seen");
    EXPECT_EQ(answer->get_header_value("Connection"), "close");
}

TEST(Start, EachServerHasItsOwnPort) {
    sample_site::server a;
    sample_site::server b;
    EXPECT_GT(a.port(), 0);
    EXPECT_NE(a.port(), b.port());
    EXPECT_EQ(a.host(), "127.0.0.1:" + std::to_string(a.port()));
    EXPECT_EQ(a.stream_host(), a.host());
    EXPECT_THROW(sample_site::server(sample_site::server::default_data_folder(), a.port()), std::runtime_error);
    EXPECT_THROW(sample_site::server("/nonexistent/folder"), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(sample_site::server::default_data_folder()));
}

TEST(Start, OverlongRequestHeadsAreTurnedAway) {
    sample_site::server site;
    const std::string head = "GET / HTTP/1.1\r\nX-Long: " + std::string(1100 * 1024, 'a') + "\r\n\r\n";
    EXPECT_EQ(parse(roundtrip(site.port(), head).bytes).status, 431);
}

TEST(Stop, LeavesNoThreadAndNoListener) {
    const auto threads = thread_count();
    int port = 0;
    {
        sample_site::server site;
        port = site.port();
        for (int i = 0; i < 5; ++i) get(site.port(), "/s?wd=");
    }
    EXPECT_EQ(thread_count(), threads);
    EXPECT_EQ(connect_to(port), -1);
}

}  // namespace
