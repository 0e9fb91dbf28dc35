#include "app/list_keys.h"

#include "app/handlers.h"

namespace app {

bool press_list_key(common::control list, list_key key, bool repeated, keyboard_list& view) {
    const bool addresses = list == common::control::超级列表框1;
    if (key == list_key::other || (key == list_key::copy && !addresses)) return false;
    if (repeated) return true;
    const int row = view.select_current_row();
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

}  // namespace app
