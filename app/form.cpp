#include "app/form.h"

namespace app::form {

const control_form& of(control which) {
    for (const control_form& c : controls) {
        if (c.name == which) return c;
    }
    return controls[0];  // every control is in the form
}

const menu_form& of(common::popup which) { return which == common::popup::保存地址 ? menus[0] : menus[1]; }

}  // namespace app::form
