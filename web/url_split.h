// Taking a URL apart for the connect step and the request line: plain text
// operations, not a URL parser (no user info, no IPv6 brackets, no escapes).
#pragma once

#include <string>
#include <string_view>

namespace web {

// The server name, ASCII letters lower-cased: what stands after the scheme,
// up to the first "/" and then the first ":".
std::string url_host(std::string_view url);

// From the first "/" after the host to the end, query and fragment included;
// "/" when there is none.
std::string url_path(std::string_view url);

// The port an "http://" URL names, 80 when it names none and 0 (the default
// port) when the text after ":" is not a number. An "https://" URL always
// gives 0: it is fetched as plain HTTP.
int url_port(std::string_view url);

}  // namespace web
