// The window port with no window: the command line's controls held in
// memory. The lists are rows of cells, the edit boxes and the mode selector
// hold what the command line set, status texts and message boxes are kept
// for the caller to read, and every call runs on the calling thread.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "services/window_port.h"

namespace cli {

// The selector's items, as the window orders them.
enum class mode { search = 0, by_id = 1, no_episodes = 2 };

class memory_port final : public common::window_port {
public:
    using row = std::vector<std::string>;

    // The rows of a list view (超级列表框1 or 超级列表框2).
    const std::vector<row>& rows(common::control list) const;
    // The status text of part `part`, the last one set.
    std::string status_text(int part) const;
    // Every message box shown, GBK, oldest first; each was answered OK.
    const std::vector<std::string>& messages() const { return messages_; }

    void set_mode(mode chosen) { mode_ = static_cast<int>(chosen); }
    void select_row(common::control list, int row);
    // Calls `seen` with 1, 2, ... each time the site logic reads `column` of
    // the list `which` (column 0 for an edit box); an empty function stops it.
    void watch_read(common::control which, int column, std::function<void(int)> seen);

    void list_clear(common::control list) override;
    int list_insert_row(common::control list, int position, std::string_view main_text) override;
    void list_set_cell(common::control list, int row, int column, std::string_view text) override;
    std::string list_get_cell(common::control list, int row, int column) override;
    int list_row_count(common::control list) override;
    int list_selected_row(common::control list) override;
    void status_set_text(common::control status_bar, int part, std::string_view text) override;
    std::string edit_text(common::control edit) override;
    void set_edit_text(common::control edit, std::string_view text) override;
    void set_text_colour(common::control, std::uint32_t) override {}
    void set_visible(common::control, bool) override {}
    int selected_index(common::control selector) override;
    void popup_menu(common::popup, std::optional<int>, std::optional<int>) override {}
    void process_events() override {}
    void show_busy(bool) override {}
    int message_box(const std::string& message, int style, const std::string& caption) override;
    void window_call(const std::function<void()>& work) override { work(); }
    bool set_clipboard_text(std::string_view) override { return false; }

private:
    struct list_view {
        std::vector<row> rows;
        int selected = -1;
    };
    list_view* list_of(common::control list);
    const list_view* list_of(common::control list) const;

    list_view addresses_;  // 超级列表框1
    list_view hits_;       // 超级列表框2
    std::map<common::control, std::string> edits_;
    std::map<int, std::string> status_;
    std::vector<std::string> messages_;
    int mode_ = -1;
    struct watch {
        common::control which{};
        int column = 0;
        std::function<void(int)> seen;
        int reads = 0;
    } watch_;
    void note_read(common::control which, int column);
};

// Installs a port for as long as it lives, and the previous none again after.
class installed_port {
public:
    explicit installed_port(memory_port& port) { common::install_window_port(&port); }
    ~installed_port() { common::install_window_port(nullptr); }
    installed_port(const installed_port&) = delete;
    installed_port& operator=(const installed_port&) = delete;
};

}  // namespace cli
