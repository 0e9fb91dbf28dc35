// What the keys do on the two lists, for every window: the menu key and
// Shift+F10 open the list's menu at the current row, Enter copies an address
// or resolves a hit, Ctrl+C copies an address. Each runs the handler the
// mouse runs, on the current row selected first.
#pragma once

#include "services/system_services.h"

namespace app {

enum class list_key { other, menu, enter, copy };

// What a window's list offers the keys and the mouse.
class keyboard_list {
public:
    virtual ~keyboard_list() = default;
    // The row the keyboard is on; -1 when the list has none.
    virtual int current_row() = 0;
    // Makes `row` the current row and selects it, as a click on it does, and
    // brings it into view.
    virtual void select_row(int row) = 0;
    virtual void clear_selection() = 0;
    // Where a menu opened by key stands, in screen coordinates: below the
    // left end of `row`, or at the top left of the rows for -1.
    virtual void menu_point(int row, int& x, int& y) = 0;
};

// A key pressed on `list`; `repeated` when it is held (it acts once). True
// when the key was the list's own and has been handled.
bool press_list_key(common::control list, list_key key, bool repeated, keyboard_list& view);

// The right button pressed on `list` over `row` (-1: below the rows). Where
// the list's menu opens on the press, the row is selected (none below the
// rows) and the menu opens: true, the press is taken. Otherwise the list
// handles the press itself.
bool press_list_right(common::control list, int row, keyboard_list& view);

// `list` got the keyboard focus: when it has rows and none is selected, its
// current row (the first when it has none) is selected, so that the arrow
// keys go on from the row the user sees marked.
void list_focused(common::control list, keyboard_list& view);

// Enter in an edit box presses the button as a click does, the search box
// left first as the focus would leave it (an empty box gets its prompt back
// and the button then asks for a keyword); the caret stays in the box.
void press_enter(common::control edit);

}  // namespace app
