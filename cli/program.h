// The command line: its options, its runs and what it prints.
#pragma once

#include <string>
#include <vector>

#include "cli/console.h"

namespace cli {

// Exit statuses.
inline constexpr int found_rows = 0;
inline constexpr int found_nothing = 1;
inline constexpr int usage_error = 2;
inline constexpr int network_failure = 3;

// Runs the command line `arguments` (UTF-8, the program's name first) with
// `io` as its streams and files; returns the exit status.
int run_program(const std::vector<std::string>& arguments, console& io);

}  // namespace cli
