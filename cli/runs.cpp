#include "cli/runs.h"

#include "resolve/play_pages.h"
#include "resolve/video_id.h"
#include "search/keyword_search.h"

namespace cli {

using common::control;

void run_search(memory_port& port, const std::string& keyword) {
    port.set_mode(mode::search);
    port.set_edit_text(control::编辑框1, keyword);
    search::keyword_search();
}

void run_hit(memory_port& port, int hit, const std::function<void(int)>& episode) {
    port.set_mode(mode::search);
    port.select_row(control::超级列表框2, hit);
    // The run reads the hit's programme ID once before each episode.
    port.watch_read(control::超级列表框2, 4, episode);
    resolve::resolve_play_pages();
    port.watch_read(control::超级列表框2, 4, {});
}

void run_episodes(memory_port& port, const std::string& programme_id, const std::string& count,
                  const std::function<void(int)>& episode) {
    port.set_mode(mode::by_id);
    port.set_edit_text(control::编辑框1, programme_id);
    port.set_edit_text(control::编辑框2, count);
    // The run reads the programme ID once before each episode.
    port.watch_read(control::编辑框1, 0, episode);
    resolve::resolve_play_pages();
    port.watch_read(control::编辑框1, 0, {});
}

void run_video(memory_port& port, const std::string& video_id) {
    port.set_mode(mode::no_episodes);
    port.set_edit_text(control::编辑框1, video_id);
    resolve::resolve_by_video_id();
}

}  // namespace cli
