// The control operations, handed to the installed window side. Without one
// they do nothing and return empty values; a message box is then answered by
// the test hook alone, or with 0.
#include <atomic>
#include <iterator>
#include <mutex>

#include "common/gbk.h"
#include "services/system_services.h"
#include "services/testing_hooks.h"
#include "services/window_port.h"

namespace common {
namespace {

constexpr const char* form_names[] = {
    "分组框1", "标签2",      "编辑框1", "标签1",      "编辑框2", "组合框1",
    "按钮搜索", "超级列表框2", "分组框2", "超级列表框1", "状态条1",
};

std::atomic<window_port*> installed{nullptr};

std::mutex hook_guard;
message_box_hook box_hook;

// Calls `operation` on the port, or gives `fallback` when there is none.
template <class Result, class Operation>
Result on_port(Operation&& operation, Result fallback = Result()) {
    window_port* port = installed.load();
    return port != nullptr ? operation(*port) : fallback;
}

template <class Operation>
void on_port(Operation&& operation) {
    if (window_port* port = installed.load()) operation(*port);
}

}  // namespace

const char* control_name(control which) {
    auto index = static_cast<std::size_t>(which);
    return index < std::size(form_names) ? form_names[index] : "";
}

void install_window_port(window_port* port) { installed.store(port); }

void set_message_box_hook(message_box_hook hook) {
    std::lock_guard lock(hook_guard);
    box_hook = std::move(hook);
}

std::optional<int> message_box_hook_answer(const std::string& message, int style, const std::string& caption) {
    message_box_hook hook;
    {
        std::lock_guard lock(hook_guard);
        hook = box_hook;
    }
    if (!hook) return std::nullopt;
    return hook(message, style, caption);
}

void list_clear(control list) {
    on_port([&](window_port& p) { p.list_clear(list); });
}

int list_insert_row(control list, int position, std::string_view main_text) {
    return on_port<int>([&](window_port& p) { return p.list_insert_row(list, position, main_text); }, -1);
}

void list_set_cell(control list, int row, int column, std::string_view text) {
    on_port([&](window_port& p) { p.list_set_cell(list, row, column, text); });
}

std::string list_get_cell(control list, int row, int column) {
    return on_port<std::string>([&](window_port& p) { return p.list_get_cell(list, row, column); });
}

int list_row_count(control list) {
    return on_port<int>([&](window_port& p) { return p.list_row_count(list); });
}

int list_selected_row(control list) {
    return on_port<int>([&](window_port& p) { return p.list_selected_row(list); }, -1);
}

void status_set_text(control status_bar, int part, std::string_view text) {
    on_port([&](window_port& p) { p.status_set_text(status_bar, part, text); });
}

std::string edit_text(control edit) {
    return on_port<std::string>([&](window_port& p) { return p.edit_text(edit); });
}

void set_edit_text(control edit, std::string_view text) {
    on_port([&](window_port& p) { p.set_edit_text(edit, text); });
}

void set_text_colour(control edit, std::uint32_t colorref) {
    on_port([&](window_port& p) { p.set_text_colour(edit, colorref); });
}

void set_visible(control which, bool visible) {
    on_port([&](window_port& p) { p.set_visible(which, visible); });
}

int selected_index(control selector) {
    return on_port<int>([&](window_port& p) { return p.selected_index(selector); }, -1);
}

void popup_menu(popup menu, std::optional<int> x, std::optional<int> y) {
    on_port([&](window_port& p) { p.popup_menu(menu, x, y); });
}

void process_events() {
    on_port([](window_port& p) { p.process_events(); });
}

void show_busy(bool busy) {
    on_port([&](window_port& p) { p.show_busy(busy); });
}

int message_box(std::string_view message, int style, std::optional<std::string> caption) {
    std::string text(message);
    std::string title = caption ? *caption : gbk<"信息：">();
    if (window_port* port = installed.load()) return port->message_box(text, style, title);
    return message_box_hook_answer(text, style, title).value_or(0);
}

void window_call(const std::function<void()>& work) {
    on_port([&](window_port& p) { p.window_call(work); });
}

bool set_clipboard_text(std::string_view text) {
    return on_port<bool>([&](window_port& p) { return p.set_clipboard_text(text); });
}

}  // namespace common
