// The command line's options, read by CLI11.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/output_formats.h"
#include "web/host_settings.h"

namespace cli {

enum class command { search, episodes, video };
enum class save_kind { html, m3u8, aria2 };

struct options {
    command what = command::search;
    std::vector<std::string> inputs;    // the command's arguments, UTF-8
    std::optional<int> resolve;         // search: the hit whose episodes are listed (1-based)
    format how = format::table;         // table or tabs: chosen by the stream
    bool chosen_format = false;         // --urls or --json given
    std::optional<save_kind> save;
    std::optional<std::string> output;  // -o: a file, or "-" for standard output
    std::optional<std::string> batch;   // -a: a file of inputs, or "-"
    bool quiet = false;
    bool gbk = false;                   // --encoding gbk
    web::host_options hosts;
};

// What the command line asks for: options to run, or a text to print and
// the exit status to end with (help, version, a usage error).
struct finished {
    std::string text;  // UTF-8
    bool on_error_stream = false;
    int status = 0;
};
std::variant<options, finished> read_command_line(const std::vector<std::string>& arguments);

}  // namespace cli
