// Character stepping over GBK bytes, shared by the text operations.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common::walk {

inline bool is_lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Bytes of the character at i: two at a lead byte, except a lead byte that is
// the last byte of the text, which ends the walk on its own.
inline std::size_t char_width(std::string_view text, std::size_t i) {
    return is_lead(text[i]) && i + 1 < text.size() ? 2 : 1;
}

inline bool is_space_at(std::string_view text, std::size_t i) {
    if (text[i] == ' ') return true;
    return static_cast<unsigned char>(text[i]) == 0xA1 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) == 0xA1;
}

inline char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
inline char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Every byte in the ASCII letter range lower-cased, trail bytes included; the
// lead bytes are untouched, so the character boundaries stay where they were.
std::string fold_all_bytes(std::string_view text);

// 0-based position of the first occurrence of `sub` at a character boundary
// at or after `from`, where `from` itself is taken as a boundary; npos if none.
std::size_t find_at_boundary(std::string_view text, std::string_view sub, std::size_t from);

}  // namespace common::walk
