#include "app/event_table.h"

#include "app/handlers.h"
#include "app/input_modes.h"

namespace app {
namespace {

using common::control;

struct binding {
    control source;
    event what;
    void (*handler)();
};

const binding table[] = {
    {control::编辑框1, event::got_focus, enter_search_box},
    {control::编辑框1, event::lost_focus, leave_search_box},
    {control::组合框1, event::choice_made, switch_mode},
    {control::按钮搜索, event::clicked, run_search_button},
    {control::超级列表框1, event::left_click, copy_address},
    {control::超级列表框1, event::right_press, [] { popup_address_menu(); }},
    {control::超级列表框2, event::right_click, [] { popup_hit_menu(); }},
};

const binding* find(control source, event what) {
    for (const binding& b : table) {
        if (b.source == source && b.what == what) return &b;
    }
    return nullptr;
}

}  // namespace

bool bound(control source, event what) { return find(source, what) != nullptr; }

bool raise(control source, event what) {
    const binding* b = find(source, what);
    if (b != nullptr) b->handler();
    return b != nullptr;
}

}  // namespace app
