#include "web/request_text.h"

#include "common/text_ops.h"

namespace web {
namespace {

bool lacks(std::string_view text, std::string_view marker) { return common::find_text(text, marker, 1, true) == -1; }

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7F; }

// `text` with each byte that `escaped` picks written as %XX.
template <typename Pick>
std::string escape_bytes(std::string_view text, Pick escaped) {
    std::string encoded;
    encoded.reserve(text.size());
    for (unsigned char c : text) {
        if (escaped(c)) {
            common::append_percent_escape(encoded, c);
        } else {
            encoded += static_cast<char>(c);
        }
    }
    return encoded;
}

}  // namespace

std::string build_header_text(std::string_view extra_headers, std::string_view url, bool post,
                              std::string_view body, std::string_view cookies) {
    std::string text(extra_headers);
    if (lacks(text, "Accept: ")) text += default_accept_line;
    if (lacks(text, "Referer: ")) {
        text += "Referer: ";
        text += encode_control_bytes(url);
        text += "\r\n";
    }
    if (lacks(text, "Accept-Language: ")) text += default_language_line;
    auto add_cookie_line = [&] {
        if (cookies.empty()) return;
        text += "Cookie: ";
        text += cookies;
        text += "\r\n\r\n";
    };
    if (!post) {
        add_cookie_line();
    } else {
        if (!body.empty()) {
            text += form_type_line;
            text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        }
        add_cookie_line();
    }
    return text;
}

std::vector<std::string> header_lines(std::string_view header_text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < header_text.size()) {
        const auto end = header_text.find_first_of("\r\n", start);
        const auto stop = end == std::string_view::npos ? header_text.size() : end;
        if (stop > start) lines.emplace_back(header_text.substr(start, stop - start));
        start = stop + 1;
    }
    return lines;
}

std::string encode_control_bytes(std::string_view text) { return escape_bytes(text, is_control); }

std::string encode_request_path(std::string_view path) {
    return escape_bytes(path, [](unsigned char c) { return is_control(c) || c == ' ' || c >= 0x80; });
}

}  // namespace web
