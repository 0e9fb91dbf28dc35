// The requests the site has received, as their bytes arrived.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sample_site/sample_site.h"

namespace sample_site {

// Splits a request head (request line, header lines, the empty line) into a
// logged_request; header values lose the blanks around them, names are kept
// as sent, a line without ":" gives a header with an empty value.
logged_request parse_request_head(std::string_view raw_head);

// The target of a request line ("GET /a?b HTTP/1.1" -> "/a?b"); empty when
// the line has no second word.
std::string request_target(std::string_view request_line);

// The value of the first header named `name` (ASCII case ignored), or empty.
std::string header_value(const logged_request& request, std::string_view name);

class request_log {
public:
    void add(logged_request request);
    std::vector<logged_request> all() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<logged_request> requests_;
};

}  // namespace sample_site
