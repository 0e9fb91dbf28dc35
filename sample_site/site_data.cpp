#include "sample_site/site_data.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace sample_site {
namespace {

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> split(std::string_view s, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = s.find(separator);
        parts.push_back(s.substr(0, at));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + separator.size());
    }
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

[[noreturn]] void fail(std::string_view id, int line, const std::string& what) {
    throw std::runtime_error("programme " + std::string(id) + ", line " + std::to_string(line) + ": " +
                             what);
}

// "title | vid ; title | vid"
std::vector<video_entry> parse_episode(std::string_view id, int line, std::string_view value) {
    std::vector<video_entry> videos;
    for (const auto part : split(value, ";")) {
        const auto fields = split(part, "|");
        if (fields.size() != 2) fail(id, line, "an episode is \"title | vid\", several joined by \";\"");
        const auto vid = trim(fields[1]);
        if (vid.empty() || vid.find_first_of(" \t") != std::string_view::npos)
            fail(id, line, "a video id is one word");
        videos.push_back({std::string(trim(fields[0])), std::string(vid)});
    }
    return videos;
}

}  // namespace

programme parse_programme(std::string_view id, std::string_view text) {
    programme p;
    p.id = id;
    std::optional<std::string> name, series_title, total, newplay;
    p.type = "tv";
    p.push_flag = "1";
    int line_number = 0;
    for (const auto raw : split(text, "\n")) {
        ++line_number;
        const auto line = trim(raw);
        if (line.empty() || line.front() == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) fail(id, line_number, "expected \"key: value\"");
        const auto key = trim(line.substr(0, colon));
        const std::string value(trim(line.substr(colon + 1)));
        if (key == "name") name = value;
        else if (key == "series title") series_title = value;
        else if (key == "type") p.type = value;
        else if (key == "push flag") p.push_flag = value;
        else if (key == "total") total = value;
        else if (key == "newplay") newplay = value;
        else if (key == "spelling") {
            if (value != "capitals" && value != "lower case")
                fail(id, line_number, "spelling is \"capitals\" or \"lower case\"");
            p.capitals = value == "capitals";
        } else if (key == "episode") p.episodes.push_back(parse_episode(id, line_number, value));
        else fail(id, line_number, "unknown key \"" + std::string(key) + "\"");
    }
    if (!name || name->empty()) fail(id, line_number, "no name");
    if (p.episodes.empty()) fail(id, line_number, "no episode");
    p.name = *name;
    p.series_title = series_title.value_or(p.name);
    const auto count = std::to_string(p.episodes.size());
    p.total = total.value_or(count);
    p.newplay = newplay.value_or(count);
    return p;
}

site_data load_site_data(const std::filesystem::path& folder) {
    site_data data;
    const auto programmes = folder / "programmes";
    const auto descriptors = folder / "v_xml";
    if (!std::filesystem::is_directory(programmes) || !std::filesystem::is_directory(descriptors))
        throw std::runtime_error(folder.string() + " holds no programmes/ and v_xml/ folders");

    for (const auto& entry : std::filesystem::directory_iterator(programmes)) {
        if (entry.path().extension() != ".txt") continue;
        data.programmes.push_back(parse_programme(entry.path().stem().string(), read_file(entry.path())));
    }
    std::sort(data.programmes.begin(), data.programmes.end(),
              [](const programme& a, const programme& b) { return a.id < b.id; });

    for (const auto& entry : std::filesystem::directory_iterator(descriptors)) {
        if (entry.path().extension() != ".xml") continue;
        auto text = read_file(entry.path());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            throw std::runtime_error(entry.path().string() + ": descriptors are ASCII; write \\uXXXX escapes");
        data.descriptors.emplace(entry.path().stem().string(), std::move(text));
    }
    return data;
}

const programme* site_data::find_programme(std::string_view id) const {
    for (const auto& p : programmes)
        if (p.id == id) return &p;
    return nullptr;
}

const std::string* site_data::find_descriptor(std::string_view vid) const {
    const auto it = descriptors.find(std::string(vid));
    return it == descriptors.end() ? nullptr : &it->second;
}

}  // namespace sample_site
