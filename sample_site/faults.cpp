#include "sample_site/faults.h"

#include <algorithm>

namespace sample_site {

void fault_table::set(fault mode, std::string prefix) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const auto& entry) { return entry.first == prefix; });
    if (mode != fault::none) entries_.emplace_back(std::move(prefix), mode);
    if (mode == fault::cut_mid_head_once || mode == fault::cut_mid_body_once ||
        mode == fault::cut_after_head_lines_once || mode == fault::garbage_on_reuse_once)
        cuts_left_ = 1;
    if (mode == fault::cut_after_head_lines_twice || mode == fault::cut_mid_body_twice) cuts_left_ = 2;
}

bool fault_table::take_cut(fault mode, bool reused) const {
    switch (mode) {
    case fault::garbage_on_reuse_once:
        if (!reused) return false;
        [[fallthrough]];
    case fault::cut_mid_head_once:
    case fault::cut_mid_body_once:
    case fault::cut_after_head_lines_once:
    case fault::cut_after_head_lines_twice:
    case fault::cut_mid_body_twice: {
        int left = cuts_left_.load();
        while (left > 0 && !cuts_left_.compare_exchange_weak(left, left - 1)) {
        }
        return left > 0;
    }
    case fault::garbage_on_reuse_at_random:
        if (!reused) return false;
        [[fallthrough]];
    case fault::head_cut_at_random:
    case fault::body_cut_at_random: {
        std::lock_guard lock(mutex_);
        return draws_() % one_in_ == 0;
    }
    default:
        return false;
    }
}

void fault_table::set_random_cuts(unsigned one_in, std::uint32_t seed) {
    std::lock_guard lock(mutex_);
    one_in_ = one_in == 0 ? 1 : one_in;
    draws_.seed(seed);
}

std::uint32_t fault_table::draw() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(draws_());
}

bool cuts_length_last(fault mode) {
    return mode == fault::cut_after_head_lines_once || mode == fault::cut_after_head_lines_twice ||
           mode == fault::head_cut_at_random;
}

bool cuts_answers(fault mode) {
    switch (mode) {
    case fault::cut_mid_head_once:
    case fault::cut_mid_body_once:
    case fault::cut_after_head_lines_once:
    case fault::cut_after_head_lines_twice:
    case fault::cut_mid_body_twice:
    case fault::garbage_on_reuse_once:
    case fault::head_cut_at_random:
    case fault::body_cut_at_random:
    case fault::garbage_on_reuse_at_random:
        return true;
    default:
        return false;
    }
}

std::size_t cut_point(fault mode, std::string_view answer, std::uint32_t draw) {
    const std::size_t head_size = answer.find("\r\n\r\n") + 4;
    const std::size_t body_size = answer.size() - head_size;
    switch (mode) {
    case fault::cut_mid_head_once:
        return head_size / 2;
    case fault::cut_after_head_lines_once:
    case fault::cut_after_head_lines_twice:
        return answer.rfind("\r\n", head_size - 5) + 2;
    case fault::head_cut_at_random: {
        if (draw % 2 == 0) {
            // After one of the header lines, the status line included.
            std::vector<std::size_t> line_ends;
            for (std::size_t at = answer.find("\r\n"); at + 2 <= head_size - 2; at = answer.find("\r\n", at + 2))
                line_ends.push_back(at + 2);
            return line_ends[(draw / 2) % line_ends.size()];
        }
        return 1 + (draw / 2) % (head_size - 3);
    }
    case fault::body_cut_at_random:
        return head_size + (body_size == 0 ? 0 : draw % body_size);
    default:  // half way through the body
        return head_size + body_size / 2;
    }
}

void fault_table::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

fault fault_table::find(std::string_view target) const {
    std::lock_guard lock(mutex_);
    const std::pair<std::string, fault>* best = nullptr;
    for (const auto& entry : entries_) {
        if (target.starts_with(entry.first) && (!best || entry.first.size() > best->first.size()))
            best = &entry;
    }
    return best ? best->second : fault::none;
}

bool fault_table::refuses_everything() const {
    std::lock_guard lock(mutex_);
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const auto& entry) { return entry.first.empty() && entry.second == fault::refuse; });
}

std::optional<http_response> split_response(std::string_view bytes) {
    const auto end = bytes.find("\r\n\r\n");
    if (end == std::string_view::npos) return std::nullopt;
    return http_response{std::string(bytes.substr(0, end + 2)), std::string(bytes.substr(end + 4))};
}

