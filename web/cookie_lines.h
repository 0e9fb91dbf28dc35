// The cookies a response header block sets, taken out line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace web {

// What is handed to the cookie store for one "Set-Cookie: " line.
struct cookie_triple {
    std::string address;  // "http://" + host of the request, whatever its scheme
    std::string name;     // before the first "=" (empty when there is none)
    std::string data;     // after it: the value and every attribute, unchanged

    bool operator==(const cookie_triple&) const = default;
};

// Every line of `header_text` holding "Set-Cookie: " (ASCII case ignored,
// anywhere in the line), in order. The line's first 12 bytes are dropped
// wherever the marker stood, so "X-Set-Cookie: a=1" names the cookie ": a".
// A byte 26 ends the scan: the lines after it are not read.
std::vector<cookie_triple> cookies_set_by(std::string_view header_text, std::string_view request_url);

}  // namespace web
