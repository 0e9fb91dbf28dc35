// Which requests and answers a connection can stay open after.
#pragma once

#include <string>
#include <string_view>

#include "sample_site/sample_site.h"

namespace sample_site {

// Whether `request` (HTTP/1.1 without "Connection: close") lets its
// connection stay open after the answer.
bool asks_to_keep(const logged_request& request);

// Makes the answer whose head is the first `head_size` bytes of `answer` fit
// a kept connection: its "Connection: close" lines are dropped. False, and
// the answer untouched, when its end cannot be told without a close (no
// Content-Length, or a Transfer-Encoding).
bool make_answer_keepable(std::string& answer, std::size_t head_size);

}  // namespace sample_site
