#include "sample_site/site_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

#include "sample_site/sample_site.h"

namespace {

using sample_site::load_site_data;
using sample_site::parse_programme;

const sample_site::site_data& shipped() {
    static const auto data = load_site_data(sample_site::server::default_data_folder());
    return data;
}

TEST(ShippedData, EveryVideoOnAPlayPageHasADescriptor) {
    std::set<std::string> ids;
    for (const auto& p : shipped().programmes) {
        ids.insert(p.id);
        for (const auto& episode : p.episodes)
            for (const auto& video : episode) EXPECT_TRUE(shipped().find_descriptor(video.vid)) << video.vid;
    }
    EXPECT_EQ(ids, (std::set<std::string>{"1001", "1002", "1003", "1004", "1005"}));
}

// The quality probes each descriptor holds, compared byte for byte.
TEST(ShippedData, DescriptorsOfferTheirQualitySets) {
    const std::vector<std::string> probes = {"1080p", "720p", "1300", "1000", "350"};
    const std::vector<std::pair<std::string, std::set<std::string>>> table = {
        {"5001", {"1080p", "720p", "1300", "1000", "350"}},
        {"5002", {"720p", "1300"}},
        {"5003", {"1300", "350"}},
        {"5004", {"1000"}},
        {"5005", {}},
        {"5006", {"720p"}},           // and 1080P in capitals
        {"5007", {"1300", "350"}},    // 1300 only inside the duration
        {"5010", {"1080p", "720p", "1000"}},
        {"5101", {"1080p", "720p"}},
        {"5201", {"1080p", "1000"}},
        {"5401", {"1000", "350"}},
        {"5501", {"720p", "1300"}},
    };
    for (const auto& [vid, expected] : table) {
        const auto* text = shipped().find_descriptor(vid);
        ASSERT_TRUE(text) << vid;
        std::set<std::string> found;
        for (const auto& probe : probes)
            if (text->find(probe) != std::string::npos) found.insert(probe);
        EXPECT_EQ(found, expected) << vid;
    }
    EXPECT_NE(shipped().find_descriptor("5006")->find("mp4_1080P"), std::string::npos);
    EXPECT_NE(shipped().find_descriptor("5007")->find("\"duration\":\"13000\""), std::string::npos);
}

TEST(ProgrammeFile, LeftOutFieldsFollowTheEpisodes) {
    const auto p = parse_programme("7", "# comment\nname: 甲\nepisode: 甲 一 | 1 ; 甲 二 | 2\r\nepisode: x | 3\n");
    EXPECT_EQ(p.series_title, "甲");
    EXPECT_EQ(p.type, "tv");
    EXPECT_EQ(p.push_flag, "1");
    EXPECT_EQ(p.total, "2");
    EXPECT_EQ(p.newplay, "2");
    EXPECT_FALSE(p.capitals);
    ASSERT_EQ(p.episodes.size(), 2u);
    ASSERT_EQ(p.episodes[0].size(), 2u);
    EXPECT_EQ(p.episodes[0][1].title, "甲 二");
    EXPECT_EQ(p.episodes[0][1].vid, "2");
}

TEST(ProgrammeFile, EmptyFieldsStayEmpty) {
    const auto p = parse_programme("7", "name: a\ntotal: 0\nnewplay:\nseries title: b: c/d\nepisode: t | 1\n");
    EXPECT_EQ(p.total, "0");
    EXPECT_EQ(p.newplay, "");
    EXPECT_EQ(p.series_title, "b: c/d");
}

TEST(ProgrammeFile, MistakesAreReported) {
    const std::vector<std::pair<std::string, std::string>> table = {
        {"no name", "episode: t | 1\n"},
        {"no episode", "name: a\n"},
        {"no key", "name: a\njust words\nepisode: t | 1\n"},
        {"unknown key", "name: a\ncolour: red\nepisode: t | 1\n"},
        {"episode without vid", "name: a\nepisode: t\n"},
        {"vid of two words", "name: a\nepisode: t | 1 2\n"},
        {"empty vid", "name: a\nepisode: t | \n"},
        {"spelling", "name: a\nspelling: loud\nepisode: t | 1\n"},
    };
    for (const auto& [what, text] : table) EXPECT_THROW(parse_programme("7", text), std::runtime_error) << what;
}

TEST(DataFolder, DescriptorsMustBeAscii) {
    const auto folder = std::filesystem::temp_directory_path() / ("site_data_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "programmes");
    std::filesystem::create_directories(folder / "v_xml");
    std::ofstream(folder / "programmes" / "1.txt") << "name: a\nepisode: t | 9\n";
    std::ofstream(folder / "v_xml" / "9.xml") << "{\"title\":\"\\u4e2d\"}\n";
    const auto data = load_site_data(folder);
    EXPECT_EQ(*data.find_descriptor("9"), "{\"title\":\"\\u4e2d\"}");  // the final line break goes

    std::ofstream(folder / "v_xml" / "9.xml") << "{\"title\":\"中\"}";
    EXPECT_THROW(load_site_data(folder), std::runtime_error);
    std::filesystem::remove_all(folder);
    EXPECT_THROW(load_site_data(folder), std::runtime_error);
}

}  // namespace
