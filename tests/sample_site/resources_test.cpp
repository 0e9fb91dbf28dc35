// The four resources and the plain routes, read through the public port.
#include <gtest/gtest.h>
#include <httplib.h>

#include "sample_site/routes.h"
#include "sample_site/sample_site.h"
#include "site_client.h"

namespace {

using namespace site_test;

class Resources : public ::testing::Test {
protected:
    sample_site::server site;
};

std::vector<std::string> hit_ids(const std::string& page) {
    std::vector<std::string> ids;
    for (const auto& groups : find_all(hit_pattern(), page)) ids.push_back(groups[0]);
    return ids;
}

TEST_F(Resources, SearchListsTheProgrammesWhoseNameHoldsTheKeyword) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> table = {
        {"%E6%AF%92", {"1001", "1004"}},  // 毒
        {"%E5%A4%9C", {"1003", "1005"}},  // 夜
        {"%E6%AF%92%E6%88%98", {"1001"}},  // 毒战
        {"", {"1001", "1002", "1003", "1004", "1005"}},
        {"%61%62", {}},
        {"%B6%BE", {}},  // 毒 in GBK, not UTF-8
    };
    for (const auto& [encoded, ids] : table) {
        const auto answer = get(site.port(), "/s?wd=" + encoded);
        EXPECT_EQ(answer.status, 200) << encoded;
        EXPECT_EQ(hit_ids(answer.body), ids) << encoded;
        // A record of another site follows the hits, and only then.
        EXPECT_EQ(answer.body.find("site:'other'") != std::string::npos, !ids.empty()) << encoded;
    }
}

TEST_F(Resources, SearchRecordsCarryTheirFieldsVerbatim) {
    const auto page = get(site.port(), "/s?wd=").body;
    const auto hits = find_all(hit_pattern(), page);
    ASSERT_EQ(hits.size(), 5u);
    // pid, keyWord, pushFlag, type, total, newplay
    EXPECT_EQ(hits[0], (std::vector<std::string>{"1001", "毒战", "1", "tv", "12", "12"}));
    EXPECT_EQ(hits[1], (std::vector<std::string>{"1002", "父子", "1", "tv", "2", "2"}));
    EXPECT_EQ(hits[2], (std::vector<std::string>{"1003", "长夜", "0", "film", "1", "1"}));
    EXPECT_EQ(hits[3], (std::vector<std::string>{"1004", "毒蛇", "1", "tv", "0", "0"}));
    EXPECT_EQ(hits[4], (std::vector<std::string>{"1005", "夜航", "1", "tv", "3", ""}));
    EXPECT_NE(page.find("PID:'1005',KEYWORD:'夜航'"), std::string::npos);
}

TEST_F(Resources, SearchSetsASessionCookieEachTime) {
    const auto first = get(site.port(), "/s?wd=%E6%AF%92");
    const auto second = get(site.port(), "/s?wd=%E6%AF%92");
    EXPECT_EQ(first.header("Set-Cookie"), "session=s1; path=/");
    EXPECT_EQ(second.header("Set-Cookie"), "session=s2; path=/");
}

TEST_F(Resources, SeriesPagesNameTheProgramme) {
    EXPECT_EQ(between(get(site.port(), "/tv/1001.html").body, "title:\"", "\",//视频名称"), "毒战");
    EXPECT_EQ(between(get(site.port(), "/tv/1005.html").body, "title:\"", "\",//视频名称"),
              "夜航: 归途/<特别版> & \"导演剪辑\"");
    const auto missing = get(site.port(), "/tv/9999.html");
    EXPECT_EQ(missing.status, 404);
    EXPECT_NE(missing.body.find("<h1>404"), std::string::npos);
}

TEST_F(Resources, PlayPagesNameTheirVideos) {
    struct row {
        std::string target;
        std::vector<std::string> vids;
        std::string first_title;
    };
    const std::vector<row> table = {
        {"/ptv/pplay/1001/1.html", {"5001"}, "毒战 第1集"},
        {"/ptv/pplay/1001/10.html", {"5010"}, "毒战 第10集"},
        {"/ptv/pplay/1001/12.html", {"5012"}, "毒战 第12集"},
        {"/ptv/pplay/1002/1.html", {"5101", "5102"}, "父子 第1集 上"},
        {"/ptv/pplay/1002/2.html", {"5103", "5104"}, "父子 第2集 上"},
        {"/ptv/pplay/1003/1.html", {"5201"}, "长夜"},
        {"/ptv/pplay/1005/1.html", {"5501"}, "夜航 第1集"},  // VID in capitals
    };
    for (const auto& r : table) {
        const auto answer = get(site.port(), r.target);
        EXPECT_EQ(answer.status, 200) << r.target;
        std::vector<std::string> vids;
        for (const auto& groups : find_all(vid_pattern(), answer.body)) vids.push_back(groups[0]);
        EXPECT_EQ(vids, r.vids) << r.target;
        EXPECT_EQ(between(answer.body, "title:\"", "\",//视频名称"), r.first_title) << r.target;
    }
    EXPECT_NE(get(site.port(), "/ptv/pplay/1002/1.html").body.find("title:\"父子 第1集 下\""), std::string::npos);
    EXPECT_NE(get(site.port(), "/ptv/pplay/1005/1.html").body.find("VID:5501,"), std::string::npos);
}

