#include "app/handed_off_port.h"

#include <algorithm>
#include <iterator>

#include "app/form.h"

namespace app {
namespace {

bool is(control which, form::kind type) {
    return static_cast<std::size_t>(which) < common::control_count && form::of(which).type == type;
}

bool has_column(control list, int column) {
    return is(list, form::kind::list_view) && column >= 0 &&
           static_cast<std::size_t>(column) < form::of(list).columns.size();
}

}  // namespace

std::vector<int> message_box_buttons(int style) {
    switch (style & 0x0F) {
        case 1: return {0, 1};
        case 2: return {2, 3, 4};
        case 3: return {5, 6, 1};
        case 4: return {5, 6};
        case 5: return {3, 1};
        default: return {0};
    }
}

int message_box_escape(int style) {
    std::vector<int> buttons = message_box_buttons(style);
    return buttons.size() == 1 ? buttons.front() : 1;
}

void handed_off_port::list_clear(control list) {
    if (is(list, form::kind::list_view)) calls_.run([&] { controls_.list_clear(list); });
}

int handed_off_port::list_insert_row(control list, int position, std::string_view main_text) {
    if (!is(list, form::kind::list_view)) return -1;
    return on_window(
        [&] {
            const int rows = controls_.list_row_count(list);
            return controls_.list_insert_row(list, position < 0 || position > rows ? rows : position, main_text);
        },
        -1);
}

void handed_off_port::list_set_cell(control list, int row, int column, std::string_view text) {
    if (!has_column(list, column)) return;
    calls_.run([&] {
        if (row >= 0 && row < controls_.list_row_count(list)) controls_.list_set_cell(list, row, column, text);
    });
}

std::string handed_off_port::list_get_cell(control list, int row, int column) {
    if (!has_column(list, column)) return {};
    return on_window(
        [&] {
            return row >= 0 && row < controls_.list_row_count(list) ? controls_.list_get_cell(list, row, column)
                                                                   : std::string();
        },
        std::string());
}

int handed_off_port::list_row_count(control list) {
    if (!is(list, form::kind::list_view)) return 0;
    return on_window([&] { return controls_.list_row_count(list); }, 0);
}

int handed_off_port::list_selected_row(control list) {
    if (!is(list, form::kind::list_view)) return -1;
    return on_window([&] { return controls_.list_selected_row(list); }, -1);
}

void handed_off_port::status_set_text(control status_bar, int part, std::string_view text) {
    if (!is(status_bar, form::kind::status_bar) || part < 0 || part >= static_cast<int>(std::size(form::status_part_widths))) {
        return;
    }
    // A tab would jump to a column in a status part; page text in a status
    // text is shown as it stands, a tab as a space (never part of a GBK pair).
    std::string shown(text);
    std::replace(shown.begin(), shown.end(), '\t', ' ');
    calls_.run([&] { controls_.status_set_text(status_bar, part, shown); });
}

std::string handed_off_port::edit_text(control edit) {
    if (!is(edit, form::kind::edit_box)) return {};
    return on_window([&] { return controls_.edit_text(edit); }, std::string());
}

void handed_off_port::set_edit_text(control edit, std::string_view text) {
    if (is(edit, form::kind::edit_box)) calls_.run([&] { controls_.set_edit_text(edit, text); });
}

void handed_off_port::set_text_colour(control edit, std::uint32_t colorref) {
    if (is(edit, form::kind::edit_box)) calls_.run([&] { controls_.set_text_colour(edit, colorref); });
}

void handed_off_port::set_visible(control which, bool visible) {
    if (static_cast<std::size_t>(which) < common::control_count) calls_.run([&] { controls_.set_visible(which, visible); });
}

int handed_off_port::selected_index(control selector) {
    if (!is(selector, form::kind::drop_down_list)) return -1;
    return on_window([&] { return controls_.selected_index(selector); }, -1);
}

void handed_off_port::popup_menu(popup menu, std::optional<int> x, std::optional<int> y) {
    calls_.run([&] { controls_.popup_menu(menu, x, y); });
}

void handed_off_port::process_events() {
    if (calls_.on_window_thread()) controls_.process_events();
}

void handed_off_port::show_busy(bool busy) {
    calls_.run([&] { controls_.show_busy(busy); }, false);
}

int handed_off_port::message_box(const std::string& message, int style, const std::string& caption) {
    return on_window(
        [&] {
            if (auto answer = common::message_box_hook_answer(message, style, caption)) return *answer;
            return calls_.bound() ? controls_.message_box(message, style, caption) : 0;
        },
        0, false);
}

void handed_off_port::window_call(const std::function<void()>& work) { calls_.run(work); }

bool handed_off_port::set_clipboard_text(std::string_view text) {
    return on_window([&] { return controls_.set_clipboard_text(text); }, false, false);
}

}  // namespace app
