// Files on POSIX: the executable from /proc, whole-file writes made
// atomic through a folder descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/code_page.h"
#include "services/system_paths.h"
#include "services/system_services.h"

namespace common {
namespace {

bool write_all(int fd, const byte_array& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::atomic<unsigned> temp_counter{0};

bool single_entry(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.size() <= longest_file_name &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// A descriptor of the folder, so the temporary file and the final name are
// both made in that folder whatever its path comes to name meanwhile.
int open_folder(std::string_view folder) {
    std::string path(folder.empty() ? "." : folder);
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

std::filesystem::path native_path(std::string_view path) { return std::filesystem::path(path); }

std::string executable_directory() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
    return exe.parent_path().string();
}

void clean_name_for_system(std::string&) {}

void ignore_file_size_signal() { std::signal(SIGXFSZ, SIG_IGN); }

bool write_file_in(std::string_view folder, std::string_view name, std::initializer_list<byte_array> parts) {
    if (!single_entry(name)) return false;
    int dir = open_folder(folder);
    if (dir < 0) return false;
    const std::string target(name);
    const std::string temp = ".quorla-" + std::to_string(::getpid()) + "-" +
                             std::to_string(temp_counter.fetch_add(1)) + ".tmp";
    struct stat existing {};
    bool ok = !(::fstatat(dir, target.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode));
    int fd = ok ? ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666) : -1;
    if (fd < 0) {
        ::close(dir);
        return false;
    }
    for (const byte_array& part : parts) {
        if (!part.empty() && !write_all(fd, part)) {
            ok = false;
            break;
        }
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::renameat(dir, temp.c_str(), dir, target.c_str()) != 0) ok = false;
    if (!ok) ::unlinkat(dir, temp.c_str(), 0);
    ::close(dir);
    return ok;
}

bool write_file(std::string_view path, std::initializer_list<byte_array> parts) {
    if (path.empty()) return false;
    std::filesystem::path target(convert_gbk_to_utf8(path));
    if (!target.has_filename()) return false;
    return write_file_in(target.parent_path().string(), target.filename().string(), parts);
}

std::optional<std::string> environment_variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

}  // namespace common
