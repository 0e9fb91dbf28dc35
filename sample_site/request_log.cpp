#include "sample_site/request_log.h"

#include <algorithm>

namespace sample_site {
namespace {

std::string_view trim_blanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool same_ascii_letters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

}  // namespace

logged_request parse_request_head(std::string_view raw_head) {
    logged_request request;
    request.raw_head = raw_head;
    bool first = true;
    while (!raw_head.empty()) {
        auto end = raw_head.find('\n');
        auto line = raw_head.substr(0, end);
        raw_head.remove_prefix(end == std::string_view::npos ? raw_head.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            request.request_line = line;
            first = false;
            continue;
        }
        if (line.empty()) break;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) {
            request.headers.emplace_back(std::string(line), std::string());
        } else {
            request.headers.emplace_back(std::string(line.substr(0, colon)),
                                         std::string(trim_blanks(line.substr(colon + 1))));
        }
    }
    return request;
}

std::string request_target(std::string_view request_line) {
    const auto space = request_line.find(' ');
    if (space == std::string_view::npos) return {};
    auto rest = request_line.substr(space + 1);
    return std::string(rest.substr(0, rest.find(' ')));
}

std::string header_value(const logged_request& request, std::string_view name) {
    for (const auto& [key, value] : request.headers)
        if (same_ascii_letters(key, name)) return value;
    return {};
}

void request_log::add(logged_request request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
}

std::vector<logged_request> request_log::all() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void request_log::clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

}  // namespace sample_site
