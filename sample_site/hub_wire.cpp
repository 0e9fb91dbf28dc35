// The hub's field format, shared by the hub and its clients.
#include <charconv>

#include "sample_site/site_hub.h"

namespace sample_site {

void append_field(std::string& out, std::string_view field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

std::optional<std::vector<std::string>> split_fields(std::string_view text) {
    std::vector<std::string> fields;
    while (!text.empty()) {
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos || colon == 0 || colon > 19) return std::nullopt;
        std::size_t size = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + colon, size);
        if (error != std::errc() || end != text.data() + colon || size > text.size() - colon - 1) return std::nullopt;
        fields.emplace_back(text.substr(colon + 1, size));
        text.remove_prefix(colon + 1 + size);
    }
    return fields;
}

std::string encode_requests(const std::vector<logged_request>& requests) {
    std::string out;
    append_field(out, std::to_string(requests.size()));
    for (const logged_request& r : requests) {
        append_field(out, r.request_line);
        append_field(out, r.raw_head);
        append_field(out, r.body);
        append_field(out, std::to_string(r.headers.size()));
        for (const auto& [name, value] : r.headers) {
            append_field(out, name);
            append_field(out, value);
        }
    }
    return out;
}

namespace {

std::optional<std::size_t> count_of(const std::string& field) {
    std::size_t n = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), n);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return n;
}

}  // namespace

std::optional<std::vector<logged_request>> decode_requests(std::string_view text) {
    const auto fields = split_fields(text);
    if (!fields || fields->empty()) return std::nullopt;
    const auto count = count_of((*fields)[0]);
    if (!count) return std::nullopt;
    std::vector<logged_request> requests;
    std::size_t at = 1;
    const auto left = [&] { return fields->size() - at; };
    for (std::size_t i = 0; i < *count; ++i) {
        if (left() < 4) return std::nullopt;
        logged_request r;
        r.request_line = (*fields)[at++];
        r.raw_head = (*fields)[at++];
        r.body = (*fields)[at++];
        const auto headers = count_of((*fields)[at++]);
        if (!headers || *headers > left() / 2) return std::nullopt;
        for (std::size_t h = 0; h < *headers; ++h, at += 2) r.headers.emplace_back((*fields)[at], (*fields)[at + 1]);
        requests.push_back(std::move(r));
    }
    if (left() != 0) return std::nullopt;
    return requests;
}

}  // namespace sample_site
