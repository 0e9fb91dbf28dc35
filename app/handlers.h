// Handlers of the window's events that live with the window.
#pragma once

#include <optional>

#include "app/form.h"

namespace app {

// Right press in 超级列表框1 / right click in 超级列表框2: the pop-up menus,
// beside the pointer, or at (x, y) in screen coordinates when the window
// gives a place (a menu opened by key stands at the current row).
void popup_address_menu(std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt);
void popup_hit_menu(std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt);
// "获取地址": a play-page run on a new worker thread.
void start_resolve_run();
// Left click in 超级列表框1: the selected row's address to the clipboard.
void copy_address();
// A pop-up menu's item chosen: its handler.
void run_command(form::command chosen);

}  // namespace app
