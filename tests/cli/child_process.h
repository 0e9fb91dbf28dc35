// The built program run as a child process, as a shell would run it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli_test {

// Runs `program` with `arguments` (UTF-8; on Windows passed as UTF-16),
// standard output into `out_file` and standard error into `err_file`;
// returns its exit status, -1 when it could not be run.
int run_child(const std::string& program, const std::vector<std::string>& arguments, const std::string& out_file,
              const std::string& err_file);

// Sets (or, for nullopt, removes) a variable of this process's environment.
void set_environment(const char* name, const std::optional<std::string>& value);

}  // namespace cli_test
