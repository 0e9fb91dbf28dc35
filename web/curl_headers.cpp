#include "web/curl_headers.h"

#include <algorithm>

#include "common/text_ops.h"

namespace web {
namespace {

// A header line whose value is blank, which curl would take as "do not
// send this header", written so that curl sends it with its empty value.
std::string as_curl_header(std::string line) {
    const auto colon = line.find(':');
    if (colon != std::string::npos && line.find_first_not_of(" \t", colon + 1) == std::string::npos) {
        line.resize(colon);
        line += ';';
    }
    return line;
}

bool append(header_list& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) return false;
    list.release();
    list.reset(grown);
    return true;
}

}  // namespace

bool is_named(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || (line[name.size()] != ':' && line[name.size()] != ';')) return false;
    return common::same_ignoring_case(line.substr(0, name.size()), name);
}

bool has_header_named(const std::vector<std::string>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return is_named(line, name); });
}

void drop_lines_named(std::vector<std::string>& lines, std::initializer_list<std::string_view> names) {
    std::erase_if(lines, [&](const std::string& line) {
        return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return is_named(line, name); });
    });
}

header_list curl_header_list(const std::vector<std::string>& lines, bool post) {
    header_list list;
    for (const std::string& line : lines) {
        if (!append(list, as_curl_header(line))) return {};
    }
    if (!has_header_named(lines, "Cache-Control") && !append(list, "Cache-Control: no-cache")) return {};
    if (!has_header_named(lines, "Pragma") && !append(list, "Pragma: no-cache")) return {};
    if (!append(list, "Accept:")) return {};
    if (post) {
        for (const char* own : {"Content-Type:", "Content-Length:", "Expect:"}) {
            if (!append(list, own)) return {};
        }
    }
    return list;
}

}  // namespace web
