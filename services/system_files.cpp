// The program's directory and file names for the disk; the writes themselves
// are in the _posix / _win32 files.
#include <mutex>
#include <string>

#include "common/code_page.h"
#include "services/system_paths.h"
#include "services/system_services.h"

namespace common {
namespace {

std::mutex directory_lock;
std::string directory_for_testing;

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
    return executable_directory();
}

bool enter_program_directory() {
    std::error_code error;
    std::filesystem::current_path(native_path(executable_directory()), error);
    return !error;
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
    name += extension;
    clean_name_for_system(name);
    return name;
}

}  // namespace common
