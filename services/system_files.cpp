// The program's directory and whole-file writes.
//
// Paths inside the program are GBK text; on disk they are UTF-8 names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "common/code_page.h"
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

std::mutex directory_lock;
std::string directory_for_testing;

}  // namespace

void replace_program_directory_for_testing(std::string directory) {
    std::lock_guard<std::mutex> hold(directory_lock);
    directory_for_testing = std::move(directory);
}

std::string program_directory() {
    {
        std::lock_guard<std::mutex> hold(directory_lock);
        if (!directory_for_testing.empty()) return directory_for_testing;
    }
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
    return convert_utf8_to_gbk(exe.parent_path().string());
}

// The bytes go to a temporary file beside the target, which then replaces
// the target in one rename: a failed write leaves the old file as it was.
bool write_file(std::string_view path, std::initializer_list<byte_array> parts) {
    if (path.empty()) return false;
    std::filesystem::path target(convert_gbk_to_utf8(path));
    if (target.filename().empty()) return false;
    std::error_code error;
    if (std::filesystem::is_directory(target, error)) return false;

    std::filesystem::path temp = target;
    temp.replace_filename("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                          std::to_string(temp_counter.fetch_add(1)));
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (const byte_array& part : parts) {
        if (!part.empty() && !write_all(fd, part)) {
            ok = false;
            break;
        }
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace common
