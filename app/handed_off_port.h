// The window port a window installs: every operation of the site logic is
// carried out on the window's thread through the hand-off (window_calls.h)
// by the window's own port, which acts on its widgets directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_calls.h"
#include "services/window_port.h"

namespace app {

using common::control;
using common::popup;

// The buttons of a message box of `style` (MessageBoxA's flags) as the codes
// the box answers with: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5,
// No 6. A box closed without a button answers as its escape button does:
// its only button, else Cancel.
std::vector<int> message_box_buttons(int style);
int message_box_escape(int style);

// The window port of a window: every operation of `on_thread` (the window's
// own port, which is only ever called on its thread) is carried out there
// through `calls`; the control operations only while a window is bound and
// no stop is requested, else they return empty values. A message box is
// asked of `on_thread` only while a window is bound and the test hook gives
// no answer; the busy pointer, message boxes and the clipboard work without
// a bound window too. `on_thread` is asked only for a control of the kind an
// operation acts on and for rows, columns and status parts it has (a row
// to insert at is within the rows or at the end), and gets status texts
// with tabs made spaces: it need not check its arguments.
class handed_off_port final : public common::window_port {
public:
    handed_off_port(common::window_port& on_thread, window_calls& calls) : controls_(on_thread), calls_(calls) {}

    void list_clear(control list) override;
    int list_insert_row(control list, int position, std::string_view main_text) override;
    void list_set_cell(control list, int row, int column, std::string_view text) override;
    std::string list_get_cell(control list, int row, int column) override;
    int list_row_count(control list) override;
    int list_selected_row(control list) override;
    void status_set_text(control status_bar, int part, std::string_view text) override;
    std::string edit_text(control edit) override;
    void set_edit_text(control edit, std::string_view text) override;
    void set_text_colour(control edit, std::uint32_t colorref) override;
    void set_visible(control which, bool visible) override;
    int selected_index(control selector) override;
    void popup_menu(popup menu, std::optional<int> x, std::optional<int> y) override;
    void process_events() override;
    void show_busy(bool busy) override;
    int message_box(const std::string& message, int style, const std::string& caption) override;
    void window_call(const std::function<void()>& work) override;
    bool set_clipboard_text(std::string_view text) override;

private:
    // `operation` on the window's thread; `fallback` when it did not run.
    template <class Result, class Operation>
    Result on_window(Operation&& operation, Result fallback, bool needs_window = true) {
        Result result = fallback;
        calls_.run([&] { result = operation(); }, needs_window);
        return result;
    }

    common::window_port& controls_;
    window_calls& calls_;
};

}  // namespace app
