#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "common/c_runtime.h"
#include "common/gbk.h"
#include "common/text_ops.h"
#include "common/text_walk.h"

namespace common {

std::string to_text(std::string_view text) { return std::string(text); }
std::string to_text(const char* text) { return text == nullptr ? std::string() : std::string(text); }
std::string to_text(int value) { return std::to_string(value); }

std::string to_text(double value) {
    // to_chars is "%.13g" without the reach of the C locale's decimal point.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
    return std::string(buffer, result.ptr);
}

std::string to_text(bool value) { return value ? gbk<"真">() : gbk<"假">(); }

std::string to_text(const byte_array& bytes) {
    const auto* first = bytes.data();
    const void* zero = bytes.empty() ? nullptr : std::memchr(first, 0, bytes.size());
    const std::size_t n = zero ? static_cast<const std::uint8_t*>(zero) - first : bytes.size();
    return std::string(reinterpret_cast<const char*>(first), n);
}

namespace {

// The full-width forms of ASCII (0xA3 0xA1 to 0xA3 0xFE) and the full-width
// space become the ASCII characters they stand for.
std::string narrow_full_width(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t w = walk::char_width(text, i);
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto trail = w == 2 ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (w == 2 && lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else if (w == 2 && lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else {
            out.append(text.substr(i, w));
        }
        i += w;
    }
    return out;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_white(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The leading number of `text`: white space, a sign, digits and, when
// `with_fraction`, a decimal point and an exponent. Empty when no digit.
std::string_view leading_number(std::string_view text, bool with_fraction) {
    std::size_t i = 0;
    while (i < text.size() && is_white(text[i])) ++i;
    const std::size_t begin = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && is_digit(text[i])) ++i, ++digits;
    if (with_fraction && i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_digit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return {};
    if (with_fraction && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && is_digit(text[j])) {
            while (j < text.size() && is_digit(text[j])) ++j;
            i = j;
        }
    }
    return text.substr(begin, i - begin);
}

}  // namespace

int to_integer(std::string_view text) {
    const std::string narrowed = narrow_full_width(text);
    const std::string_view number = leading_number(narrowed, false);
    if (number.empty()) return 0;
    const bool negative = number.front() == '-';
    long long value = 0;
    for (char c : number) {
        if (!is_digit(c)) continue;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;  // clamped below
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int to_integer(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);  // truncates toward zero
}

double to_number(std::string_view text) {
    const std::string narrowed = narrow_full_width(text);
    const std::string number(leading_number(narrowed, true));
    if (number.empty()) return 0.0;
    // strtod on the scanned span alone: it sees no "inf", "nan" or hex, and
    // the "C" locale keeps the decimal point a point whatever the process set.
    return c_locale_strtod(number.c_str());
}

double to_number(double value) { return value; }

void append_percent_escape(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

std::string hex_text(int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint32_t>(value), 16);
    std::string out(buffer, result.ptr);
    for (char& c : out) c = walk::ascii_upper(c);
    return out;
}

std::string space_text(int n) { return n < 1 ? std::string() : std::string(static_cast<std::size_t>(n), ' '); }

byte_array to_bytes(std::string_view text) { return byte_array(text.begin(), text.end()); }

}  // namespace common
