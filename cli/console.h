// The program's standard streams, arguments and files, as each system has
// them. Text is UTF-8 on the way in and out; a console gets it in the
// system's own way, anything else gets the bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class stream { out, err };

class console {
public:
    virtual ~console() = default;
    // The stream is a terminal (a console window on Windows).
    virtual bool is_terminal(stream which) = 0;
    // UTF-8 text: a console shows it as text, a file or a pipe gets the bytes.
    virtual void write_text(stream which, std::string_view utf8) = 0;
    // Bytes as they are, whatever the stream is.
    virtual void write_bytes(stream which, std::string_view bytes) = 0;
    // A whole file named by a UTF-8 path, or standard input for "-";
    // nullopt when it cannot be read.
    virtual std::optional<std::string> read_input(const std::string& path) = 0;
    // Replaces the file named by a UTF-8 path atomically; false on failure.
    virtual bool write_file(const std::string& path, std::string_view bytes) = 0;
};

// The process's own streams and files.
console& system_console();

// The program's arguments as UTF-8, the program's name first: on Windows
// read from the UTF-16 command line, whatever the ANSI code page.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace cli
