// The program's directory, file names for the disk and whole-file writes.
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

void replace_program_directory_for_testing(std::string native_directory) {
    std::lock_guard<std::mutex> hold(directory_lock);
    directory_for_testing = std::move(native_directory);
}

std::string program_directory_path() {
    {
        std::lock_guard<std::mutex> hold(directory_lock);
        if (!directory_for_testing.empty()) return directory_for_testing;
    }
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
    return exe.parent_path().string();
}

std::string program_directory() { return convert_utf8_to_gbk(program_directory_path()); }

std::string disk_file_name(std::string_view stem, std::string_view extension) {
    std::string name;
    name.reserve(stem.size() + extension.size());
    for (char c : stem) {
        auto byte = static_cast<unsigned char>(c);
        bool unsafe = byte < 0x20 || byte == 0x7F || c == '/' || c == '\\';
        name += unsafe ? '_' : c;
    }
    if (extension.size() < longest_file_name && name.size() + extension.size() > longest_file_name) {
        std::size_t keep = longest_file_name - extension.size();
        // Back off over UTF-8 continuation bytes to the start of a character.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        name.resize(keep);
    }
    // Checked after the cut, which may leave nothing of the stem: the name
    // is never empty and never hidden. One byte always fits, as the
    // extension is shorter than the longest name when there was a cut.
    if (name.empty()) name = "_";
    if (name.front() == '.') name.front() = '_';
    return name + std::string(extension);
}

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

}  // namespace common
