// The program's one cookie store, shared by every call and thread: cookies
// put here are sent with later requests to their host.
//
// The HTTP engine also keeps the cookies it reads in responses; storing a
// cookie here first drops every cookie of the same name held for the same
// domain (whatever its path), so each name is held once per domain.
#pragma once

#include <cstddef>
#include <string>
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
// response sets, each as store_cookie would, looking through the store
// once for them all. The number stored.
std::size_t store_response_cookies(const std::vector<cookie_triple>& cookies);

// For tests: every cookie held, one line each in the Netscape cookie-file
// layout (domain, subdomains, path, secure, expiry, name, value; tab
// separated).
std::vector<std::string> stored_cookies_for_testing();
// For tests: forget every cookie.
void clear_cookies_for_testing();

}  // namespace web
