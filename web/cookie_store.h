// The program's one cookie store, shared by every call and thread: cookies
// put here are sent with later requests to their host.
//
// The HTTP engine also keeps the cookies it reads in responses; storing a
// cookie here first drops every cookie of the same name held for the same
// domain (whatever its path), so each name is held once per domain.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "web/cookie_lines.h"

namespace web {

// Stores data's value under the cookie's name for the host of `address`.
// Of the attributes in data, path (default "/"), domain (the host itself or
// a parent domain of it), max-age, expires and secure are kept; an expiry in
// the past removes the cookie. False when the store refuses the cookie: an
// empty or malformed name, control bytes in the value, or a domain that is
// not the host's own.
bool store_cookie(const cookie_triple& cookie);

// The most cookies one response may set; the lines after them are ignored.
inline constexpr std::size_t max_cookies_per_response = 50;

// Stores, in order, the first max_cookies_per_response cookies that one
// response sets, each as store_cookie would, in time proportional to their
// number whatever the jar holds. The number stored.
std::size_t store_response_cookies(const std::vector<cookie_triple>& cookies);

// The most cookies the jar holds for one domain, and in all; past them the
// least recently set go first.
inline constexpr std::size_t max_cookies_per_host = 180;
inline constexpr std::size_t max_cookies_held = 3000;

// Stores, as the overload above does, the cookies of a response that
// `answering_host` sent, filed under that host (lower case, an IPv6 address
// without brackets) whatever their addresses say.
std::size_t store_response_cookies(const std::vector<cookie_triple>& cookies, const std::string& answering_host);

// The host that answered a request for `effective_url`, the address the
// engine fetched, and the path asked for, as the engine's own URL parser
// reads them: user information, IPv6 brackets and ports understood. The
// host is lower case, an IPv6 address without its brackets; empty when the
// address cannot be read.
struct response_origin {
    std::string host;
    std::string path;
};
response_origin origin_of(std::string_view effective_url);

// The HTTP engine keeps cookies of its own from the first 50 "Set-Cookie:"
// lines of every response it reads, redirections included: this counts
// them in the jar's bounds, so that the store drops them when it stores a
// cookie of the same name or when they are the least recently set. Called
// with the head of each response the engine read; the next store (an empty
// one when the response sets nothing to store) brings the jar within its
// bounds.
void note_engine_cookies(const response_origin& origin, std::string_view head_text);

// For tests: every cookie held, one line each in the Netscape cookie-file
// layout (domain, subdomains, path, secure, expiry, name, value; tab
// separated).
std::vector<std::string> stored_cookies_for_testing();
// For tests: forget every cookie.
void clear_cookies_for_testing();

}  // namespace web
