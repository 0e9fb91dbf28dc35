// The program's one window on the Win32 controls: its eleven controls, two
// pop-up menus and the table that binds each control event to its handler.
#pragma once

#include <windows.h>

#include "services/system_services.h"

namespace app {

// The window's class name, by which other programs (and the tests) find it.
inline constexpr const wchar_t* main_window_class = L"QuorlaAddressFinder";

// The command identifiers of the controls and of the pop-up menus' items.
inline constexpr int first_control_id = 100;  // + the control's form index
inline constexpr int first_command_id = 200;  // + the menu item's command

// Creates the window hidden and centred, binds the window services to it and
// raises its created event. Null when the window cannot be made.
HWND load_main_window();

// Shows the window; it hands the focus to its first control (编辑框1).
void show_main_window(HWND window);

// Dispatches messages until the window has been closed; the exit code.
int run_message_loop();

// The control of the loaded window by form name, and its pop-up menus.
HWND control_handle(common::control which);
HMENU popup_handle(common::popup menu);

}  // namespace app
