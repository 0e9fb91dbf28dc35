// Character stepping over GBK bytes: every walk over GBK characters steps
// with char_width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common::walk {

inline bool is_lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Which byte pairs make one character.
struct char_rule {
    bool (*lead)(unsigned char);
    bool (*trail)(unsigned char);
};

// The text operations: any byte of 0x80 or more leads, and whatever follows
// it is its trail byte.
inline constexpr char_rule text_chars{[](unsigned char b) { return b >= 0x80; },
                                      [](unsigned char) { return true; }};
// Lines of memory files: as the text operations, but a zero byte is never a
// trail byte (it ends the line).
inline constexpr char_rule line_chars{[](unsigned char b) { return b >= 0x80; },
                                      [](unsigned char b) { return b != 0; }};
// Real GBK pairs only (lead 0x81 to 0xFE, trail 0x40 to 0xFE but 0x7F), for
// escaping and file names: markup bytes and '/' are all below 0x40, so none
// hides behind a lead byte, and a backslash counts as a trail byte only
// after a real lead byte.
inline constexpr char_rule gbk_pairs{[](unsigned char b) { return b >= 0x81 && b <= 0xFE; },
                                     [](unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }};

// Bytes of the character at i: two where the byte at i leads and the next
// one may trail it, else one (a lead byte that ends the text stands alone).
inline std::size_t char_width(std::string_view text, std::size_t i, const char_rule& rule = text_chars) {
    return i + 1 < text.size() && rule.lead(static_cast<unsigned char>(text[i])) &&
                   rule.trail(static_cast<unsigned char>(text[i + 1]))
               ? 2
               : 1;
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
