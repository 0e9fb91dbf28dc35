// Ties the window operations to the Qt main window. Included only by the Qt
// window (qt/ and its tests); the core and the site logic never see it.
#pragma once

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

}  // namespace common
