// Start-up and ending of the program on Windows.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "app/fatal_error.h"
#include "app/main_window_win32.h"
#include "app/program_end.h"
#include "app/start_up.h"
#include "common/gbk.h"
#include "services/program_state.h"

namespace {

// The current directory is the one that holds the executable.
void enter_program_directory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos) SetCurrentDirectoryW(path.substr(0, separator).c_str());
}

}  // namespace

int main() {
    enter_program_directory();
    common::init_program_state();
    std::atexit(common::release_program_state);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = app::load_main_window();
    if (window == nullptr) app::fatal_error(common::gbk<"载入启动窗口失败">());
    app::show_main_window(window);
    // Before any request can start: the hosts the environment names.
    app::take_hosts_from_environment();
    return app::leave_program(app::run_message_loop());
}
