// An address as one line of a playlist or a download list.
#pragma once

#include <string>
#include <string_view>

namespace exporting {

// The address as its request would carry it (space, control bytes and bytes
// of 0x80 and above as %XX), with a leading '#' as %23 so the line cannot be
// read as a comment. Nothing in it can end the line or start an option line.
std::string list_address(std::string_view address);

}  // namespace exporting
