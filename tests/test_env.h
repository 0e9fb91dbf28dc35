// Setting and removing environment variables from tests on either system.
#pragma once

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace test_env {

inline void set(const char* name, const std::string& value) {
#ifdef _WIN32
    // The C library's copy and the system's own (read as UTF-16).
    _putenv_s(name, value.c_str());
    SetEnvironmentVariableA(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

inline void unset(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
    SetEnvironmentVariableA(name, nullptr);
#else
    unsetenv(name);
#endif
}

}  // namespace test_env
