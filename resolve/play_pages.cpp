#include "resolve/play_pages.h"

#include "common/gbk.h"
#include "services/system_services.h"
#include "common/text_ops.h"
#include "resolve/stream_select.h"
#include "web/page_text.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace resolve {
namespace {

using common::control;

// One episode's play page: every video ID on it, each with the page's first
// title, resolved in page order. The pattern and matches belong to this call.
void resolve_episode(const std::string& programme_id, int episode) {
    std::string page = web::utf8_to_gbk(web::fetch_page_text(web::play_page_url(programme_id, episode)));
    common::regex_object pattern;
    common::regex_compile(pattern, common::gbk<"vid:(.*?),//视频ID">(), false);
    common::match_list matches = common::regex_find_all(pattern, page);
    if (matches.empty()) return;
    // The page's first title, the same for every video ID on it.
    const std::string title = web::text_between(page, "title:\"", common::gbk<"\",//视频名称">());
    for (const common::pattern_match& match : matches) {
        if (common::stop_requested()) return;
        std::string vid = common::match_group_text(match, page, 1);
        stream_choice choice = select_stream(fetch_descriptor(vid));
        append_result_row(title, choice.found ? choice.address : std::string(),
                          choice.found ? choice.label : no_quality_label());
    }
}

}  // namespace

void resolve_play_pages() {
    if (common::selected_index(control::组合框1) == 0) {
        common::list_clear(control::超级列表框1);
        int count = common::to_integer(
            common::list_get_cell(control::超级列表框2, common::list_selected_row(control::超级列表框2), 3));
        for (int n = 1; n <= count && !common::stop_requested(); ++n) {
            std::string id =
                common::list_get_cell(control::超级列表框2, common::list_selected_row(control::超级列表框2), 4);
            resolve_episode(id, n);
            common::process_events();
        }
    }
    if (common::selected_index(control::组合框1) == 1) {
        common::list_clear(control::超级列表框1);
        int count = common::to_integer(common::edit_text(control::编辑框2));
        for (int n = 1; n <= count && !common::stop_requested(); ++n) {
            resolve_episode(common::edit_text(control::编辑框1), n);
            common::process_events();
        }
        common::process_events();
    }
}

}  // namespace resolve
