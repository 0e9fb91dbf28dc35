#include "export/save_addresses.h"

#include <vector>

#include "common/gbk.h"
#include "services/program_state.h"
#include "services/system_services.h"
#include "common/text_ops.h"
#include "export/link_file.h"
#include "web/page_text.h"
#include "web/site_hosts.h"
#include "web/web_access.h"

namespace exporting {
namespace {

using common::control;
using common::gbk;

std::string selected_hit_name() {
    return common::list_get_cell(control::超级列表框2, common::list_selected_row(control::超级列表框2), 1);
}

// The programme's name as its series page gives it; empty when the page
// cannot be had or holds no title.
std::string series_title(const std::string& programme_id) {
    std::string page = web::utf8_to_gbk(web::fetch_page_text(web::series_page_url(programme_id)));
    return web::text_between(page, "title:\"", gbk<"\",//视频名称">());
}

}  // namespace

void save_all_addresses() {
    int mode = common::selected_index(control::组合框1);
    if (mode < 0 || mode > 2) return;
    if (common::list_get_cell(control::超级列表框1, 0, 1).empty()) {
        common::status_set_text(control::状态条1, 1, gbk<"未获取地址，请获取后再保存地址!!">());
        return;
    }

    std::string base_name;
    if (mode == 0) base_name = selected_hit_name();
    if (mode == 1) base_name = series_title(common::edit_text(control::编辑框1));
    if (mode == 2) base_name = common::video_title();

    std::vector<link_row> rows;
    int count = common::list_row_count(control::超级列表框1);
    for (int row = 0; row < count; ++row) {
        rows.push_back({common::list_get_cell(control::超级列表框1, row, 1),
                        common::list_get_cell(control::超级列表框1, row, 2)});
    }

    std::string file_name = safe_file_name(base_name) + ".html";
    std::string path = common::program_directory() + "/" + file_name;
    if (!common::write_file(path, {common::to_bytes(link_file_content(rows))})) {
        common::status_set_text(control::状态条1, 1,
                                gbk<"下载地址保存失败. ">() + file_name + gbk<" 无法写入软件目录">());
        return;
    }
    common::status_set_text(control::状态条1, 1,
                            gbk<"下载地址保存成功. ">() + file_name + gbk<" 地址保存在软件目录下">());
}

}  // namespace exporting
