// What a window's own port is asked: only operations on a control of their
// kind, on rows, columns and status parts it has, with the row to insert at
// made one it has or the end. A window's port relies on it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/handed_off_port.h"

namespace {

using common::control;

struct here final : app::window_thread {
    bool is_current() const override { return true; }
    bool wake() override { return true; }
};

// A list of three rows; every operation that reaches it is written down.
struct recording_port final : common::window_port {
    std::vector<std::string> asked;
    void note(std::string what) { asked.push_back(std::move(what)); }

    void list_clear(control) override { note("clear"); }
    int list_insert_row(control, int position, std::string_view) override {
        note("insert " + std::to_string(position));
        return position;
    }
    void list_set_cell(control, int row, int column, std::string_view) override {
        note("set " + std::to_string(row) + "," + std::to_string(column));
    }
    std::string list_get_cell(control, int row, int column) override {
        note("get " + std::to_string(row) + "," + std::to_string(column));
        return "cell";
    }
    int list_row_count(control) override { return 3; }
    int list_selected_row(control) override { return 1; }
    void status_set_text(control, int part, std::string_view text) override {
        note("status " + std::to_string(part) + " " + std::string(text));
    }
    std::string edit_text(control) override { return "typed"; }
    void set_edit_text(control, std::string_view) override { note("edit"); }
    void set_text_colour(control, std::uint32_t) override { note("colour"); }
    void set_visible(control, bool) override { note("visible"); }
    int selected_index(control) override { return 2; }
    void popup_menu(common::popup, std::optional<int>, std::optional<int>) override {}
    void process_events() override {}
    void show_busy(bool) override {}
    int message_box(const std::string&, int, const std::string&) override { return 0; }
    void window_call(const std::function<void()>& work) override { work(); }
    bool set_clipboard_text(std::string_view) override { return true; }
};

TEST(handed_off_port, a_window_port_is_asked_only_what_its_window_has) {
    struct row {
        const char* what;
        std::function<void(common::window_port&)> call;
        std::vector<std::string> asked;
    };
    std::string got;
    const row table[] = {
        {"insert in range", [](auto& p) { p.list_insert_row(control::超级列表框1, 2, ""); }, {"insert 2"}},
        {"insert past the end", [](auto& p) { p.list_insert_row(control::超级列表框1, 9, ""); }, {"insert 3"}},
        {"insert at -1", [](auto& p) { p.list_insert_row(control::超级列表框2, -1, ""); }, {"insert 3"}},
        {"insert in a button", [](auto& p) { p.list_insert_row(control::按钮搜索, 0, ""); }, {}},
        {"the hidden column", [](auto& p) { p.list_set_cell(control::超级列表框2, 2, 4, ""); }, {"set 2,4"}},
        {"a column too far", [](auto& p) { p.list_set_cell(control::超级列表框1, 0, 4, ""); }, {}},
        {"a row too far", [](auto& p) { p.list_set_cell(control::超级列表框1, 3, 0, ""); }, {}},
        {"a row before the first", [&](auto& p) { got = p.list_get_cell(control::超级列表框1, -1, 0); }, {}},
        {"a column before the first", [&](auto& p) { got = p.list_get_cell(control::超级列表框1, 0, -1); }, {}},
        {"a cell it has", [&](auto& p) { got += p.list_get_cell(control::超级列表框1, 2, 3); }, {"get 2,3"}},
        {"clear an edit box", [](auto& p) { p.list_clear(control::编辑框1); }, {}},
        {"status part 1, a tab", [](auto& p) { p.status_set_text(control::状态条1, 1, "a\tb"); }, {"status 1 a b"}},
        {"status part 2", [](auto& p) { p.status_set_text(control::状态条1, 2, "x"); }, {}},
        {"status on a label", [](auto& p) { p.status_set_text(control::标签1, 0, "x"); }, {}},
        {"text into a list", [](auto& p) { p.set_edit_text(control::超级列表框1, "x"); }, {}},
        {"colour of a label", [](auto& p) { p.set_text_colour(control::标签2, 0); }, {}},
        {"colour of an edit box", [](auto& p) { p.set_text_colour(control::编辑框2, 0); }, {"colour"}},
        {"hide an unknown control", [](auto& p) { p.set_visible(static_cast<control>(99), false); }, {}},
    };
    here thread;
    app::window_calls calls(thread);
    recording_port window;
    app::handed_off_port port(window, calls);
    calls.bind();
    for (const row& r : table) {
        window.asked.clear();
        r.call(port);
        EXPECT_EQ(window.asked, r.asked) << r.what;
    }
    EXPECT_EQ(got, "cell");
    EXPECT_EQ(port.edit_text(control::组合框1), "");
    EXPECT_EQ(port.selected_index(control::组合框1), 2);
    EXPECT_EQ(port.selected_index(control::编辑框1), -1);
    EXPECT_EQ(port.list_row_count(control::状态条1), 0);
    EXPECT_EQ(port.list_selected_row(control::超级列表框2), 1);
    calls.unbind();
}

}  // namespace
