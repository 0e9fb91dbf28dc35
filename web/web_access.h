// The program's one HTTP client.
//
// 网页_访问 sends one request and reads the whole response into memory; the
// site logic uses it through fetch_page_text, a plain GET. Cookies that a
// response sets are kept in one store shared by every call and thread and
// sent with later requests to the same host. Every failure gives an empty
// body and no message.
#pragma once

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
// conversion:     1 UTF-8 to GBK, 2 Big5 to simplified GBK, else none.
// response_headers: the status line and header lines of the final response.
common::byte_array 网页_访问(std::string& url, int 访问方式 = 0, std::string_view proxy = {},
                            std::string* extra_headers = nullptr, std::string_view body = {},
                            std::string_view cookies = {}, int conversion = 0,
                            std::string* response_headers = nullptr);

// A plain GET of `url`; the body up to its first zero byte.
std::string fetch_page_text(std::string url);

// A message box for the routine's own error: the button code minus 1 (OK 0).
// Empty caption means "友情提醒"; style 64 is OK with the information icon.
int notice_box(std::string_view message = {}, int style = 64, std::string_view caption = {});

}  // namespace web
