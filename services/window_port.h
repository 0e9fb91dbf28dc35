// The window side of the control operations. The window library implements
// this with the real widgets and installs it; until one is installed the
// control operations do nothing and return empty values, so the site logic
// and its tests run without any window or toolkit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "services/system_services.h"

namespace common {

class window_port {
public:
    virtual ~window_port() = default;

    virtual void list_clear(control list) = 0;
    virtual int list_insert_row(control list, int position, std::string_view main_text) = 0;
    virtual void list_set_cell(control list, int row, int column, std::string_view text) = 0;
    virtual std::string list_get_cell(control list, int row, int column) = 0;
    virtual int list_row_count(control list) = 0;
    virtual int list_selected_row(control list) = 0;
    virtual void status_set_text(control status_bar, int part, std::string_view text) = 0;
    virtual std::string edit_text(control edit) = 0;
    virtual void set_edit_text(control edit, std::string_view text) = 0;
    virtual void set_text_colour(control edit, std::uint32_t colorref) = 0;
    virtual void set_visible(control which, bool visible) = 0;
    virtual int selected_index(control selector) = 0;
    virtual void popup_menu(popup menu, std::optional<int> x, std::optional<int> y) = 0;
    virtual void process_events() = 0;
    virtual void show_busy(bool busy) = 0;
    // The caption is already chosen; the test hook has not been asked yet.
    virtual int message_box(const std::string& message, int style, const std::string& caption) = 0;
    virtual void window_call(const std::function<void()>& work) = 0;
    virtual bool set_clipboard_text(std::string_view text) = 0;
};

// Installs `port` (nullptr: none). The port must outlive every call.
void install_window_port(window_port* port);

// The answer of the test hook, if one is set (see testing_hooks.h).
std::optional<int> message_box_hook_answer(const std::string& message, int style, const std::string& caption);

}  // namespace common
