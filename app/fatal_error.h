// Errors the program cannot go on after: a stop-icon box, then exit code -1.
#pragma once

#include <string>
#include <string_view>

namespace app {

// "运行时出错!", two line breaks, "错误信息：", the error text and a line break.
std::string fatal_error_message(std::string_view error_text);

// Shows the box (when a box can be shown from this thread) and ends the
// process with exit code -1, without releasing the program-wide variables.
[[noreturn]] void fatal_error(std::string_view error_text);

}  // namespace app
