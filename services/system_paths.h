// What the files and the save folder need from the system, one file per
// system beside the shared code. Internal to services/.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace common {

// A path of native bytes (UTF-8) for the standard library's file calls.
std::filesystem::path native_path(std::string_view path);

// The directory of the running executable, native bytes (UTF-8); "." when
// the system does not tell.
std::string executable_directory();

// A write past the file-size limit fails like any other failed write,
// rather than ending the program with every listed row (where the system
// raises a signal for it).
void ignore_file_size_signal();

// Whether a file can really be created in `folder` (permission bits alone do
// not tell: they do not bind root, nor show a read-only file system). The
// probe leaves nothing behind.
bool takes_files(const std::string& folder);

// A file `name` (a single folder entry) cleaned further of what this
// system's file names cannot hold; the length stays the same.
void clean_name_for_system(std::string& name);

// POSIX systems only (the _posix files): the home folder, $HOME, else the
// password database's; empty when unknown. And $XDG_CONFIG_HOME when it is an
// absolute path, else ~/.config; empty when no home is known.
std::string home_folder();
std::string config_home();

}  // namespace common
