// The user's configuration folder of the XDG base directories, and the
// settings file in it, on POSIX.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "services/settings_file.h"
#include "services/system_paths.h"

namespace common {

std::string home_folder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) return user->pw_dir;
    return {};
}

std::string config_home() {
    // XDG_CONFIG_HOME counts only as an absolute path; a relative one is ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') return config;
    const std::string home = home_folder();
    return home.empty() ? std::string() : home + "/.config";
}

std::string settings_file_path() {
    const std::string config = config_home();
    return config.empty() ? std::string() : config + "/quorla-hd/quorla-hd.ini";
}

}  // namespace common
