#include <boost/regex.hpp>

#include <locale>

#include "common/text_ops.h"

namespace common {

struct compiled_pattern {
    boost::regex regex;
};

regex_object::regex_object() = default;
regex_object::~regex_object() = default;
regex_object::regex_object(regex_object&&) noexcept = default;
regex_object& regex_object::operator=(regex_object&&) noexcept = default;
void regex_object::reset(std::unique_ptr<compiled_pattern> pattern) { pattern_ = std::move(pattern); }

void regex_init(regex_object& object) { object.reset(nullptr); }
void regex_free(regex_object& object) { object.reset(nullptr); }
void match_free(match_list& matches) { match_list().swap(matches); }

bool regex_compile(regex_object& object, std::string_view pattern, bool case_sensitive) {
    auto compiled = std::make_unique<compiled_pattern>();
    // The classic locale: case folding touches ASCII letters only, never GBK bytes.
    compiled->regex.imbue(std::locale::classic());
    boost::regex::flag_type flags = boost::regex::perl;
    if (!case_sensitive) flags |= boost::regex::icase;
    try {
        compiled->regex.assign(pattern.begin(), pattern.end(), flags);
    } catch (const std::exception&) {
        return false;
    }
    object.reset(std::move(compiled));
    return true;
}

namespace {

pattern_match record(const boost::match_results<std::string_view::const_iterator>& found,
                     std::string_view::const_iterator text_begin) {
    pattern_match match;
    match.groups.resize(found.size());
    for (std::size_t g = 0; g < found.size(); ++g) {
        if (!found[g].matched) continue;
        match.groups[g].offset = static_cast<int>(found[g].first - text_begin);
        match.groups[g].length = static_cast<int>(found[g].length());
        match.groups[g].matched = true;
    }
    return match;
}

}  // namespace

match_list regex_find_all(const regex_object& object, std::string_view text) {
    match_list matches;
    if (!object.holds_pattern()) return matches;
    const boost::regex& regex = object.pattern()->regex;
    // Each search starts afresh where the last match ended, so `^` and `\b`
    // take that point as the start of the text (no match_prev_avail).
    auto from = text.begin();
    boost::match_results<std::string_view::const_iterator> found;
    try {
        while (boost::regex_search(from, text.end(), found, regex, boost::match_default)) {
            matches.push_back(record(found, text.begin()));
            const auto end = found[0].second;
            if (end == text.begin()) break;
            if (end == found[0].first) {  // an empty match: move on a byte
                if (end == text.end()) break;
                from = end + 1;
            } else {
                from = end;
            }
        }
    } catch (const std::exception&) {
        // Boost gives up on a search whose cost explodes (a page made to
        // defeat the pattern) or that runs out of memory; the matches found so
        // far stand.
    }
    return matches;
}

std::string match_group_text(const pattern_match& match, std::string_view text, int group) {
    if (group < 0 || static_cast<std::size_t>(group) >= match.groups.size()) return {};
    const match_group& g = match.groups[static_cast<std::size_t>(group)];
    if (!g.matched || g.length <= 0) return {};
    return text_mid(text, g.offset + 1, g.length);
}

}  // namespace common
