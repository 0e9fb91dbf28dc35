#include "search/keyword_search.h"

#include "common/code_page.h"
#include "services/system_services.h"
#include "common/text_ops.h"
#include "web/page_text.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace search {
namespace {

using common::control;

// One hit record of the search page; the site field must be empty.
constexpr const char* hit_pattern =
    "pid:'(.*?)',keyWord:'(.*?)',pushFlag:'(.*?)',site:'',type:'(.*?)',total:'(.*?)',newplay:'(.*?)',";

// Shows the busy state for as long as it lives, so a nested search keeps it
// until the outer one ends.
class busy_state {
public:
    busy_state() { common::show_busy(true); }
    ~busy_state() { common::show_busy(false); }
    busy_state(const busy_state&) = delete;
    busy_state& operator=(const busy_state&) = delete;
};

}  // namespace

std::string encode_keyword(std::string_view text) {
    std::string utf8 = common::convert_gbk_to_utf8(text);
    std::string encoded;
    encoded.reserve(utf8.size() * 3);
    for (unsigned char byte : utf8) {
        common::append_percent_escape(encoded, byte);
        common::process_events();
    }
    return encoded;
}

void keyword_search() {
    busy_state busy;
    std::string keyword = encode_keyword(common::edit_text(control::编辑框1));
    std::string page = web::utf8_to_gbk(web::fetch_page_text(web::search_page_url(keyword)));
    common::list_clear(control::超级列表框2);

    // Each search owns its pattern and matches: a search nested inside this
    // one (started while the page downloads) cannot disturb them.
    common::regex_object pattern;
    common::regex_compile(pattern, hit_pattern, false);
    common::match_list hits = common::regex_find_all(pattern, page);
    for (const common::pattern_match& hit : hits) {
        std::string programme_id = common::match_group_text(hit, page, 1);
        std::string name = common::match_group_text(hit, page, 2);
        std::string total = common::match_group_text(hit, page, 5);
        std::string count = common::match_group_text(hit, page, 6);
        if (total.empty() || total == "0") total = "1";
        if (count.empty()) count = "1";
        int row = common::list_insert_row(control::超级列表框2);
        common::list_set_cell(control::超级列表框2, row, 0, common::to_text(row + 1));
        common::list_set_cell(control::超级列表框2, row, 1, name);
        common::list_set_cell(control::超级列表框2, row, 2, total);
        common::list_set_cell(control::超级列表框2, row, 3, count);
        common::list_set_cell(control::超级列表框2, row, 4, programme_id);
    }
}

}  // namespace search
