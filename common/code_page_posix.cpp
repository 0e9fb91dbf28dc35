#include "common/code_page.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>

namespace common {
namespace {

struct converter_closer {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using converter_ptr = std::unique_ptr<UConverter, converter_closer>;

std::string icu_name(int code_page) {
    switch (code_page) {
        case code_page_ansi:
        case code_page_gbk: return "windows-936";  // Microsoft's CP936: the euro sign is 0x80
        case code_page_big5: return "windows-950";
        case code_page_utf8: return "UTF-8";
        case code_page_cesu8: return "CESU-8";
        case 1200: return "UTF-16LE";
        case 20127: return "US-ASCII";
        case 28591: return "ISO-8859-1";
        default: return "windows-" + std::to_string(code_page);
    }
}

// Converters are not thread-safe, so each thread opens its own, once per code page.
UConverter* converter_for(int code_page) {
    thread_local std::map<int, converter_ptr> open;
    if (code_page == code_page_ansi) code_page = code_page_gbk;
    auto found = open.find(code_page);
    if (found == open.end()) {
        UErrorCode err = U_ZERO_ERROR;
        converter_ptr opened(ucnv_open(icu_name(code_page).c_str(), &err));
        if (U_FAILURE(err)) opened.reset();
        found = open.emplace(code_page, std::move(opened)).first;
    }
    if (found->second) ucnv_reset(found->second.get());
    return found->second.get();
}

// ICU's own substitution skips default-ignorable code points (ZWJ, U+FE0F,
// the soft hyphen) without a trace; Windows writes its default character for
// them like for any other character it cannot map, and so do we.
void write_unmappable(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                      UChar32, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to write
    *err = U_ZERO_ERROR;
    const char* byte = static_cast<const char*>(context);
    ucnv_cbFromUWriteBytes(args, byte, 1, 0, err);
}

void set_unmappable_rule(UConverter* cnv, unmappable_as rule) {
    static const char question_mark = '?';
    static const char zero_byte = '\0';
    const void* context = rule == unmappable_as::question_mark ? &question_mark : &zero_byte;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(cnv, write_unmappable, context, nullptr, nullptr, &err);
}

}  // namespace

std::optional<std::u16string> decode_code_page(std::string_view bytes, int code_page) {
    UConverter* cnv = converter_for(code_page);
    if (cnv == nullptr) return std::nullopt;
    // No code page here gives more UTF-16 units than it has bytes.
    std::u16string units(bytes.size() + 1, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(cnv, units.data(), static_cast<int32_t>(units.size()),
                                    bytes.data(), static_cast<int32_t>(bytes.size()), &err);
    if (U_FAILURE(err)) return std::nullopt;
    units.resize(static_cast<std::size_t>(n));
    return units;
}

std::optional<std::string> encode_code_page(std::u16string_view units, int code_page,
                                            unmappable_as rule) {
    UConverter* cnv = converter_for(code_page);
    if (cnv == nullptr) return std::nullopt;
    set_unmappable_rule(cnv, rule);
    std::string out(units.size() * static_cast<std::size_t>(ucnv_getMaxCharSize(cnv)) + 1, '\0');
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(cnv, out.data(), static_cast<int32_t>(out.size()),
                                      units.data(), static_cast<int32_t>(units.size()), &err);
    if (U_FAILURE(err)) return std::nullopt;
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string convert_utf8_to_gbk(std::string_view utf8) {
    UConverter* gbk = converter_for(code_page_gbk);
    UConverter* source = converter_for(code_page_utf8);
    if (gbk == nullptr || source == nullptr) return {};
    set_unmappable_rule(gbk, unmappable_as::question_mark);
    // Each GBK character or '?' comes from at least as many UTF-8 bytes, and
    // each malformed sequence gives one '?' for at least one byte.
    std::string out(utf8.size() + 1, '\0');
    char* target = out.data();
    const char* src = utf8.data();
    UErrorCode err = U_ZERO_ERROR;
    ucnv_convertEx(gbk, source, &target, out.data() + out.size(), &src, utf8.data() + utf8.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &err);
    if (U_FAILURE(err)) {
        auto units = decode_code_page(utf8, code_page_utf8);
        if (!units) return {};
        return encode_code_page(*units, code_page_gbk).value_or(std::string());
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

void convert_utf8_to_gbk_in_place(std::string& text) {
    text.resize(std::min(text.size(), text.find('\0')));
    UConverter* gbk = converter_for(code_page_gbk);
    UConverter* source = converter_for(code_page_utf8);
    if (gbk == nullptr || source == nullptr) {
        text.clear();
        return;
    }
    set_unmappable_rule(gbk, unmappable_as::question_mark);
    // Piece by piece through a small buffer, each piece written back over
    // bytes already read: no character gives more GBK bytes than it had
    // UTF-8 bytes (see convert_utf8_to_gbk), so the writing never overtakes
    // the reading.
    constexpr std::size_t piece = 64 * 1024;
    std::array<char, piece> out;
    std::array<UChar, 1024> pivot;
    UChar* pivot_source = pivot.data();
    UChar* pivot_target = pivot.data();
    const char* src = text.data();
    const char* const end = text.data() + text.size();
    std::size_t written = 0;
    bool first = true;
    for (;;) {
        const char* piece_end = src + std::min<std::size_t>(piece, static_cast<std::size_t>(end - src));
        const bool last = piece_end == end;
        char* target = out.data();
        UErrorCode err = U_ZERO_ERROR;
        ucnv_convertEx(gbk, source, &target, out.data() + out.size(), &src, piece_end, pivot.data(),
                       &pivot_source, &pivot_target, pivot.data() + pivot.size(), first, last, &err);
        first = false;
        const auto n = static_cast<std::size_t>(target - out.data());
        std::memcpy(text.data() + written, out.data(), n);
        written += n;
        if (err == U_BUFFER_OVERFLOW_ERROR) continue;
        if (U_FAILURE(err)) {
            text.clear();
            return;
        }
        if (last) break;
    }
    text.resize(written);
}

}  // namespace common
