// What tests need to say the same thing on Linux and on Windows: paths
// written as UTF-8 whatever the system's code page, the process number, the
// environment, and whether Windows is really Wine.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace test_support {

#ifdef _WIN32
inline constexpr bool on_windows = true;
#else
inline constexpr bool on_windows = false;
#endif

// A path from UTF-8 text, and a path's UTF-8 text (std::filesystem reads and
// writes narrow text in the ANSI code page on Windows).
inline std::filesystem::path utf8_path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string utf8_of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

inline int process_id() {
#ifdef _WIN32
    return _getpid();
#else
    return ::getpid();
#endif
}

// Sets (or, for nullopt, removes) an environment variable of this process.
inline void set_environment(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
#endif
}

// Wine answers as Windows does nearly everywhere; where it is known not to,
// a test says so and is skipped there.
inline bool under_wine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace test_support
