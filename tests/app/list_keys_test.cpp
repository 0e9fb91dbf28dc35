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

    void list_clear(control) override {}
    int list_insert_row(control, int, std::string_view) override { return -1; }
    void list_set_cell(control, int, int, std::string_view) override {}
    std::string list_get_cell(control, int, int) override { return {}; }
    int list_row_count(control) override { return 0; }
    int list_selected_row(control) override { return -1; }
    void status_set_text(control, int, std::string_view text) override {
        seen.push_back("status " + common::convert_gbk_to_utf8(text));
    }
    std::string edit_text(control) override { return {}; }
    void set_edit_text(control, std::string_view) override {}
    void set_text_colour(control, std::uint32_t) override {}
    void set_visible(control, bool) override {}
    int selected_index(control) override { return -1; }
    void popup_menu(common::popup menu, std::optional<int> x, std::optional<int> y) override {
        seen.push_back(std::string(menu == common::popup::保存地址 ? "save menu" : "hit menu") + " at " +
                       std::to_string(x.value_or(-1)) + "," + std::to_string(y.value_or(-1)));
    }
    void process_events() override {}
    void show_busy(bool) override {}
    int message_box(const std::string&, int, const std::string&) override { return 0; }
    void window_call(const std::function<void()>& work) override { work(); }
    bool set_clipboard_text(std::string_view) override { return true; }
};

struct recording_list final : app::keyboard_list {
    int current = -1;
    int selected = 0;
    int select_current_row() override {
        ++selected;
        return current;
    }
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
        {control::超级列表框2, list_key::menu, false, -1, true, 1, {"hit menu at 99,200"}},
        {control::超级列表框1, list_key::menu, true, 2, true, 0, {}},  // held: acts once
        {control::超级列表框1, list_key::enter, false, 0, true, 1, {empty}},
        {control::超级列表框1, list_key::copy, false, 0, true, 1, {empty}},
        {control::超级列表框2, list_key::copy, false, 0, false, 0, {}},  // hits have no address
        {control::超级列表框2, list_key::enter, false, -1, true, 1, {}},  // no hit: nothing to resolve
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

}  // namespace
