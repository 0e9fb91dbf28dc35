#include "services/program_state.h"

#include <mutex>

#include "services/system_paths.h"

namespace common {
namespace {

struct program_state {
    std::mutex guard;
    std::string video_title;
    std::string last_format_label;
};

program_state state;

}  // namespace

void init_program_state() {
    ignore_file_size_signal();
    std::lock_guard lock(state.guard);
    state.video_title.clear();
    state.last_format_label.clear();
}

void release_program_state() {
    std::lock_guard lock(state.guard);
    std::string().swap(state.video_title);
    std::string().swap(state.last_format_label);
}

std::string video_title() {
    std::lock_guard lock(state.guard);
    return state.video_title;
}

void set_video_title(std::string_view title) {
    std::lock_guard lock(state.guard);
    state.video_title = title;
}

std::string last_format_label() {
    std::lock_guard lock(state.guard);
    return state.last_format_label;
}

void set_last_format_label(std::string_view label) {
    std::lock_guard lock(state.guard);
    state.last_format_label = label;
}

}  // namespace common
