// Ties the window operations to the main window. Included only by the window
// side (app/ and the services themselves); the site logic never sees it.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace common {

// From now on the control operations act on the children of `window`, found
// by their form names, and the pop-up menus are its QMenu children named
// "保存地址" and "搜索获取". Must be called on the user-interface thread.
void bind_main_window(QWidget* window);
// The control operations stop touching the window; calls from workers that
// are waiting return empty values.
void unbind_main_window();
QWidget* bound_main_window();

// For tests: answers message boxes instead of showing them. The hook gets
// the message, the style flags and the caption (GBK) and returns the button
// code. An empty function restores real boxes.
using message_box_hook = std::function<int(const std::string& message, int style, const std::string& caption)>;
void set_message_box_hook(message_box_hook hook);

// For tests: lets stop_requested() go back to false after a close.
void clear_stop_for_testing();

}  // namespace common
