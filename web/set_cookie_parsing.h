// A Set-Cookie line read twice over: as the store keeps the cookie, and as
// the HTTP engine keeps its own copy of it. Internal to web/.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "web/cookie_lines.h"
#include "web/held_cookies.h"

namespace web {

// One attribute after the cookie's value: its name and value, blanks around
// them trimmed; `has_value` is false when the attribute carries no "=".
struct cookie_attribute {
    std::string_view key;
    std::string_view value;
    bool has_value = false;
};

// The attributes of `text`, a cookie's value or "name=value" followed by
// its attributes: whatever follows its first ";", split at every ";".
std::vector<cookie_attribute> attributes_of(std::string_view text);

// A cookie as the store puts it in the jar.
struct cookie_record {
    std::string domain;  // without a leading dot
    bool subdomains = false;
    std::string path = "/";
    bool secure = false;
    long long expires = 0;  // 0: ends with the session
    bool expired = false;
    std::string name;
    std::string value;

    std::string file_line() const { return cookie_file_line(domain, subdomains, path, secure, expires, name, value); }
};

// The cookie `cookie` describes for `host`, or nullopt when the store
// refuses it (see store_cookie).
std::optional<cookie_record> read_cookie(const cookie_triple& cookie, const std::string& host);

// The cookie the engine keeps of one "Set-Cookie:" line (the text after
// the colon) of a response from `host` to a request for `path`; nullopt
// when the line names no cookie or the engine refuses its domain.
std::optional<held_cookie> engine_copy(std::string_view line, const std::string& host, std::string_view path);

}  // namespace web
