#include "app/list_keys.h"

#include "app/event_table.h"
#include "app/handlers.h"

namespace app {

bool press_list_key(common::control list, list_key key, bool repeated, keyboard_list& view) {
    const bool addresses = list == common::control::超级列表框1;
    if (key == list_key::other || (key == list_key::copy && !addresses)) return false;
    if (repeated) return true;
    const int row = view.current_row();
    if (row >= 0) view.select_row(row);
    switch (key) {
        case list_key::menu: {
            int x = 0;
            int y = 0;
            view.menu_point(row, x, y);
            addresses ? popup_address_menu(x, y) : popup_hit_menu(x, y);
            break;
        }
        case list_key::enter:
            if (addresses) {
                copy_address();
            } else if (row >= 0) {
                start_resolve_run();
            }
            break;
        case list_key::copy: copy_address(); break;
        case list_key::other: break;
    }
    return true;
}

bool press_list_right(common::control list, int row, keyboard_list& view) {
    if (!bound(list, event::right_press)) return false;
    row >= 0 ? view.select_row(row) : view.clear_selection();
    return raise(list, event::right_press);
}

void list_focused(common::control list, keyboard_list& view) {
    if (common::list_row_count(list) == 0 || common::list_selected_row(list) >= 0) return;
    const int row = view.current_row();
    view.select_row(row >= 0 ? row : 0);
}

void press_enter(common::control edit) {
    using common::control;
    raise(edit, event::lost_focus);
    raise(control::按钮搜索, event::clicked);
    raise(edit, event::got_focus);
}

}  // namespace app
