// How a status text fits its part of the status bar.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace app {

// `text` when it is no wider than `room`, else as much of its beginning and
// of its end as fit with "…" between them (a save's status ends with the
// file's folder and name). `width` measures a text as the window draws it.
// No character is cut in half.
std::u16string shorten_in_middle(std::u16string_view text, int room,
                                 const std::function<int(std::u16string_view)>& width);

}  // namespace app
