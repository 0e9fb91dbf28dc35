// The text of a request as 网页_访问 sends it: its header text and the path
// of its request line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace web {

inline constexpr std::string_view default_accept_line =
    "Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
inline constexpr std::string_view default_language_line = "Accept-Language: zh-cn\r\n";
inline constexpr std::string_view form_type_line = "Content-Type: application/x-www-form-urlencoded\r\n";

// The caller's lines with the routine's own appended, each only when the
// header text as it stands lacks it (ASCII case ignored): Accept, Referer
// (the url with its control bytes escaped, so page text in it cannot start
// a header line of its own),
// Accept-Language; then the cookie line for GET, or for POST the form type
// and length of a non-empty body and then the cookie line. The cookie line
// ends the text with an empty line.
std::string build_header_text(std::string_view extra_headers, std::string_view url, bool post,
                              std::string_view body, std::string_view cookies);

// The header text's lines: the runs of bytes between line ends (CR, LF or
// both), empty lines left out, so no line carries a stray line end.
std::vector<std::string> header_lines(std::string_view header_text);

// The text with every control byte (below 0x20, and 0x7F) written as %XX.
std::string encode_control_bytes(std::string_view text);

// The path with every byte that a request line cannot carry raw (space,
// control bytes, bytes of 0x80 and above) written as %XX.
std::string encode_request_path(std::string_view path);

}  // namespace web
