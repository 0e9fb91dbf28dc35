#include "cli/memory_port.h"

namespace cli {

using common::control;

memory_port::list_view* memory_port::list_of(control list) {
    if (list == control::超级列表框1) return &addresses_;
    if (list == control::超级列表框2) return &hits_;
    return nullptr;
}

const memory_port::list_view* memory_port::list_of(control list) const {
    return const_cast<memory_port*>(this)->list_of(list);
}

const std::vector<memory_port::row>& memory_port::rows(control list) const {
    static const std::vector<row> none;
    const list_view* view = list_of(list);
    return view != nullptr ? view->rows : none;
}

std::string memory_port::status_text(int part) const {
    auto found = status_.find(part);
    return found != status_.end() ? found->second : std::string();
}

void memory_port::select_row(control list, int row) {
    if (list_view* view = list_of(list)) view->selected = row;
}

void memory_port::watch_read(control which, int column, std::function<void(int)> seen) {
    watch_ = {which, column, std::move(seen), 0};
}

void memory_port::note_read(control which, int column) {
    if (watch_.seen && watch_.which == which && watch_.column == column) watch_.seen(++watch_.reads);
}

void memory_port::list_clear(control list) {
    if (list_view* view = list_of(list)) *view = {};
}

int memory_port::list_insert_row(control list, int position, std::string_view main_text) {
    list_view* view = list_of(list);
    if (view == nullptr) return -1;
    const int count = static_cast<int>(view->rows.size());
    if (position < 0 || position > count) position = count;
    view->rows.insert(view->rows.begin() + position, row{std::string(main_text)});
    return position;
}

void memory_port::list_set_cell(control list, int row, int column, std::string_view text) {
    list_view* view = list_of(list);
    if (view == nullptr || row < 0 || row >= static_cast<int>(view->rows.size()) || column < 0) return;
    auto& cells = view->rows[row];
    if (static_cast<int>(cells.size()) <= column) cells.resize(column + 1);
    cells[column] = std::string(text);
}

std::string memory_port::list_get_cell(control list, int row, int column) {
    note_read(list, column);
    const list_view* view = list_of(list);
    if (view == nullptr || row < 0 || row >= static_cast<int>(view->rows.size()) || column < 0) return {};
    const auto& cells = view->rows[row];
    return column < static_cast<int>(cells.size()) ? cells[column] : std::string();
}

int memory_port::list_row_count(control list) {
    const list_view* view = list_of(list);
    return view != nullptr ? static_cast<int>(view->rows.size()) : 0;
}

int memory_port::list_selected_row(control list) {
    const list_view* view = list_of(list);
    return view != nullptr ? view->selected : -1;
}

void memory_port::status_set_text(control, int part, std::string_view text) { status_[part] = std::string(text); }

std::string memory_port::edit_text(control edit) {
    note_read(edit, 0);
    auto found = edits_.find(edit);
    return found != edits_.end() ? found->second : std::string();
}

void memory_port::set_edit_text(control edit, std::string_view text) { edits_[edit] = std::string(text); }

int memory_port::selected_index(control selector) { return selector == control::组合框1 ? mode_ : -1; }

int memory_port::message_box(const std::string& message, int style, const std::string& caption) {
    messages_.push_back(message);
    return common::message_box_hook_answer(message, style, caption).value_or(0);
}

}  // namespace cli
