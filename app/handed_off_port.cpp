#include "app/handed_off_port.h"

namespace app {

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
    calls_.run([&] { controls_.list_clear(list); });
}

int handed_off_port::list_insert_row(control list, int position, std::string_view main_text) {
    return on_window([&] { return controls_.list_insert_row(list, position, main_text); }, -1);
}

void handed_off_port::list_set_cell(control list, int row, int column, std::string_view text) {
    calls_.run([&] { controls_.list_set_cell(list, row, column, text); });
}

std::string handed_off_port::list_get_cell(control list, int row, int column) {
    return on_window([&] { return controls_.list_get_cell(list, row, column); }, std::string());
}

int handed_off_port::list_row_count(control list) {
    return on_window([&] { return controls_.list_row_count(list); }, 0);
}

int handed_off_port::list_selected_row(control list) {
    return on_window([&] { return controls_.list_selected_row(list); }, -1);
}

void handed_off_port::status_set_text(control status_bar, int part, std::string_view text) {
    calls_.run([&] { controls_.status_set_text(status_bar, part, text); });
}

std::string handed_off_port::edit_text(control edit) {
    return on_window([&] { return controls_.edit_text(edit); }, std::string());
}

void handed_off_port::set_edit_text(control edit, std::string_view text) {
    calls_.run([&] { controls_.set_edit_text(edit, text); });
}

void handed_off_port::set_text_colour(control edit, std::uint32_t colorref) {
    calls_.run([&] { controls_.set_text_colour(edit, colorref); });
}

void handed_off_port::set_visible(control which, bool visible) {
    calls_.run([&] { controls_.set_visible(which, visible); });
}

int handed_off_port::selected_index(control selector) {
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
