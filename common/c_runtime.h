// The two C-library calls of the text core that differ by system. Internal
// to common/.
#pragma once

#include <cstddef>

namespace common {

// The first occurrence of the `sub_length` bytes at `sub` in the `length`
// bytes at `text`, null when there is none (zeros are ordinary bytes).
const char* find_bytes(const char* text, std::size_t length, const char* sub, std::size_t sub_length);

// strtod in the "C" locale, so the decimal point is a point whatever
// locale the process has set.
double c_locale_strtod(const char* number);

}  // namespace common
