// The hosts in use, chosen at start-up from the program's options, the
// environment and the built-in values.
//
// A stand-in with the interface the settings file will have: only the
// options and the environment are read here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "web/site_hosts.h"

namespace web {

// Hosts given on the command line ("--site-host", "--search-host",
// "--stream-host"); nullopt where none was given.
struct host_options {
    std::optional<std::string> site, search, stream;
};

// The host options among the program's arguments, as "--site-host VALUE" or
// "--site-host=VALUE"; other arguments are left alone.
host_options host_options_from_arguments(const std::vector<std::string>& arguments);

// The hosts from the environment (take_hosts_from_environment), with each
// role given in `given` taking its value instead. Returns every refused value.
std::vector<refused_host> take_hosts(const host_options& given = {});

// Where the settings file is read from (native bytes).
std::string settings_file_path();

}  // namespace web
