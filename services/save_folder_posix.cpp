// The download folder of the XDG user directories, and the probe of a folder
// that takes files, on POSIX.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "services/system_paths.h"
#include "services/system_services.h"

namespace common {
namespace {

bool is_folder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

// The value of an XDG_DOWNLOAD_DIR line: "$HOME/..." or an absolute path,
// in double quotes with backslash escapes; nullopt for anything else.
std::optional<std::string> download_dir_value(std::string_view line, const std::string& home) {
    constexpr std::string_view key = "XDG_DOWNLOAD_DIR=";
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.starts_with(key)) return std::nullopt;
    line.remove_prefix(key.size());
    std::string value;
    if (!line.empty() && line.front() == '"') {
        line.remove_prefix(1);
        bool closed = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                value += line[++i];
            } else if (line[i] == '"') {
                closed = true;
                break;
            } else {
                value += line[i];
            }
        }
        if (!closed) return std::nullopt;
    } else {
        value = std::string(line.substr(0, line.find_first_of(" \t\r")));
    }
    if (value == "$HOME" || value.starts_with("$HOME/")) {
        if (home.empty()) return std::nullopt;
        value = home + value.substr(5);
    }
    if (!value.starts_with('/')) return std::nullopt;
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
}

std::optional<std::string> configured_download_folder(const std::string& home) {
    const std::string config = config_home();
    if (config.empty()) return std::nullopt;
    std::ifstream in(config + "/user-dirs.dirs", std::ios::binary);
    std::optional<std::string> found;
    for (std::string line; std::getline(in, line);) {
        if (auto value = download_dir_value(line, home)) found = std::move(value);
    }
    return found;
}

}  // namespace

std::string download_folder() {
    const std::string home = home_folder();
    if (auto configured = configured_download_folder(home); configured && is_folder(*configured)) return *configured;
    if (!home.empty() && is_folder(home + "/Downloads")) return home + "/Downloads";
    return home;
}

bool takes_files(const std::string& folder) {
    static std::atomic<unsigned> probe_number{0};
    if (folder.empty()) return false;
    std::string probe = folder + "/.quorla-probe-" + std::to_string(::getpid()) + "-" + std::to_string(probe_number.fetch_add(1));
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

}  // namespace common
