// Handlers of the window's events that live with the window.
#pragma once

namespace app {

// Right press in 超级列表框1 / right click in 超级列表框2: the pop-up menus.
void popup_address_menu();
void popup_hit_menu();
// "获取地址": a play-page run on a new worker thread.
void start_resolve_run();
// Left click in 超级列表框1: the selected row's address to the clipboard.
void copy_address();

}  // namespace app
