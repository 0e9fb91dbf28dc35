// What the keys do on the two lists, for every window: the menu key and
// Shift+F10 open the list's menu at the current row, Enter copies an address
// or resolves a hit, Ctrl+C copies an address. Each runs the handler the
// mouse runs, on the current row selected first.
#pragma once

#include "services/system_services.h"

namespace app {

enum class list_key { other, menu, enter, copy };

// What a window's list offers the keys.
class keyboard_list {
public:
    virtual ~keyboard_list() = default;
    // Selects the current row, as a click on it does, and brings it into
    // view; -1 when the list has no current row.
    virtual int select_current_row() = 0;
    // Where a menu opened by key stands, in screen coordinates: below the
    // left end of `row`, or at the top left of the rows for -1.
    virtual void menu_point(int row, int& x, int& y) = 0;
};

// A key pressed on `list`; `repeated` when it is held (it acts once). True
// when the key was the list's own and has been handled.
bool press_list_key(common::control list, list_key key, bool repeated, keyboard_list& view);

}  // namespace app
