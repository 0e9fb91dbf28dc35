#include "app/input_modes.h"

#include "common/gbk.h"
#include "services/system_services.h"
#include "resolve/play_pages.h"
#include "resolve/video_id.h"
#include "search/keyword_search.h"

namespace app {

using common::control;
using common::gbk;

namespace {

constexpr std::uint32_t grey = 0x808080;
constexpr std::uint32_t black = 0;

const std::string& prompt_text() { return gbk<"输入搜索名字">(); }

}  // namespace

void show_search_prompt() {
    common::set_text_colour(control::编辑框1, grey);
    common::set_edit_text(control::编辑框1, prompt_text());
}

void enter_search_box() {
    if (common::edit_text(control::编辑框1) != prompt_text()) return;
    common::set_edit_text(control::编辑框1, "");
    common::set_text_colour(control::编辑框1, black);
    common::status_set_text(control::状态条1, 1, gbk<"输入搜索名字,如毒战,速度与激情等等,或者输入ID">());
}

void leave_search_box() {
    if (!common::edit_text(control::编辑框1).empty()) return;
    common::set_text_colour(control::编辑框1, grey);
    common::set_edit_text(control::编辑框1, prompt_text());
    common::status_set_text(control::状态条1, 1, "");
}

void switch_mode() {
    if (common::selected_index(control::组合框1) == 0) {
        common::set_visible(control::编辑框2, false);
        common::set_visible(control::标签1, false);
        common::status_set_text(control::状态条1, 1, gbk<"启用搜索模式，集数框禁用，请输入搜索内容!">());
    }
    if (common::selected_index(control::组合框1) == 1) {
        common::set_visible(control::编辑框2, true);
        common::set_visible(control::标签1, true);
        common::status_set_text(control::状态条1, 1, gbk<"启用ID模式，集数框恢复，输入ID与集数!">());
    }
    if (common::selected_index(control::组合框1) == 2) {
        common::set_visible(control::编辑框2, false);
        common::set_visible(control::标签1, false);
        common::status_set_text(control::状态条1, 1, gbk<"启用无集数模式，集数框禁用，">());
    }
}

void run_search_button() {
    if (common::edit_text(control::编辑框1) == prompt_text()) {
        common::message_box(gbk<"出现错误了，请输入搜索内容">(), 16, gbk<"出错了">());
        return;
    }
    if (common::selected_index(control::组合框1) == 0) search::keyword_search();
    if (common::selected_index(control::组合框1) == 1) common::start_thread(resolve::resolve_play_pages);
    if (common::selected_index(control::组合框1) == 2) common::start_thread(resolve::resolve_by_video_id);
}

}  // namespace app