std::string join_response(const http_response& response) {
    // Content-Length goes right after the status line, so whatever lines
    // the head ends with stay at its end.
    std::string head;
    std::string_view rest = response.head;
    bool status_line = true;
    while (!rest.empty()) {
        const auto end = rest.find("\r\n");
        const auto line = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 2);
        rest.remove_prefix(line.size());
        const bool length_line = line.size() >= 15 && std::equal(line.begin(), line.begin() + 15,
                                                                  "content-length:", [](char a, char b) {
                                                                      return (a | 0x20) == b;
                                                                  });
        if (!length_line) head += line;
        if (status_line) head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        status_line = false;
    }
    return head + "\r\n" + response.body;
}

std::string join_response_length_last(const http_response& response) {
    const std::string joined = join_response(response);
    const auto length_line = joined.find("\r\n") + 2;
    const auto length_end = joined.find("\r\n", length_line) + 2;
    const auto head_end = joined.find("\r\n\r\n") + 2;
    return joined.substr(0, length_line) + joined.substr(length_end, head_end - length_end) +
           joined.substr(length_line, length_end - length_line) + joined.substr(head_end);
}

std::size_t middle_break(std::string_view body) {
    const auto middle = body.size() / 2;
    const auto line_break = body.find('\n', middle);
    return line_break == std::string_view::npos ? middle : line_break + 1;
}

std::string insert_invalid_utf8(std::string body) {
    const auto at = middle_break(body);
    return std::string(invalid_utf8_block) + body.substr(0, at) + std::string(invalid_utf8_block) +
           body.substr(at) + std::string(invalid_utf8_block);
}

std::string insert_nul_bytes(std::string body) {
    const auto at = middle_break(body);
    body.insert(at, 1, '\0');
    body.push_back('\0');
    return body;
}

std::string oversized_header_lines(std::size_t count) {
    std::string lines;
    const std::string padding(1000, 'x');
    for (std::size_t i = 0; i < count; ++i) lines += "X-Padding-" + std::to_string(i) + ": " + padding + "\r\n";
    lines += "Set-Cookie: after_padding=1; path=/\r\n";
    return lines;
}

std::string cookie_flood_lines(std::size_t count) {
    std::string lines;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        lines += "Set-Cookie: c" + n + "=" + n + "\r\n";
    }
    return lines;
}

std::string fresh_cookie_lines(std::size_t count) {
    static std::atomic<std::uint64_t> next{0};
    const std::uint64_t first = next.fetch_add(count);
    std::string lines;
    for (std::uint64_t k = first; k < first + count; ++k)
        lines += "Set-Cookie: f" + std::to_string(k) + "=1; path=/\r\n";
    return lines;
}

std::string insert_crlf_in_ids(std::string_view body) {
    std::string out;
    std::size_t i = 0;
    while (i < body.size()) {
        const auto rest = body.substr(i);
        std::size_t marker = 0;
        for (const std::string_view name : {"vid:", "pid:", "vid:'", "pid:'"}) {
            const bool fits = rest.size() >= name.size() &&
                              std::equal(name.begin(), name.end(), rest.begin(),
                                         [](char a, char b) { return a == (b | 0x20) || a == b; });
            if (fits) marker = name.size();
        }
        if (marker == 0) {
            out += body[i++];
            continue;
        }
        std::size_t end = i + marker;
        while (end < body.size() && body[end] >= '0' && body[end] <= '9') ++end;
        out += body.substr(i, end - i);
        if (end > i + marker) out += crlf_injection;
        i = end;
    }
    return out;
}

namespace {

const char* reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    default: return "Status";
    }
}

}  // namespace

std::string make_response(int status, std::string_view content_type, std::string_view body,
                          std::string_view extra_headers) {
    std::string response = "HTTP/1.1 " + std::to_string(status) + " " + reason(status) + "\r\n";
    response += extra_headers;
    response += "Content-Type: " + std::string(content_type) + "\r\n";
    response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n";
    response += body;
    return response;
}

std::string huge_body_head(std::uint64_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(length) + "\r\nConnection: close\r\n\r\n";
}

std::string_view huge_body_filler() {
    static const std::string filler = [] {
        const std::string_view line = "<p>a page far larger than any real page, one line of many</p>\n";
        std::string text;
        while (text.size() < 64 * 1024) text += line;
        text.resize(64 * 1024);
        return text;
    }();
    return filler;
}

}  // namespace sample_site
