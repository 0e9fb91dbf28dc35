// The program's one HTTP client.
//
// 网页_访问 sends one request and reads the whole response into memory; the
// site logic uses it through fetch_page_text, a plain GET. Cookies that a
// response sets are kept in one store shared by every call and thread and
// sent with later requests to the same host. A request that cannot be made
// or a transfer that fails gives an empty body, never a part of one; no
// failure shows a message. Closing the program (common::request_stop)
// aborts the transfers in progress, which then give an empty body.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/text_ops.h"

namespace web {

// url:            trimmed and given "http://" when it has no scheme; the
//                 caller's variable is left holding that form.
// 访问方式:        0 GET, 1 POST; anything else shows a notice and returns empty.
// proxy:          an http proxy as "host:port"; empty or only spaces = none.
// extra_headers:  lines ended by "\r\n"; left holding every line sent.
// body:           POST data.
// cookies:        the text after "Cookie: ".
// conversion:     one of body_conversion (below); any other value is none.
// response_headers: the status line and header lines of the final response,
//                 each ended by "\r\n", then an empty line; 2048 spaces
//                 when no response came whole.
// The cookies the final response sets (at most 50) are stored for the host
// that answered it, the last one a redirection led to, as the engine's own
// URL parser reads that address. A GET is made once more on a new
// connection when its connection fails under it (reset, or closed before
// the head or the announced body was whole), when its head does not end
// (no empty line after the header lines), and when a kept connection
// answers with something that is no HTTP head; a POST, an HTTP status, a
// stop, a cap or the idle limit is never tried again, nor a new
// connection's answer that is no HTTP head. What still fails is no
// response: an empty body and the header text of no response.
common::byte_array 网页_访问(std::string& url, int 访问方式 = 0, std::string_view proxy = {},
                            std::string* extra_headers = nullptr, std::string_view body = {},
                            std::string_view cookies = {}, int conversion = 0,
                            std::string* response_headers = nullptr);

// What 网页_访问 does to the body it returns.
namespace body_conversion {
inline constexpr int none = 0;
inline constexpr int utf8_to_gbk = 1;
inline constexpr int big5_to_simplified_gbk = 2;  // traditional characters mapped to simplified
}  // namespace body_conversion

// A plain GET of `url`; the body up to its first zero byte.
std::string fetch_page_text(std::string url);

// A message box for the routine's own error: the button code minus 1 (OK 0).
// Empty caption means "友情提醒"; style 64 is OK with the information icon.
int notice_box(std::string_view message = {}, int style = 64, std::string_view caption = {});

// What one transfer may take before it is given up, a failed transfer
// then: an empty body and the header text of no response. A body is cut at
// max_body bytes and reading ends there, the body kept. A response whose
// header block passes max_head bytes is a failed transfer that stores no
// cookie either.
struct transfer_limits {
    std::chrono::milliseconds connect{60000};  // to have a connection
    std::chrono::milliseconds idle{60000};     // without a byte received or sent, header bytes included
    std::size_t max_body = std::size_t{256} << 20;
    std::size_t max_head = std::size_t{1} << 20;
};

transfer_limits current_transfer_limits();
// For tests: shorter limits, so that a stalled server costs little time.
void set_transfer_limits_for_testing(const transfer_limits& limits);

}  // namespace web
