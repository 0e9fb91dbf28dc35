#include <algorithm>

#include "common/text_ops.h"
#include "common/text_walk.h"

namespace common {

int text_length(std::string_view text) { return static_cast<int>(text.size()); }

std::string text_left(std::string_view text, int n) {
    if (n <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string text_right(std::string_view text, int n) {
    if (n <= 0) return {};
    const std::size_t keep = std::min(text.size(), static_cast<std::size_t>(n));
    return std::string(text.substr(text.size() - keep));
}

std::string text_mid(std::string_view text, int start, int n) {
    if (start < 1 || start > text_length(text) || n <= 0) return {};
    return std::string(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

std::string char_of_code(int code) {
    const char c = static_cast<char>(code & 0xFF);
    return c == 0 ? std::string() : std::string(1, c);
}

std::string trim_spaces(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && walk::is_space_at(text, i)) i += walk::char_width(text, i);
    std::size_t keep_end = i;
    for (std::size_t j = i; j < text.size();) {
        const std::size_t w = walk::char_width(text, j);
        if (!walk::is_space_at(text, j)) keep_end = j + w;
        j += w;
    }
    return std::string(text.substr(i, keep_end - i));
}

std::string remove_all_spaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t w = walk::char_width(text, i);
        if (!walk::is_space_at(text, i)) out.append(text.substr(i, w));
        i += w;
    }
    return out;
}

namespace {

template <typename Change>
std::string change_ascii_letters(std::string_view text, Change change) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t w = walk::char_width(out, i);
        if (w == 1) out[i] = change(out[i]);
        i += w;
    }
    return out;
}

}  // namespace

std::string to_upper(std::string_view text) { return change_ascii_letters(text, walk::ascii_upper); }
std::string to_lower(std::string_view text) { return change_ascii_letters(text, walk::ascii_lower); }

}  // namespace common
