// Files held in memory, named by small numbers.
#include <algorithm>
#include <map>
#include <mutex>

#include "common/text_walk.h"
#include "services/system_services.h"

namespace common {
namespace {

struct memory_file {
    std::string bytes;
    std::size_t position = 0;
};

std::mutex files_guard;
std::map<int, memory_file> files;

// The file behind a number; callers hold files_guard.
memory_file* find_file(int number) {
    auto it = files.find(number);
    return it == files.end() ? nullptr : &it->second;
}

bool ends_line_unconsumed(unsigned char byte) { return byte == 0 || byte == 26; }

}  // namespace

int open_memory_file() {
    std::lock_guard lock(files_guard);
    int number = 1;
    while (files.count(number) != 0) ++number;  // the smallest free number
    files[number].bytes.reserve(1024);
    return number;
}

bool write_text(int file, std::string_view text) {
    std::lock_guard lock(files_guard);
    memory_file* f = find_file(file);
    if (f == nullptr) return false;
    if (f->position > f->bytes.size()) f->bytes.resize(f->position, '\0');
    f->bytes.replace(f->position, std::min(text.size(), f->bytes.size() - f->position), text);
    f->position += text.size();
    return true;
}

bool seek_file_start(int file) {
    std::lock_guard lock(files_guard);
    memory_file* f = find_file(file);
    if (f == nullptr) return false;
    f->position = 0;
    return true;
}

std::string read_line(int file) {
    std::lock_guard lock(files_guard);
    memory_file* f = find_file(file);
    if (f == nullptr || f->position >= f->bytes.size()) return {};
    const std::string& b = f->bytes;
    std::size_t i = f->position;
    std::size_t line_end = b.size();
    std::size_t next = b.size();
    // Walk by characters so that a trail byte is never taken for a line end.
    while (i < b.size()) {
        auto byte = static_cast<unsigned char>(b[i]);
        if (byte == '\n') {
            line_end = i;
            next = i + 1;
            break;
        }
        if (ends_line_unconsumed(byte)) {
            line_end = next = i;
            break;
        }
        i += walk::char_width(b, i, walk::line_chars);
    }
    std::string line = b.substr(f->position, line_end - f->position);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    f->position = next;
    return line;
}

bool at_end_of_file(int file, bool treat_end_byte) {
    std::lock_guard lock(files_guard);
    memory_file* f = find_file(file);
    if (f == nullptr || f->position >= f->bytes.size()) return true;
    return treat_end_byte && ends_line_unconsumed(static_cast<unsigned char>(f->bytes[f->position]));
}

void close_file(int file) {
    std::lock_guard lock(files_guard);
    files.erase(file);
}

}  // namespace common
