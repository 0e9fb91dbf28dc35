#include "web/page_text.h"

#include <cstring>

#include "common/gbk.h"
#include "web/simplified_chinese.h"

namespace web {

using namespace common;

namespace {

std::string_view up_to_zero(std::string_view text) { return text.substr(0, text.find('\0')); }

std::u16string units_up_to_zero(const byte_array& buffer) {
    std::u16string units;
    units.reserve(buffer.size() / 2);
    for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(buffer[i] | buffer[i + 1] << 8);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

// Units up to their first zero, then encoded and cut at the first zero byte.
std::string encode_up_to_zero(std::u16string_view units, int code_page, unmappable_as rule) {
    units = units.substr(0, units.find(u'\0'));
    const auto encoded = encode_code_page(units, code_page, rule);
    if (!encoded) return {};
    return std::string(up_to_zero(*encoded));
}

}  // namespace

byte_array decode_to_utf16(std::string_view text, int code_page) {
    const auto units = decode_code_page(up_to_zero(text), code_page);
    if (!units) return {};
    byte_array buffer((units->size() + 1) * 2, 0);  // ends in the zero unit
    for (std::size_t i = 0; i < units->size(); ++i) {
        buffer[2 * i] = static_cast<std::uint8_t>((*units)[i] & 0xFF);
        buffer[2 * i + 1] = static_cast<std::uint8_t>((*units)[i] >> 8);
    }
    return buffer;
}

std::string encode_from_utf16(const byte_array& buffer, int code_page) {
    return encode_up_to_zero(units_up_to_zero(buffer), code_page, unmappable_as::question_mark);
}

std::string utf8_to_gbk(std::string_view utf8) { return convert_utf8_to_gbk(up_to_zero(utf8)); }

std::string utf8_to_gbk(std::string&& utf8) {
    std::string text = std::move(utf8);
    common::convert_utf8_to_gbk_in_place(text);
    return text;
}

std::string big5_to_gbk_simplified(std::string_view big5) {
    const std::u16string units = units_up_to_zero(decode_to_utf16(big5, code_page_big5));
    // A zero byte stands for what GBK lacks, so the text ends there.
    const std::string gbk_text = encode_up_to_zero(units, code_page_gbk, unmappable_as::zero_byte);
    return map_to_simplified(gbk_text);
}

std::string map_to_simplified(std::string_view gbk_text, std::u16string_view mapping) {
    // The mapped text is written over a buffer of spaces as long as the input;
    // a mapping that fails, or does not fit, leaves the spaces.
    std::string output(gbk_text.size(), ' ');
    if (gbk_text.empty()) return output;
    const auto units = decode_code_page(gbk_text, code_page_gbk);
    if (!units) return output;
    const auto simplified = map_to_simplified_units(*units, mapping);
    if (!simplified) return output;
    const auto mapped = encode_code_page(*simplified, code_page_gbk);
    if (!mapped || mapped->size() > output.size()) return output;
    output.replace(0, mapped->size(), *mapped);
    return std::string(up_to_zero(output));
}

std::string text_between(std::string_view text, std::string_view left, std::string_view right,
                         int start, bool case_sensitive) {
    const std::string& quote_word = gbk<"#引号">();
    const std::string left_marker = replace_subtext(left, quote_word, "\"", 1, -1, true);
    const std::string right_marker = replace_subtext(right, quote_word, "\"", 1, -1, true);
    const int left_at = find_text(text, left_marker, start, !case_sensitive);
    if (left_at == -1) return {};
    const std::string_view remainder = text.substr(static_cast<std::size_t>(left_at) - 1 + left_marker.size());
    const int right_at = find_text(remainder, right_marker, start, !case_sensitive);
    if (right_at == -1) return {};
    return std::string(remainder.substr(0, static_cast<std::size_t>(right_at) - 1));
}

}  // namespace web
