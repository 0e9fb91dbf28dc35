// Text, byte-array and regular-expression operations on GBK text.
//
// A text is a std::string of GBK bytes: lengths and positions count bytes,
// positions are 1-based and a search that finds nothing gives -1. A byte of
// 0x80 or more is the lead byte of a two-byte character; the operations that
// walk characters step over its trail byte so that they never match, replace
// or change a trail byte as if it began a character.
//
// All operations are pure: they return new values and keep no shared state.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// A counted byte sequence that may hold zeros.
using byte_array = std::vector<std::uint8_t>;

// --- measuring and cutting (byte based: callers choose whole-character positions)

int text_length(std::string_view text);
std::string text_left(std::string_view text, int n);
std::string text_right(std::string_view text, int n);
std::string text_mid(std::string_view text, int start, int n);
std::string char_of_code(int code);  // code 0 gives the empty text

// --- finding and replacing (GBK-aware)

// Position of the first occurrence of `sub` at or after `start`, or -1.
// With ignore_case, bytes in the ASCII letter range match either case, trail
// bytes included. An empty `sub` gives 1 while any byte remains from `start`.
int find_text(std::string_view text, std::string_view sub, int start = 1, bool ignore_case = false);

// Replaces occurrences of `sub` from `start` on; a negative max_count means all.
std::string replace_subtext(std::string_view text, std::string_view sub,
                            std::string_view replacement = {}, int start = 1,
                            int max_count = -1, bool case_sensitive = false);

// Removes `count` bytes at `start` (clipped) and puts `insertion` there.
std::string replace_range(std::string_view text, int start, int count,
                          std::string_view insertion = {});

// Negative, 0 or positive; characters compare as units in GBK code order.
int compare_text(std::string_view a, std::string_view b, bool case_sensitive);

// The same bytes but for the case of ASCII letters: the one case-insensitive
// comparison for names, header names and markers.
bool same_ignoring_case(std::string_view a, std::string_view b);

// --- spaces and case (spaces are 0x20 and the full-width space 0xA1 0xA1)

std::string trim_spaces(std::string_view text);
std::string remove_all_spaces(std::string_view text);
std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);

// --- conversions

std::string to_text(std::string_view text);
std::string to_text(const char* text);  // keeps literals away from the bool overload
std::string to_text(int value);         // "%d"
std::string to_text(double value);      // "%.13g"
std::string to_text(bool value);        // "真" or "假"
std::string to_text(const byte_array& bytes);  // the bytes before the first zero

// Leading decimal number after full-width ASCII forms are made ASCII; 0 when none.
int to_integer(std::string_view text);
int to_integer(double value);  // truncated toward zero, clamped to the int range
double to_number(std::string_view text);
double to_number(double value);

std::string hex_text(int value);  // "%X"
// Appends the byte as "%" and two uppercase hexadecimal digits.
void append_percent_escape(std::string& out, unsigned char byte);
std::string space_text(int n);
byte_array to_bytes(std::string_view text);

// --- byte arrays

int bytes_length(const byte_array& bytes);
byte_array bytes_left(const byte_array& bytes, int n);
byte_array zero_bytes(int n);
// Exact, no character stepping. No max_count means every occurrence; a
// negative one replaces nothing.
byte_array replace_subbytes(const byte_array& bytes, const byte_array& find,
                            const byte_array& replacement, int start = 1,
                            std::optional<int> max_count = std::nullopt);

// --- regular expressions (Boost.Regex, Perl syntax, on bytes)

struct compiled_pattern;

// One compiled pattern, or none.
class regex_object {
public:
    regex_object();
    ~regex_object();
    regex_object(regex_object&&) noexcept;
    regex_object& operator=(regex_object&&) noexcept;

    bool holds_pattern() const { return pattern_ != nullptr; }
    const compiled_pattern* pattern() const { return pattern_.get(); }
    void reset(std::unique_ptr<compiled_pattern> pattern);

private:
    std::unique_ptr<compiled_pattern> pattern_;
};

struct match_group {
    int offset = 0;  // from the first byte of the searched text
    int length = 0;
    bool matched = false;
};

// Group 0 is the whole match, then one entry per capture group.
struct pattern_match {
    std::vector<match_group> groups;
};

using match_list = std::vector<pattern_match>;

void regex_init(regex_object& object);
void regex_free(regex_object& object);
void match_free(match_list& matches);

// False on a syntax error, leaving the object as it was.
bool regex_compile(regex_object& object, std::string_view pattern, bool case_sensitive = true);

// Every match, in order. A search the matcher gives up on (hostile input)
// returns the matches found before that point.
match_list regex_find_all(const regex_object& object, std::string_view text);

// The text of group `group`, cut from the text that was searched.
std::string match_group_text(const pattern_match& match, std::string_view text, int group);

}  // namespace common
