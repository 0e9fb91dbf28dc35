#include "services/program_state.h"

#include <csignal>
#include <mutex>

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
#ifdef SIGXFSZ
    // A write past the file-size limit then fails like any other failed
    // write, rather than ending the program with every listed row.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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
