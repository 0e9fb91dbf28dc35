// The programmes and videos the sample site serves, read from its data
// folder (see data/README.md for the file format).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sample_site {

struct video_entry {
    std::string title;  // the title on the play page
    std::string vid;
};

struct programme {
    std::string id;            // the file name without ".txt"
    std::string name;          // as search records give it
    std::string series_title;  // as the series page gives it
    std::string type;
    std::string push_flag;
    std::string total;    // the search record's field, verbatim
    std::string newplay;  // likewise
    bool capitals = false;
    std::vector<std::vector<video_entry>> episodes;  // episode n is episodes[n - 1]
};

struct site_data {
    std::vector<programme> programmes;               // in order of their ids
    std::map<std::string, std::string> descriptors;  // vid -> descriptor template

    const programme* find_programme(std::string_view id) const;
    const std::string* find_descriptor(std::string_view vid) const;
};

// Throws std::runtime_error naming the file and line of the first fault.
site_data load_site_data(const std::filesystem::path& folder);

// One programme file's text; `id` names it in error messages.
programme parse_programme(std::string_view id, std::string_view text);

// Where descriptor templates name the stream server.
inline constexpr std::string_view stream_host_placeholder = "{STREAM_HOST}";

}  // namespace sample_site
