// How many terminal columns text takes, by the East Asian Width property:
// wide and fullwidth characters take two, combining marks and other
// zero-width characters none, everything else one (ambiguous ones too, as
// terminals outside a CJK locale show them).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

int character_width(char32_t c);
// The columns of UTF-8 text; a malformed byte counts as one column.
std::size_t display_width(std::string_view utf8);

// The UTF-8 text with every control character (C0, DEL, C1), tab and line
// ends included, as one space: page text cannot move the cursor, start a
// terminal sequence or break a line or a field.
std::string printable(std::string_view utf8);

}  // namespace cli
