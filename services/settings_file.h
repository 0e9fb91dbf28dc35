// Where the user's settings file is looked for, one file per system.
#pragma once

#include <string>

namespace common {

// The settings file quorla-hd.ini (native bytes, UTF-8), whether or not it
// exists: in $XDG_CONFIG_HOME/quorla-hd/ (else ~/.config/quorla-hd/) on
// POSIX; on Windows beside the program for a copy that is not installed, in
// %APPDATA%\Quorla HD\ for an installed one. Empty when no folder is known.
std::string settings_file_path();

}  // namespace common