TEST_F(Resources, PlayPagesOutsideTheProgrammeAreMissing) {
    for (const auto* target : {"/ptv/pplay/1001/13.html", "/ptv/pplay/1001/0.html", "/ptv/pplay/1001/01.html",
                               "/ptv/pplay/1003/2.html", "/ptv/pplay/9999/1.html", "/ptv/pplay/1001/x.html"}) {
        const auto answer = get(site.port(), target);
        EXPECT_EQ(answer.status, 404) << target;
        EXPECT_NE(answer.body.find("404"), std::string::npos) << target;
    }
}

// Every quality member as the client's markers expect it: key ending in the
// probe, then ":["http:\/\/ and the stream host, each address ending in
// &tss=no, every slash written \/.
TEST_F(Resources, DescriptorsNameTheStreamHost) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> table = {
        {"5001", {"1080p", "720p", "1300", "1000", "350"}},
        {"5002", {"720p", "1300"}},
        {"5003", {"1300", "350"}},
        {"5004", {"1000"}},
        {"5005", {}},
        {"5006", {"1080P", "720p"}},  // the probe "1080p" is not in it
        {"5501", {"720p", "1300"}},    // written HTTP:
    };
    const boost::regex member("\"[a-z0-9_]*?(1080p|720p|1300|1000|350)\":\\[\"http:\\\\/\\\\/" +
                                  boost::regex_replace(site.host(), boost::regex("\\."), "\\\\.") +
                                  "\\\\/[^\"]*&tss=no\"",
                              boost::regex::perl | boost::regex::icase);
    for (const auto& [vid, qualities] : table) {
        const auto answer = get(site.port(), "/v_xml/" + vid + ".xml");
        EXPECT_EQ(answer.status, 200) << vid;
        EXPECT_EQ(answer.body.find("{STREAM_HOST}"), std::string::npos);
        EXPECT_EQ(answer.body.find("http://"), std::string::npos) << vid;
        std::vector<std::string> found;
        for (const auto& groups : find_all(member, answer.body)) found.push_back(groups[0]);
        EXPECT_EQ(found, qualities) << vid;
    }
    const auto title = between(get(site.port(), "/v_xml/5201.xml").body, "title\":\"", "\",\"duration");
    EXPECT_EQ(title, R"(\u957f\u591c (It's the \"\u5bfc\u6f14\u526a\u8f91\" cut))");
    EXPECT_EQ(get(site.port(), "/v_xml/9999.xml").status, 404);
}

TEST(StreamHost, AGivenStreamHostIsWrittenIntoDescriptors) {
    sample_site::server site(sample_site::server::default_data_folder(), 0, "10.1.2.3:80");
    EXPECT_EQ(site.stream_host(), "10.1.2.3:80");
    const auto body = get(site.port(), "/v_xml/5004.xml").body;
    EXPECT_NE(body.find(R"("flv_1000":["http:\/\/10.1.2.3:80\/stream\/v5004\/1000.flv?key=hcv5004&tss=no"])"),
              std::string::npos)
        << body;
}

TEST_F(Resources, EveryAnswerClosesTheConnection) {
    for (const auto* target : {"/s?wd=", "/tv/1001.html", "/ptv/pplay/1001/1.html", "/v_xml/5001.xml", "/none",
                               "/r/tv/1001.html", "/empty", "/zero", "/status/500"}) {
        const auto raw = roundtrip(site.port(), "GET " + std::string(target) + " HTTP/1.1\r\nHost: x\r\n\r\n");
        EXPECT_TRUE(raw.closed) << target;
        EXPECT_EQ(parse(raw.bytes).header("Connection"), "close") << target;
    }
}

TEST_F(Resources, RedirectRouteSetsACookieAndLeadsOn) {
    const auto hop = get(site.port(), "/r/ptv/pplay/1001/2.html?x=1");
    EXPECT_EQ(hop.status, 302);
    EXPECT_EQ(hop.header("Location"), "/ptv/pplay/1001/2.html?x=1");
    EXPECT_EQ(hop.header("Set-Cookie"), "hop=1; path=/");

    httplib::Client client("127.0.0.1", site.port());
    client.set_follow_location(true);
    const auto followed = client.Get("/r/ptv/pplay/1001/2.html");
    ASSERT_TRUE(followed);
    EXPECT_EQ(followed->status, 200);
    EXPECT_NE(followed->body.find("vid:5002,//视频ID"), std::string::npos);
}

TEST_F(Resources, CookieRoutesSetAndShowCookies) {
    const auto set = get(site.port(), "/cookies/set?a=1&b=2");
    EXPECT_EQ(set.headers("Set-Cookie"), (std::vector<std::string>{"a=1; path=/", "b=2; path=/"}));
    const auto shown = parse(roundtrip(site.port(), "GET /cookies HTTP/1.1\r\nHost: x\r\nCookie: a=1; b=2\r\n\r\n").bytes);
    EXPECT_EQ(shown.body, "a=1; b=2");
}

TEST_F(Resources, PlainRoutesGiveErrorZeroAndEmptyBodies) {
    const auto error = get(site.port(), "/status/503");
    EXPECT_EQ(error.status, 503);
    EXPECT_NE(error.body.find("<h1>503"), std::string::npos);

    const auto zero = get(site.port(), "/zero");
    EXPECT_EQ(zero.body, std::string(sample_site::zero_route_body, sample_site::zero_route_size));
    EXPECT_EQ(zero.body.size(), 17u);

    const auto empty = get(site.port(), "/empty");
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.header("Content-Length"), "0");
    EXPECT_TRUE(empty.body.empty());

    const auto stream = get(site.port(), "/stream/v5001/1080.mp4?key=fhdv5001&tss=no");
    EXPECT_EQ(stream.status, 200);
}

}  // namespace
