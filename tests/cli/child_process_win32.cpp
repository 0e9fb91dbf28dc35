#include "tests/cli/child_process.h"

#include <windows.h>

#include <cstdlib>

#include "common/code_page.h"

namespace cli_test {
namespace {

std::wstring wide(const std::string& utf8) {
    const std::u16string units = common::decode_code_page(utf8, common::code_page_utf8).value_or(u"");
    return std::wstring(units.begin(), units.end());
}

// A path of the Linux side as Wine shows it (drive Z: is the root).
std::wstring windows_path(std::string path) {
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return wide(path);
}

HANDLE inheritable_file(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(windows_path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int run_child(const std::string& program, const std::vector<std::string>& arguments, const std::string& out_file,
              const std::string& err_file) {
    const std::wstring application = windows_path(program);
    std::wstring command_line = L"\"" + application + L"\"";
    for (const auto& argument : arguments) command_line += L" \"" + wide(argument) + L"\"";
    HANDLE out = inheritable_file(out_file);
    HANDLE err = inheritable_file(err_file);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) return -1;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = out;
    start.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL made = CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                     CREATE_NO_WINDOW, nullptr, nullptr, &start, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!made) return -1;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD status = 0;
    const BOOL known = GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return known ? static_cast<int>(status) : -1;
}

void set_environment(const char* name, const std::optional<std::string>& value) {
    // The C runtime's copy is the one _wgetenv reads.
    const std::wstring setting = wide(name) + L"=" + (value ? wide(*value) : std::wstring());
    _wputenv(setting.c_str());
}

}  // namespace cli_test
