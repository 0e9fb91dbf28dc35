#include "web/page_text.h"

#include <unicode/utf16.h>
#include <unicode/utrans.h>

#include <cstring>
#include <map>
#include <memory>

#include "common/gbk.h"

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

struct transliterator_closer {
    void operator()(UTransliterator* t) const { utrans_close(t); }
};

// Opened once per thread and mapping name; null when ICU does not know it.
UTransliterator* transliterator_for(std::u16string_view mapping) {
    thread_local std::map<std::u16string, std::unique_ptr<UTransliterator, transliterator_closer>> open;
    const std::u16string key(mapping);
    auto found = open.find(key);
    if (found == open.end()) {
        UErrorCode err = U_ZERO_ERROR;
        UTransliterator* t = utrans_openU(key.data(), static_cast<int32_t>(key.size()), UTRANS_FORWARD,
                                          nullptr, 0, nullptr, &err);
        if (U_FAILURE(err) && t != nullptr) {
            utrans_close(t);
            t = nullptr;
        }
        found = open.emplace(key, std::unique_ptr<UTransliterator, transliterator_closer>(t)).first;
    }
    return found->second.get();
}

// One character at a time, as the platform's mapping goes: no phrase rules.
std::u16string map_each_character(UTransliterator* mapping, std::u16string_view units) {
    std::u16string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
        UChar32 c;
        const std::size_t begin = i;
        U16_NEXT(units.data(), i, units.size(), c);
        const std::u16string_view one = units.substr(begin, i - begin);
        if (c < 0x2E80) {  // below the CJK blocks nothing changes
            out.append(one);
            continue;
        }
        UChar buffer[16];
        std::memcpy(buffer, one.data(), one.size() * sizeof(UChar));
        int32_t length = static_cast<int32_t>(one.size());
        int32_t limit = length;
        UErrorCode err = U_ZERO_ERROR;
        utrans_transUChars(mapping, buffer, &length, 16, 0, &limit, &err);
        if (U_FAILURE(err)) {
            out.append(one);
        } else {
            out.append(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(length));
        }
    }
    return out;
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
    UTransliterator* transliterator = transliterator_for(mapping);
    if (transliterator == nullptr) return output;
    const auto units = decode_code_page(gbk_text, code_page_gbk);
    if (!units) return output;
    const auto mapped = encode_code_page(map_each_character(transliterator, *units), code_page_gbk);
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
