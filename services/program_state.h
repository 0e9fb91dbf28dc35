// The program-wide variables: created before the window loads, released when
// the program ends, reached from the user-interface thread and from runs.
// Each run and each search compiles and matches with a pattern and match list
// of its own, so no pattern is shared here.
#pragma once

#include <string>
#include <string_view>

namespace common {

// Also sets what the whole process keeps: a write past the file-size limit
// fails with an error instead of raising a signal that ends the program.
void init_program_state();
void release_program_state();

// The title of the video last resolved by video ID; empty at start.
std::string video_title();
void set_video_title(std::string_view title);

// The format label of the last quality selection; empty at start.
std::string last_format_label();
void set_last_format_label(std::string_view label);

}  // namespace common
