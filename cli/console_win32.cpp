#include "cli/console.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "common/code_page.h"
#include "common/text_ops.h"
#include "services/system_services.h"

namespace cli {
namespace {

HANDLE handle_of(stream which) { return GetStdHandle(which == stream::out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE); }

std::string utf8_of(const wchar_t* units) {
    std::wstring_view view(units);
    return common::encode_code_page(std::u16string(view.begin(), view.end()), common::code_page_utf8)
        .value_or(std::string());
}

bool write_all(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

class win32_console final : public console {
public:
    bool is_terminal(stream which) override {
        DWORD mode = 0;
        return GetConsoleMode(handle_of(which), &mode) != 0;
    }

    // A console takes UTF-16, whatever its code page; a file or a pipe the
    // UTF-8 bytes.
    void write_text(stream which, std::string_view utf8) override {
        if (!is_terminal(which)) return write_bytes(which, utf8);
        const std::u16string units = common::decode_code_page(utf8, common::code_page_utf8).value_or(u"");
        const wchar_t* at = reinterpret_cast<const wchar_t*>(units.data());
        std::size_t left = units.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 8192));
            if (!WriteConsoleW(handle_of(which), at, chunk, &written, nullptr) || written == 0) return;
            at += written;
            left -= written;
        }
    }

    void write_bytes(stream which, std::string_view bytes) override { write_all(handle_of(which), bytes); }

    std::optional<std::string> read_input(const std::string& path) override {
        HANDLE file = INVALID_HANDLE_VALUE;
        const bool own = path != "-";
        if (own) {
            const std::u16string wide = common::decode_code_page(path, common::code_page_utf8).value_or(u"");
            file = CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        } else {
            file = GetStdHandle(STD_INPUT_HANDLE);
        }
        if (file == INVALID_HANDLE_VALUE || file == nullptr) return std::nullopt;
        std::string all;
        char buffer[65536];
        bool ok = true;
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
                // A pipe whose writer has gone ends the input.
                ok = GetLastError() == ERROR_BROKEN_PIPE;
                break;
            }
            if (read == 0) break;
            all.append(buffer, read);
        }
        if (own) CloseHandle(file);
        if (!ok) return std::nullopt;
        return all;
    }

    bool write_file(const std::string& path, std::string_view bytes) override {
        const std::size_t cut = path.find_last_of("/\\");
        if (cut == std::string::npos) return common::write_file_in(".", path, {common::to_bytes(bytes)});
        const bool root = cut == 0 || (cut == 2 && path[1] == ':');
        const std::string folder = root ? path.substr(0, cut + 1) : path.substr(0, cut);
        return common::write_file_in(folder, path.substr(cut + 1), {common::to_bytes(bytes)});
    }
};

}  // namespace

console& system_console() {
    static win32_console console;
    return console;
}

std::vector<std::string> program_arguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(utf8_of(wide[i]));
    LocalFree(wide);
    return arguments;
}

}  // namespace cli
