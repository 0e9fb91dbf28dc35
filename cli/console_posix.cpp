#include "cli/console.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "common/text_ops.h"
#include "services/system_services.h"

namespace cli {
namespace {

FILE* file_of(stream which) { return which == stream::out ? stdout : stderr; }

class posix_console final : public console {
public:
    bool is_terminal(stream which) override { return ::isatty(::fileno(file_of(which))) == 1; }

    void write_text(stream which, std::string_view utf8) override { write_bytes(which, utf8); }

    void write_bytes(stream which, std::string_view bytes) override {
        FILE* file = file_of(which);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fflush(file);
    }

    std::optional<std::string> read_input(const std::string& path) override {
        std::ostringstream all;
        if (path == "-") {
            all << std::cin.rdbuf();
            return all.str();
        }
        std::ifstream file(path, std::ios::binary);
        if (!file) return std::nullopt;
        all << file.rdbuf();
        if (file.bad()) return std::nullopt;
        return all.str();
    }

    bool write_file(const std::string& path, std::string_view bytes) override {
        const std::size_t cut = path.rfind('/');
        const std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
        const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
        return common::write_file_in(folder, name, {common::to_bytes(bytes)});
    }
};

}  // namespace

console& system_console() {
    static posix_console console;
    return console;
}

std::vector<std::string> program_arguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace cli
