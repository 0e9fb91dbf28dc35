// Which fault applies to a request, and the answers that the byte-level
// faults are made of.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sample_site/sample_site.h"

namespace sample_site {

// One fault per target prefix; the longest prefix that a target starts with
// decides. Setting fault::none for a prefix removes that prefix's fault.
class fault_table {
public:
    void set(fault mode, std::string prefix);
    void clear();
    fault find(std::string_view target) const;
    // True when every connection is to be refused, so not even the request
    // needs reading.
    bool refuses_everything() const;
    // For the faults that cut answers (cuts_answers): whether this answer,
    // on a connection `reused` or new, is cut. The counted ones cut the
    // first one or two answers after one of them was set, the random ones
    // draw; garbage is only ever sent on a reused connection.
    bool take_cut(fault mode, bool reused) const;
    // The random faults' chance (1 in `one_in`) and the seed their draws
    // start again from.
    void set_random_cuts(unsigned one_in, std::uint32_t seed);
    // The next draw, for where to cut.
    std::uint32_t draw() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, fault>> entries_;
    mutable std::atomic<int> cuts_left_{0};
    unsigned one_in_ = 4;
    mutable std::mt19937 draws_{1};
};

// The faults that cut some answers and leave the others ordinary.
bool cuts_answers(fault mode);

// Whether the fault cuts the answer joined with its length last (the cuts
// after whole lines, so that the lines before it carry no length).
bool cuts_length_last(fault mode);

// Where the cutting fault `mode` ends `answer` (head and body, its head
// ending in CRLF CRLF): half way through the head, before its last line,
// half way through the body, or, for the random ones, a point that `draw`
// picks in the head (after whole lines when it is even) or the body.
std::size_t cut_point(fault mode, std::string_view answer, std::uint32_t draw);

// What garbage_on_reuse sends instead of an answer: no HTTP head.
inline constexpr std::string_view garbage_answer = "\x17\x03\x03 stale bytes where an answer belongs\r\n\r\n";

// An HTTP response taken apart: `head` is the status line and the header
// lines, each ending in CRLF, without the empty line.
struct http_response {
    std::string head;
    std::string body;
};

// Splits at the first CRLF CRLF; nullopt when there is none.
std::optional<http_response> split_response(std::string_view bytes);

// Joins head and body again, with Content-Length set to the body's length
// (written right after the status line).
std::string join_response(const http_response& response);
// The same with Content-Length written as the head's last line, as servers
// that work out the length last send it.
std::string join_response_length_last(const http_response& response);

// Where a body gets the bytes of invalid_utf8 and nul_bytes: at its start,
// after the first line break at or past its middle (its middle when there
// is none) and at its end.
std::string insert_invalid_utf8(std::string body);
// A zero byte after the first line break at or past the middle, and one at
// the end: text that stops at the first zero keeps the first half.
std::string insert_nul_bytes(std::string body);
std::size_t middle_break(std::string_view body);

// The malformed UTF-8 sequences invalid_utf8 writes.
inline constexpr std::string_view invalid_utf8_block =
    "\x80 \xC0\xAF \xED\xA0\x80 \xF8\x88\x80\x80\x80 \xFF\xFE \xE6\xAF";

// `lines` padding header lines of about 1 KB each (66 by default: over
// 64 KiB), then a Set-Cookie line "after_padding=1; path=/" at the very end
// of the block.
std::string oversized_header_lines(std::size_t lines = 66);
inline constexpr std::size_t over_cap_padding_lines = 1100;  // over 1 MiB

// `count` Set-Cookie lines "c<i>=<i>" for i from 0, each about 20 bytes.
std::string cookie_flood_lines(std::size_t count);
inline constexpr std::size_t default_cookie_flood_size = 10000;

// `count` Set-Cookie lines "f<k>=1; path=/", k going on from where the last
// call of the process stopped: every name is new.
std::string fresh_cookie_lines(std::size_t count);
inline constexpr std::size_t fresh_cookies_per_answer = 50;

// Each video and programme ID of a page ("vid:5001", "pid:'1001'", any
// case) followed by crlf_injection.
std::string insert_crlf_in_ids(std::string_view body);
inline constexpr std::string_view crlf_injection = "\r\nX-Injected: yes\r\nCookie: injected=1";

// The slow_head answer: a head without a Content-Type, and a short body.
inline constexpr std::string_view slow_head_answer = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nslow head";
inline constexpr std::size_t slow_head_size = slow_head_answer.size() - 9;

// The cookie that the second address adds under redirect_elsewhere.
inline constexpr std::string_view elsewhere_cookie_line = "Set-Cookie: elsewhere=1; path=/\r\n";

// A complete answer of `status` with the given body and extra header lines
// (each ending in CRLF); always "Connection: close".
std::string make_response(int status, std::string_view content_type, std::string_view body,
                          std::string_view extra_headers = {});

// The head of a huge body of `length` bytes, and the filler it is made of.
std::string huge_body_head(std::uint64_t length);
std::string_view huge_body_filler();  // 64 KiB of HTML lines

inline constexpr std::uint64_t default_huge_body_size = 300ull * 1024 * 1024;

}  // namespace sample_site
