// Start-up and ending of the program with the Win32 window.
#include <windows.h>
#include <commctrl.h>

#include "app/fatal_error.h"
#include "app/program.h"
#include "common/gbk.h"
#include "win32/main_window_win32.h"

int main(int argc, char** argv) {
    app::begin_program();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = app::load_main_window();
    if (window == nullptr) app::fatal_error(common::gbk<"载入启动窗口失败">());
    app::show_main_window(window);
    app::take_hosts(std::vector<std::string>(argv + 1, argv + argc));
    return app::leave_program(app::run_message_loop());
}
