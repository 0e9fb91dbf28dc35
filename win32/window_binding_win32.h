// Ties the window operations to the Win32 main window. Included only by the
// window side (app/ and the window services); the site logic never sees it.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "services/system_services.h"

namespace common {

// What the control operations act on: the main window, its controls by form
// name (indexed by `control`) and the two pop-up menus.
struct bound_window {
    HWND main = nullptr;
    std::array<HWND, control_count> controls{};
    HMENU save_menu = nullptr;  // "保存地址"
    HMENU hit_menu = nullptr;   // "搜索获取"
};

// From now on the control operations act on `window`, and workers' calls are
// carried out on the calling thread, which must be the window's thread.
void bind_main_window(const bound_window& window);
// The control operations stop touching the window; calls from workers that
// are waiting return empty values.
void unbind_main_window();
HWND bound_main_window();

// The text colour that set_text_colour gave a control (black when none).
COLORREF text_colour_of(HWND control);
// Whether the busy pointer is on (show_busy calls nest).
bool busy_pointer_shown();

// Takes one message out of the queue's hands: keyboard navigation of the
// main window first, then the window procedure. Every message loop of the
// window's thread goes through here.
void dispatch_window_message(MSG& message);

// GBK text to and from the UTF-16 of the Win32 calls (code page 936 always,
// whatever the system's ANSI code page).
std::wstring wide_from_gbk(std::string_view text);
std::string gbk_from_wide(std::wstring_view text);

}  // namespace common
