// The form both windows are built from, pinned to the form it was designed
// as: each window's own tests check that what it built reads back as this.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form.h"

namespace {

using app::form::kind;
using common::control;
namespace form = app::form;

TEST(form, the_window_has_its_title_size_and_status_parts) {
    EXPECT_EQ(form::title, "Quorla高清地址获取器[Tarnwick 首发]");
    EXPECT_EQ(form::outer_width, 436);
    EXPECT_EQ(form::outer_height, 408);
    EXPECT_EQ(form::client_width, 430);
    EXPECT_EQ(form::client_height, 382);
    EXPECT_EQ(form::input_background, 0x00C0DCC0u);
    EXPECT_EQ(form::dropped_height, 160);
    EXPECT_EQ(std::vector<int>(std::begin(form::status_part_widths), std::end(form::status_part_widths)),
              (std::vector<int>{50, 420}));
    EXPECT_EQ(form::status_part0, "状态：");
    EXPECT_EQ(form::menu_offset, 3);
}

TEST(form, every_control_stands_in_its_parent_in_the_form_order) {
    struct expected {
        control name;
        kind type;
        control parent;
        form::rect place;
        std::string_view caption;
        bool tab;
    };
    // In the form's order of creation.
    const expected table[] = {
        {control::标签1, kind::label, control::分组框1, {175, 13, 32, 20}, "集数：", false},
        {control::组合框1, kind::drop_down_list, control::分组框1, {277, 13, 84, 20}, "", true},
        {control::编辑框2, kind::edit_box, control::分组框1, {213, 13, 56, 20}, "", true},
        {control::超级列表框2, kind::list_view, control::分组框1, {3, 37, 423, 138}, "", true},
        {control::标签2, kind::label, control::分组框1, {8, 13, 56, 20}, "搜索视频：", false},
        {control::超级列表框1, kind::list_view, control::分组框2, {3, 12, 424, 169}, "", true},
        {control::分组框2, kind::group_box, control::分组框2, {0, 178, 430, 184}, "视频地址", false},
        {control::按钮搜索, kind::push_button, control::分组框1, {368, 13, 56, 20}, "获取结果", true},
        {control::编辑框1, kind::edit_box, control::分组框1, {66, 13, 102, 20}, "", true},
        {control::状态条1, kind::status_bar, control::状态条1, {0, 299, 464, 20}, "", false},
        {control::分组框1, kind::group_box, control::分组框1, {0, 0, 430, 178}, "", false},
    };
    ASSERT_EQ(std::size(form::controls), std::size(table));
    for (std::size_t i = 0; i < std::size(table); ++i) {
        const expected& e = table[i];
        const form::control_form& c = form::controls[i];
        const char* name = common::control_name(e.name);
        EXPECT_EQ(c.name, e.name) << i;
        EXPECT_EQ(c.type, e.type) << name;
        EXPECT_EQ(c.parent, e.parent) << name;
        EXPECT_EQ(std::vector<int>({c.place.left, c.place.top, c.place.width, c.place.height}),
                  std::vector<int>({e.place.left, e.place.top, e.place.width, e.place.height}))
            << name;
        EXPECT_EQ(c.caption, e.caption) << name;
        EXPECT_EQ(c.has(form::tab_stop), e.tab) << name;
        EXPECT_EQ(&form::of(e.name), &c) << name;
    }
    // Tab walks the input row, then the hit list, then the address list.
    std::vector<control> tab_order;
    for (control which : form::stacking_order) {
        if (form::of(which).has(form::tab_stop)) tab_order.push_back(which);
    }
    EXPECT_EQ(tab_order, (std::vector<control>{control::编辑框1, control::编辑框2, control::组合框1, control::按钮搜索,
                                               control::超级列表框2, control::超级列表框1}));
}

TEST(form, inputs_and_lists_have_their_look_items_columns_and_names) {
    for (control edit : {control::编辑框1, control::编辑框2}) {
        const auto& c = form::of(edit);
        EXPECT_TRUE(c.has(form::centred) && c.has(form::scrolls_sideways) && c.has(form::sunken_border) &&
                    c.has(form::input_colours));
    }
    EXPECT_TRUE(form::of(control::组合框1).has(form::input_colours));
    EXPECT_EQ(std::vector<std::string_view>(form::of(control::组合框1).items.begin(),
                                            form::of(control::组合框1).items.end()),
              (std::vector<std::string_view>{"搜索模式", "I D 模式", "无集数模式"}));
    for (control label : {control::标签1, control::标签2}) EXPECT_TRUE(form::of(label).has(form::no_word_wrap));
    EXPECT_TRUE(form::of(control::状态条1).has(form::docked_bottom) && form::of(control::状态条1).has(form::no_size_grip));

    auto columns = [](control list) {
        std::vector<std::pair<std::string_view, int>> out;
        for (const form::column& c : form::of(list).columns) out.emplace_back(c.header, c.width);
        return out;
    };
    using cols = std::vector<std::pair<std::string_view, int>>;
    EXPECT_EQ(columns(control::超级列表框1), (cols{{"ID", 35}, {"视频名称", 100}, {"视频地址", 200}, {"视频格式", 80}}));
    EXPECT_EQ(columns(control::超级列表框2),
              (cols{{"ID", 35}, {"搜索结果", 240}, {"总视频数", 65}, {"更新集数", 65}, {"视频ID", 0}}));
    for (control list : {control::超级列表框1, control::超级列表框2}) {
        const auto& c = form::of(list);
        for (form::look l : {form::grid_lines, form::full_row_selection, form::single_selection,
                             form::selection_always_shown, form::flat_scroll_bars, form::clickable_header,
                             form::sunken_border, form::input_colours}) {
            EXPECT_TRUE(c.has(l)) << common::control_name(list) << " look " << l;
        }
    }
    // A screen reader names each control as a sighted user reads it beside it.
    const std::pair<control, std::string_view> names[] = {
        {control::编辑框1, "搜索视频"},   {control::编辑框2, "集数"},        {control::组合框1, "模式"},
        {control::超级列表框2, "搜索结果"}, {control::超级列表框1, "视频地址"}, {control::状态条1, "状态"},
    };
    for (const auto& [which, name] : names) EXPECT_EQ(form::of(which).accessible_name, name);
}

TEST(form, the_two_menus_hold_their_items) {
    auto items = [](common::popup which) {
        std::vector<std::string_view> out;
        for (const form::menu_item& item : form::of(which).items) out.push_back(item.caption);
        return out;
    };
    EXPECT_EQ(form::of(common::popup::保存地址).caption, "保存地址");
    EXPECT_EQ(items(common::popup::保存地址),
              (std::vector<std::string_view>{"保存所有地址", "保存为播放列表", "保存为下载列表"}));
    EXPECT_EQ(form::of(common::popup::保存地址).items[0].chosen, form::command::save_all);
    EXPECT_EQ(form::of(common::popup::搜索获取).caption, "搜索获取");
    EXPECT_EQ(items(common::popup::搜索获取), (std::vector<std::string_view>{"获取地址"}));
    EXPECT_EQ(form::of(common::popup::搜索获取).items[0].chosen, form::command::resolve);
}

}  // namespace
