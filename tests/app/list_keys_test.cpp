// What each key does on each list, through a window port that records the
// menus and status texts, and a list view that records what was asked of it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/list_keys.h"
#include "common/code_page.h"
#include "services/window_port.h"

namespace {

using app::list_key;
using common::control;

struct recording_port final : common::window_port {
    std::vector<std::string> seen;
    std::string search_box;
    int rows = 0;
    int selected = -1;

    void list_clear(control) override {}
    int list_insert_row(control, int, std::string_view) override { return -1; }
    void list_set_cell(control, int, int, std::string_view) override {}
    std::string list_get_cell(control, int, int) override { return {}; }
    int list_row_count(control) override { return rows; }
    int list_selected_row(control) override { return selected; }
    void status_set_text(control, int, std::string_view text) override {
        seen.push_back("status " + common::convert_gbk_to_utf8(text));
    }
    std::string edit_text(control) override { return search_box; }
    void set_edit_text(control, std::string_view text) override {
        search_box = text;
        seen.push_back("box " + common::convert_gbk_to_utf8(text));
    }
    void set_text_colour(control, std::uint32_t) override {}
    void set_visible(control, bool) override {}
    int selected_index(control) override { return -1; }
    void popup_menu(common::popup menu, std::optional<int> x, std::optional<int> y) override {
        seen.push_back(std::string(menu == common::popup::保存地址 ? "save menu" : "hit menu") + " at " +
                       std::to_string(x.value_or(-1)) + "," + std::to_string(y.value_or(-1)));
    }
    void process_events() override {}
    void show_busy(bool) override {}
    int message_box(const std::string& message, int, const std::string&) override {
        seen.push_back("box says " + common::convert_gbk_to_utf8(message));
        return 0;
    }
    void window_call(const std::function<void()>& work) override { work(); }
    bool set_clipboard_text(std::string_view) override { return true; }
};

struct recording_list final : app::keyboard_list {
    int current = -1;
    int selected = 0;
    bool cleared = false;
    int current_row() override { return current; }
    void select_row(int row) override {
        ++selected;
        current = row;
    }
    void clear_selection() override { cleared = true; }
    void menu_point(int row, int& x, int& y) override {
        x = 100 + row;
        y = 200;
    }
};

TEST(list_keys, each_key_runs_the_handler_of_its_list_once) {
    struct row {
        control list;
        list_key key;
        bool repeated;
        int current;
        bool taken;
        int selects;
        std::vector<std::string> seen;
    };
    const std::string empty = "status 当前无内容，无法复制!!";
    const row table[] = {
        {control::超级列表框1, list_key::other, false, 0, false, 0, {}},
        {control::超级列表框1, list_key::menu, false, 2, true, 1, {"save menu at 102,200"}},
        {control::超级列表框2, list_key::menu, false, -1, true, 0, {"hit menu at 99,200"}},
        {control::超级列表框1, list_key::menu, true, 2, true, 0, {}},  // held: acts once
        {control::超级列表框1, list_key::enter, false, 0, true, 1, {empty}},
        {control::超级列表框1, list_key::copy, false, 0, true, 1, {empty}},
        {control::超级列表框2, list_key::copy, false, 0, false, 0, {}},  // hits have no address
        {control::超级列表框2, list_key::enter, false, -1, true, 0, {}},  // no hit: nothing to resolve
    };
    for (const row& r : table) {
        recording_port port;
        common::install_window_port(&port);
        recording_list view;
        view.current = r.current;
        const bool taken = app::press_list_key(r.list, r.key, r.repeated, view);
        common::install_window_port(nullptr);
        const std::string what = std::string(common::control_name(r.list)) + " key " +
                                 std::to_string(static_cast<int>(r.key)) + (r.repeated ? " held" : "");
        EXPECT_EQ(taken, r.taken) << what;
        EXPECT_EQ(view.selected, r.selects) << what;
        EXPECT_EQ(port.seen, r.seen) << what;
    }
}

TEST(list_keys, a_right_press_opens_the_address_menu_on_the_row_under_the_pointer) {
    struct row {
        control list;
        int under;
        bool taken, cleared;
        int now_current;
        std::vector<std::string> seen;
    };
    const row table[] = {
        {control::超级列表框1, 2, true, false, 2, {"save menu at -1,-1"}},
        {control::超级列表框1, -1, true, true, -1, {"save menu at -1,-1"}},  // below the rows: nothing chosen
        {control::超级列表框2, 1, false, false, -1, {}},                     // the hits' menu opens on the release
    };
    for (const row& r : table) {
        recording_port port;
        common::install_window_port(&port);
        recording_list view;
        const bool taken = app::press_list_right(r.list, r.under, view);
        common::install_window_port(nullptr);
        EXPECT_EQ(taken, r.taken) << common::control_name(r.list) << " over " << r.under;
        EXPECT_EQ(view.cleared, r.cleared);
        EXPECT_EQ(view.current, r.now_current);
        EXPECT_EQ(port.seen, r.seen);
    }
}

TEST(list_keys, a_list_focused_with_rows_and_no_selection_selects_its_current_row) {
    struct row {
        int rows, selected, current;
        int selects, now_current;
    };
    const row table[] = {
        {0, -1, -1, 0, -1},  // empty: nothing to select
        {3, -1, -1, 1, 0},   // the first row when none is current
        {3, -1, 2, 1, 2},    // else the current one
        {3, 1, 2, 0, 2},     // a selection stays as it is
    };
    for (const row& r : table) {
        recording_port port;
        port.rows = r.rows;
        port.selected = r.selected;
        common::install_window_port(&port);
        recording_list view;
        view.current = r.current;
        app::list_focused(control::超级列表框1, view);
        common::install_window_port(nullptr);
        EXPECT_EQ(view.selected, r.selects) << r.rows << " rows, selected " << r.selected << ", current " << r.current;
        EXPECT_EQ(view.current, r.now_current);
    }
}

TEST(list_keys, enter_in_an_empty_search_box_acts_as_a_click_and_leaves_the_box_ready_to_type) {
    recording_port port;
    common::install_window_port(&port);
    app::press_enter(control::编辑框1);
    common::install_window_port(nullptr);
    // The box is left as the focus would leave it, the button asks for a
    // keyword, and the caret's box is emptied again for typing.
    const std::vector<std::string> expected = {"box 输入搜索名字", "status ", "box says 出现错误了，请输入搜索内容", "box ",
                                               "status 输入搜索名字,如毒战,速度与激情等等,或者输入ID"};
    EXPECT_EQ(port.seen, expected);
    EXPECT_EQ(port.search_box, "");
}

}  // namespace
