// Turning a descriptor title's escapes back into GBK text.
#pragma once

#include <string>
#include <string_view>

namespace resolve {

// Evaluates the title as a single-quoted script literal passed to unescape,
// with "\u" escapes rewritten as "%u". A title that could end that literal
// or its line is not evaluated, and it and a title the engine cannot evaluate
// come back as they were given.
std::string unescape_title(std::string_view title);

}  // namespace resolve
