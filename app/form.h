// The window's form: the title and size, every control with its parent,
// place, caption, look, columns and accessible name, and the two pop-up
// menus. Both windows are built from it; texts are UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "services/system_services.h"

namespace app::form {

using common::control;

// --- the window

inline constexpr std::string_view title = "Quorla高清地址获取器[Tarnwick 首发]";
// The outer size of the form, made with a 3-px border on each side and a
// 20-px caption: the client area is what a window keeps on any frame. The
// window is centred on the screen, the divisions truncating.
inline constexpr int outer_width = 436;
inline constexpr int outer_height = 408;
inline constexpr int frame_border = 3;
inline constexpr int frame_caption = 20;
inline constexpr int client_width = outer_width - 2 * frame_border;
inline constexpr int client_height = outer_height - 2 * frame_border - frame_caption;

// Edit boxes, the mode selector and the lists: black text on RGB(192, 220, 192).
inline constexpr std::uint32_t input_background = 0x00C0DCC0;  // COLORREF 0x00BBGGRR
inline constexpr std::uint32_t input_text = 0x00000000;

// The mode selector with its list open is this tall in all.
inline constexpr int dropped_height = 160;

// The status bar: docked along the bottom edge, two parts, no size grip.
inline constexpr int status_height = 20;
inline constexpr int status_part_widths[] = {50, 420};
inline constexpr std::string_view status_part0 = "状态：";

// A menu opened by the mouse stands this far right of and below the pointer.
inline constexpr int menu_offset = 3;

// --- the controls

enum class kind { group_box, label, edit_box, drop_down_list, push_button, list_view, status_bar };

// How a control looks and behaves, in words; a control has a set of them.
enum look : std::uint32_t {
    tab_stop = 1u << 0,                 // Tab and Shift+Tab reach it
    centred = 1u << 1,                  // its text stands in the middle
    scrolls_sideways = 1u << 2,         // one line, scrolled when longer than the box
    sunken_border = 1u << 3,            // a thin sunken border
    input_colours = 1u << 4,            // input_text on input_background
    no_word_wrap = 1u << 5,             // one line, never broken
    grid_lines = 1u << 6,               // lines between rows and columns
    full_row_selection = 1u << 7,       // a row is chosen whole
    single_selection = 1u << 8,         // at most one row chosen
    selection_always_shown = 1u << 9,   // the chosen row stays marked without the focus
    flat_scroll_bars = 1u << 10,
    clickable_header = 1u << 11,        // the column header's buttons press (nothing is bound)
    docked_bottom = 1u << 12,           // placed along the window's bottom edge, whatever the rectangle
    no_size_grip = 1u << 13,
};

// Left and top relative to the parent's client area, in pixels at 96 dpi.
struct rect {
    int left;
    int top;
    int width;
    int height;
};

struct column {
    std::string_view header;
    int width;
};

struct control_form {
    control name;
    kind type;
    control parent;  // the control's own name: the window itself
    rect place;
    std::string_view caption;
    std::uint32_t looks;
    std::string_view accessible_name;  // empty: the caption names it
    std::span<const std::string_view> items = {};
    std::span<const column> columns = {};

    bool has(look which) const { return (looks & which) != 0; }
    bool in_window() const { return parent == name; }
};

inline constexpr std::string_view mode_items[] = {"搜索模式", "I D 模式", "无集数模式"};
inline constexpr column address_columns[] = {{"ID", 35}, {"视频名称", 100}, {"视频地址", 200}, {"视频格式", 80}};
inline constexpr column hit_columns[] = {
    {"ID", 35}, {"搜索结果", 240}, {"总视频数", 65}, {"更新集数", 65}, {"视频ID", 0}};

inline constexpr std::uint32_t edit_looks = tab_stop | centred | scrolls_sideways | sunken_border | input_colours;
inline constexpr std::uint32_t list_looks = tab_stop | sunken_border | input_colours | grid_lines | full_row_selection |
                                            single_selection | selection_always_shown | flat_scroll_bars |
                                            clickable_header;

// In the form's order, which is the order of creation.
inline constexpr control_form controls[] = {
    {control::标签1, kind::label, control::分组框1, {175, 13, 32, 20}, "集数：", no_word_wrap, {}},
    {control::组合框1, kind::drop_down_list, control::分组框1, {277, 13, 84, 20}, "", tab_stop | input_colours, "模式",
     mode_items},
    {control::编辑框2, kind::edit_box, control::分组框1, {213, 13, 56, 20}, "", edit_looks, "集数"},
    {control::超级列表框2, kind::list_view, control::分组框1, {3, 37, 423, 138}, "", list_looks, "搜索结果", {},
     hit_columns},
    {control::标签2, kind::label, control::分组框1, {8, 13, 56, 20}, "搜索视频：", no_word_wrap, {}},
    {control::超级列表框1, kind::list_view, control::分组框2, {3, 12, 424, 169}, "", list_looks, "视频地址", {},
     address_columns},
    {control::分组框2, kind::group_box, control::分组框2, {0, 178, 430, 184}, "视频地址", 0, {}},
    {control::按钮搜索, kind::push_button, control::分组框1, {368, 13, 56, 20}, "获取结果", tab_stop, {}},
    {control::编辑框1, kind::edit_box, control::分组框1, {66, 13, 102, 20}, "", edit_looks, "搜索视频"},
    {control::状态条1, kind::status_bar, control::状态条1, {0, 299, 464, 20}, "", docked_bottom | no_size_grip, "状态"},
    {control::分组框1, kind::group_box, control::分组框1, {0, 0, 430, 178}, "", 0, {}},
};

// The control of that name.
const control_form& of(control which);

// Front to back, which is also the order Tab walks the controls that take
// the focus by it: the input row, then the two lists.
inline constexpr control stacking_order[] = {
    control::分组框1, control::标签2,      control::编辑框1, control::标签1,      control::编辑框2, control::组合框1,
    control::按钮搜索, control::超级列表框2, control::分组框2, control::超级列表框1, control::状态条1,
};

// --- the pop-up menus: hidden top-level menus, each with its items

enum class command { save_all, save_playlist, save_download_list, resolve };

struct menu_item {
    std::string_view caption;
    command chosen;
};

struct menu_form {
    common::popup which;
    std::string_view caption;
    std::span<const menu_item> items;
};

inline constexpr menu_item save_items[] = {
    {"保存所有地址", command::save_all},
    {"保存为播放列表", command::save_playlist},
    {"保存为下载列表", command::save_download_list},
};
inline constexpr menu_item hit_items[] = {{"获取地址", command::resolve}};
inline constexpr menu_form menus[] = {
    {common::popup::保存地址, "保存地址", save_items},
    {common::popup::搜索获取, "搜索获取", hit_items},
};

const menu_form& of(common::popup which);

}  // namespace app::form
