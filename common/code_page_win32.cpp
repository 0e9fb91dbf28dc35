// Code pages through the system's own converters. Every call names its code
// page: the system's ANSI code page differs by display language, and GBK is
// meant here whatever Windows the program runs on.
#include "common/code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace common {
namespace {

int system_code_page(int code_page) { return code_page == code_page_ansi ? code_page_gbk : code_page; }

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-8 and its CESU form written by hand, so that an unpaired surrogate
// follows the same unmappable rule as every other code page (the system's
// UTF-8 encoder would write U+FFFD for it).
std::string encode_utf8(std::u16string_view units, bool pairs_joined, unmappable_as rule) {
    std::string out;
    out.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (is_high_surrogate(unit) && i + 1 < units.size() && is_low_surrogate(units[i + 1])) {
            if (pairs_joined) {
                append_utf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
            } else {
                append_utf8(out, unit);
                append_utf8(out, units[i + 1]);
            }
            ++i;
        } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
            out += rule == unmappable_as::question_mark ? '?' : '\0';
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

// CESU-8: UTF-8 whose supplementary characters come as two three-byte
// surrogate sequences. Malformed bytes become U+FFFD, one per byte.
std::u16string decode_cesu8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    auto trail = [&](std::size_t at) { return at < bytes.size() && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80; };
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
        } else if (b >= 0xC2 && b < 0xE0 && trail(i + 1)) {
            out += static_cast<char16_t>(((b & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
            i += 2;
        } else if (b >= 0xE0 && b < 0xF0 && trail(i + 1) && trail(i + 2) &&
                   (b != 0xE0 || static_cast<unsigned char>(bytes[i + 1]) >= 0xA0)) {
            out += static_cast<char16_t>(((b & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F));
            i += 3;
        } else {
            out += u'\uFFFD';
            ++i;
        }
    }
    return out;
}

// UTF-8 read by hand as well: Wine's converter takes the byte after a cut
// sequence into it ("\xE4\n" loses its line break). Each maximal part of a
// malformed sequence becomes one U+FFFD, as on Windows itself and in ICU.
std::u16string decode_utf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        int need = 0;
        char32_t c = 0;
        unsigned char low = 0x80, high = 0xBF;  // the second byte's range
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1, c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2, c = b & 0x0F;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;  // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3, c = b & 0x07;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        int got = 0;
        while (got < need && j < bytes.size()) {
            const auto t = static_cast<unsigned char>(bytes[j]);
            if (t < low || t > high) break;
            c = (c << 6) | (t & 0x3F);
            ++j, ++got;
            low = 0x80, high = 0xBF;
        }
        if (got < need) {
            out += u'\uFFFD';
        } else if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i = j;
    }
    return out;
}

std::optional<std::u16string> decode_with_system(std::string_view bytes, int code_page) {
    if (bytes.empty()) return std::u16string();
    if (bytes.size() > INT_MAX) return std::nullopt;
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::u16string units(static_cast<std::size_t>(needed), u'\0');
    const int n = MultiByteToWideChar(code_page, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(units.data()), needed);
    if (n <= 0) return std::nullopt;
    units.resize(static_cast<std::size_t>(n));
    return units;
}

std::optional<std::string> encode_with_system(std::u16string_view units, int code_page, unmappable_as rule) {
    if (units.empty()) return std::string();
    if (units.size() > INT_MAX / 4) return std::nullopt;
    const int length = static_cast<int>(units.size());
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    static const char zero_byte = '\0';
    const char* default_char = rule == unmappable_as::zero_byte ? &zero_byte : nullptr;
    const int needed = WideCharToMultiByte(code_page, 0, wide, length, nullptr, 0, default_char, nullptr);
    if (needed <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(needed), '\0');
    const int n = WideCharToMultiByte(code_page, 0, wide, length, out.data(), needed, default_char, nullptr);
    if (n <= 0) return std::nullopt;
    out.resize(static_cast<std::size_t>(n));
    return out;
}

}  // namespace

std::optional<std::u16string> decode_code_page(std::string_view bytes, int code_page) {
    code_page = system_code_page(code_page);
    if (code_page == code_page_cesu8) return decode_cesu8(bytes);
    if (code_page == code_page_utf8) return decode_utf8(bytes);
    if (code_page == 1200) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        }
        if (bytes.size() % 2 != 0) units += u'\uFFFD';
        return units;
    }
    if (!IsValidCodePage(static_cast<UINT>(code_page))) return std::nullopt;
    return decode_with_system(bytes, code_page);
}

std::optional<std::string> encode_code_page(std::u16string_view units, int code_page, unmappable_as rule) {
    code_page = system_code_page(code_page);
    if (code_page == code_page_utf8) return encode_utf8(units, true, rule);
    if (code_page == code_page_cesu8) return encode_utf8(units, false, rule);
    if (code_page == 1200) {
        std::string out;
        for (char16_t unit : units) {
            out += static_cast<char>(unit & 0xFF);
            out += static_cast<char>(unit >> 8);
        }
        return out;
    }
    if (!IsValidCodePage(static_cast<UINT>(code_page))) return std::nullopt;
    return encode_with_system(units, code_page, rule);
}

std::string convert_utf8_to_gbk(std::string_view utf8) {
    auto units = decode_code_page(utf8, code_page_utf8);
    if (!units) return {};
    return encode_code_page(*units, code_page_gbk).value_or(std::string());
}

void convert_utf8_to_gbk_in_place(std::string& text) {
    text.resize(std::min(text.size(), text.find('\0')));
    // Piece by piece, each piece ending before a character that continues
    // past it, written back over bytes already read: no character gives more
    // GBK bytes than it had UTF-8 bytes, so the writing never overtakes the
    // reading, and a large page needs no second whole buffer.
    constexpr std::size_t piece = 64 * 1024;
    std::size_t read = 0;
    std::size_t written = 0;
    while (read < text.size()) {
        std::size_t end = std::min(text.size(), read + piece);
        if (end < text.size()) {
            std::size_t cut = end;
            // Back off over continuation bytes to the lead of the character
            // that straddles the cut, at most three bytes.
            while (cut > read && end - cut < 4 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
            if (cut > read && end - cut < 4) end = cut;
        }
        const std::string converted = convert_utf8_to_gbk(std::string_view(text).substr(read, end - read));
        if (converted.size() > end - written) {  // cannot happen; kept safe all the same
            text.clear();
            return;
        }
        std::memcpy(text.data() + written, converted.data(), converted.size());
        written += converted.size();
        read = end;
    }
    text.resize(written);
}

}  // namespace common
