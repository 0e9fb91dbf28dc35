// The hosts from everywhere a user may set them: command-line options, the
// QUORLA_*_HOST variables and the [hosts] section of the settings file
// quorla-hd.ini, in that order, over the compiled-in hosts.
//
//   [hosts]
//   site = video.example.com
//   search = search.example.com:8080
//   stream = 203.0.113.7
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "web/site_hosts.h"

namespace web {

// Hosts named on a command line; unset when not given.
struct host_options {
    std::optional<std::string> site, search, stream;
};

// Options --site-host, --search-host, --stream-host (each "--x-host VALUE" or
// "--x-host=VALUE") from a program's arguments (UTF-8, program name
// excluded); every other argument is ignored (Qt's own options pass). The
// last of a repeated option counts; "--" ends the options; an option with
// nothing after it is given as empty (and so refused).
host_options host_options_from_arguments(const std::vector<std::string>& arguments);

// The hosts in use from now on: each role from `given`, else its
// QUORLA_*_HOST variable, else the settings file's [hosts] key, else the
// built-in value. Returns every refused value for one warning.
std::vector<refused_host> take_hosts(const host_options& given = {});

// Where the settings file is looked for (native bytes, UTF-8).
std::string settings_file_path();

// A settings file larger than this is not read.
inline constexpr std::size_t largest_settings_file = 64 * 1024;

// The choice take_hosts makes, from `built_in`, `given`, the environment
// through `lookup` and the file at `settings_file` (native bytes; empty for
// none). A value that is not a host is refused and the role keeps its
// built-in host. The file is read only for a role that neither an option nor
// a variable sets; a missing file is no fault, one that cannot be read (or
// is larger than largest_settings_file, or is not INI text) is refused whole.
chosen_hosts choose_hosts(const site_hosts& built_in, const host_options& given, const environment_lookup& lookup,
                          const std::string& settings_file);

}  // namespace web
