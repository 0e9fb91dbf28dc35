#include <windows.h>

#include <cstdlib>

#include "app/fatal_error.h"
#include "win32/window_binding_win32.h"

namespace app {

void fatal_error(std::string_view error_text) {
    std::wstring message = common::wide_from_gbk(fatal_error_message(error_text));
    // No owner: the box stands alone, task-modal, with the stop icon.
    MessageBoxW(nullptr, message.c_str(), L"错误", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    std::_Exit(-1);
}

}  // namespace app
