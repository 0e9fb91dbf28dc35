// Conversions between code pages and UTF-16: on ICU, or on Windows through
// the system's converters with the code page always named. The window, the
// clipboard and the page helpers all convert through here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace common {

inline constexpr int code_page_ansi = 0;  // the system's ANSI code page: GBK
inline constexpr int code_page_gbk = 936;
inline constexpr int code_page_big5 = 950;
inline constexpr int code_page_utf8 = 65001;
// Not a Windows code page: the string form of the script engine, where each
// half of a surrogate pair is written as a three-byte sequence.
inline constexpr int code_page_cesu8 = 65008;

// What an encoder writes for a character the target code page cannot hold.
enum class unmappable_as { question_mark, zero_byte };

// All of `bytes`, zeros included, decoded to UTF-16. Byte sequences that are
// not valid in the code page become U+FFFD. nullopt for an unknown code page.
std::optional<std::u16string> decode_code_page(std::string_view bytes, int code_page);

// All of `units` encoded; unpaired surrogates count as unmappable.
// nullopt for an unknown code page.
std::optional<std::string> encode_code_page(std::u16string_view units, int code_page,
                                            unmappable_as rule = unmappable_as::question_mark);

// UTF-8 straight to GBK in one pass, with the same result as decoding and
// then encoding with question marks.
std::string convert_utf8_to_gbk(std::string_view utf8);

// The same conversion written over `text` itself, so a large page needs no
// second buffer; `text` is cut at its first zero byte first. Empty when the
// converters cannot be had.
void convert_utf8_to_gbk_in_place(std::string& text);

// GBK text as UTF-8 (every GBK character has one).
std::string convert_gbk_to_utf8(std::string_view gbk_text);

// GBK text as the UTF-16 of the windows' controls, and back; empty when the
// converters cannot be had.
inline std::u16string utf16_from_gbk(std::string_view gbk_text) {
    return decode_code_page(gbk_text, code_page_gbk).value_or(std::u16string());
}
inline std::string gbk_from_utf16(std::u16string_view units) {
    return encode_code_page(units, code_page_gbk).value_or(std::string());
}

}  // namespace common
