#include "sample_site/kept_connections.h"

#include <cctype>

#include "sample_site/request_log.h"

namespace sample_site {
namespace {

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The name of a header line ("Name: value"), empty for a line without ':'.
std::string_view line_name(std::string_view line) {
    const auto colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view() : line.substr(0, colon);
}

std::string_view line_value(std::string_view line) {
    line.remove_prefix(line.find(':') + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

}  // namespace

bool asks_to_keep(const logged_request& request) {
    const std::string_view line = request.request_line;
    if (!line.ends_with(" HTTP/1.1")) return false;
    return !same_ignoring_case(header_value(request, "Connection"), "close");
}

bool make_answer_keepable(std::string& answer, std::size_t head_size) {
    // The status line stays; each header line is looked at on its own.
    std::string head;
    bool has_length = false;
    std::size_t start = answer.find("\r\n");
    if (start == std::string::npos || start + 2 > head_size) return false;
    head = answer.substr(0, start + 2);
    start += 2;
    while (start + 2 < head_size) {
        const std::size_t end = answer.find("\r\n", start);
        if (end == std::string::npos || end + 2 > head_size) return false;
        const std::string_view line(answer.data() + start, end - start);
        const std::string_view name = line_name(line);
        if (same_ignoring_case(name, "Transfer-Encoding")) return false;
        if (same_ignoring_case(name, "Content-Length")) has_length = true;
        if (!same_ignoring_case(name, "Connection") || !same_ignoring_case(line_value(line), "close")) {
            head.append(line);
            head += "\r\n";
        }
        start = end + 2;
    }
    if (!has_length) return false;
    answer.replace(0, head_size - 2, head);
    return true;
}

}  // namespace sample_site
