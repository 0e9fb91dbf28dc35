// Seams for tests of the services and of the code that uses them.
#pragma once

#include <functional>
#include <string>

namespace common {

// Answers message boxes instead of showing them. The hook gets the message,
// the style flags and the caption (GBK) and returns the button code. With a
// window side it runs on the user-interface thread; without one, on the
// caller's. An empty function restores real boxes.
using message_box_hook = std::function<int(const std::string& message, int style, const std::string& caption)>;
void set_message_box_hook(message_box_hook hook);

// Lets stop_requested() go back to false after a close.
void clear_stop_for_testing();

}  // namespace common
