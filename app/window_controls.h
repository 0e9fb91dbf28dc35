// What a window does for the control operations of the site logic. Each
// window implements these on its own widgets; every one is called on the
// window's thread only, handed there by the program's window port (below),
// which the window installs.
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

class window_controls {
public:
    virtual ~window_controls() = default;

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
    // These three work without a bound window too.
    virtual void show_busy(bool busy) = 0;
    // Shows the box and returns the code of the button pressed; only asked
    // while a window is bound and the test hook gives no answer.
    virtual int message_box(const std::string& message, int style, const std::string& caption) = 0;
    virtual bool set_clipboard_text(std::string_view text) = 0;
};

// The buttons of a message box of `style` (MessageBoxA's flags) as the codes
// the box answers with: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5,
// No 6. A box closed without a button answers as its escape button does:
// its only button, else Cancel.
std::vector<int> message_box_buttons(int style);
int message_box_escape(int style);

// The window port of a window: every operation is carried out on the
// window's thread through `calls`; the control operations only while a
// window is bound and no stop is requested, else they return empty values.
class handed_off_port final : public common::window_port {
public:
    handed_off_port(window_controls& controls, window_calls& calls) : controls_(controls), calls_(calls) {}

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

    window_controls& controls_;
    window_calls& calls_;
};

}  // namespace app
