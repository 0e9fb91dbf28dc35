// Files on Windows: every path goes to the wide-character calls, converted
// from UTF-8 at the call; whole-file writes replace their file atomically.
#include <windows.h>

#include <atomic>
#include <algorithm>
#include <cctype>
#include <cwctype>
#include <climits>
#include <string>

#include "common/code_page.h"
#include "services/system_paths.h"
#include "services/system_services.h"

namespace common {
namespace {

std::atomic<unsigned> temp_counter{0};

std::wstring wide(std::string_view utf8) {
    const auto units = decode_code_page(utf8, code_page_utf8);
    if (!units) return {};
    return std::wstring(units->begin(), units->end());
}

std::string utf8(std::wstring_view units) {
    return encode_code_page(std::u16string(units.begin(), units.end()), code_page_utf8).value_or(std::string());
}

// A full path for the wide calls: separators made backslashes, and an
// absolute path given the \\?\ form so that a long folder and a long name
// together are not cut at 260 characters.
std::wstring call_path(std::string_view folder, std::string_view name) {
    std::wstring path = wide(folder.empty() ? std::string_view(".") : folder);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    if (!name.empty()) {
        if (path.back() != L'\\') path += L'\\';
        path += wide(name);
    }
    const bool drive_absolute = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
    if (drive_absolute) return L"\\\\?\\" + path;
    if (path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

bool single_entry(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.size() <= longest_file_name &&
           name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

bool write_all(HANDLE file, const byte_array& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool is_reserved_base(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' && base[3] <= '9';
}

}  // namespace

std::filesystem::path native_path(std::string_view path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// Windows has no signal for a file grown past a limit.
void ignore_file_size_signal() {}

std::string executable_directory() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (n == 0) return ".";
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        if (exe.size() >= 32768) return ".";
        exe.resize(exe.size() * 2);
    }
    const std::size_t cut = exe.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return ".";
    exe.resize(cut == 2 && exe[1] == L':' ? cut + 1 : cut);  // "C:\" keeps its separator
    return utf8(exe);
}

// What Windows refuses in a name: < > : " | ? * (control bytes, / and \ are
// already gone), a name ending in a dot or a space, and the device names
// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 with any extension. Each becomes '_'.
void clean_name_for_system(std::string& name) {
    for (char& c : name) {
        if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos) c = '_';
    }
    for (std::size_t i = name.size(); i > 0 && (name[i - 1] == '.' || name[i - 1] == ' '); --i) name[i - 1] = '_';
    if (is_reserved_base(name)) name.front() = '_';
}

bool takes_files(const std::string& folder) {
    static std::atomic<unsigned> probe_number{0};
    if (folder.empty()) return false;
    const std::string probe =
        ".quorla-probe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(probe_number.fetch_add(1));
    HANDLE file = CreateFileW(call_path(folder, probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool write_file_in(std::string_view folder, std::string_view name, std::initializer_list<byte_array> parts) {
    if (!single_entry(name)) return false;
    const std::wstring target = call_path(folder, name);
    const DWORD existing = GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    const std::string temp_name = ".quorla-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(temp_counter.fetch_add(1)) + ".tmp";
    const std::wstring temp = call_path(folder, temp_name);
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (const byte_array& part : parts) {
        if (!part.empty() && !write_all(file, part)) {
            ok = false;
            break;
        }
    }
    if (ok && !FlushFileBuffers(file)) ok = false;
    if (!CloseHandle(file)) ok = false;
    if (ok && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) ok = false;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

bool write_file(std::string_view path, std::initializer_list<byte_array> parts) {
    if (path.empty()) return false;
    const std::string native = convert_gbk_to_utf8(path);
    const std::size_t cut = native.find_last_of("/\\");
    if (cut == std::string::npos) return write_file_in(".", native, parts);
    const std::string folder = cut == 0 || (cut == 2 && native[1] == ':') ? native.substr(0, cut + 1) : native.substr(0, cut);
    return write_file_in(folder, native.substr(cut + 1), parts);
}

std::optional<std::string> environment_variable(const char* name) {
    const wchar_t* value = _wgetenv(wide(name).c_str());
    if (value == nullptr) return std::nullopt;
    return utf8(value);
}

}  // namespace common
