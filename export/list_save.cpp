#include "export/list_save.h"

#include <optional>

#include "common/code_page.h"
#include "common/gbk.h"
#include "common/text_ops.h"
#include "services/program_state.h"
#include "services/system_services.h"
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

// " 地址保存在软件目录下", or with the count " 共3个地址保存在软件目录下";
// outside the program's directory the folder is named.
std::string saved_tail(const common::save_folder& folder, std::optional<std::size_t> count) {
    std::string tail = count ? gbk<" 共">() + std::to_string(*count) + gbk<"个地址">() : gbk<" 地址">();
    if (folder.beside_program) return tail + gbk<"保存在软件目录下">();
    return tail + gbk<"保存在 ">() + common::convert_utf8_to_gbk(folder.path);
}

std::string failed_tail(const common::save_folder& folder) {
    if (folder.beside_program) return gbk<" 无法写入软件目录">();
    return gbk<" 无法写入 ">() + common::convert_utf8_to_gbk(folder.path);
}

}  // namespace

std::string list_file_base_name(int mode) {
    std::string base_name;
    if (mode == 0) base_name = selected_hit_name();
    if (mode == 1) base_name = series_title(common::edit_text(control::编辑框1));
    if (mode == 2) base_name = common::video_title();
    if (base_name.empty()) base_name = common::list_get_cell(control::超级列表框1, 0, 1);
    if (base_name.empty()) base_name = gbk<"视频地址">();
    return base_name;
}

std::vector<link_row> listed_rows(bool addresses_only) {
    std::vector<link_row> rows;
    int count = common::list_row_count(control::超级列表框1);
    for (int row = 0; row < count; ++row) {
        link_row listed{common::list_get_cell(control::超级列表框1, row, 1),
                        common::list_get_cell(control::超级列表框1, row, 2)};
        if (addresses_only && listed.address.empty()) continue;
        rows.push_back(std::move(listed));
    }
    return rows;
}

std::optional<list_file> make_list_file(const list_file_kind& kind) {
    int mode = common::selected_index(control::组合框1);
    if (mode < 0 || mode > 2) return std::nullopt;
    if (common::list_get_cell(control::超级列表框1, 0, 1).empty()) {
        common::status_set_text(control::状态条1, 1, gbk<"未获取地址，请获取后再保存地址!!">());
        return std::nullopt;
    }
    std::string base_name = list_file_base_name(mode);
    // The series page is fetched with the window's events handled: the
    // window may have closed meanwhile, and its list is then gone.
    if (common::stop_requested()) return std::nullopt;

    std::vector<link_row> rows = listed_rows(kind.addresses_only);
    if (rows.empty()) {
        common::status_set_text(control::状态条1, 1, gbk<"未获取地址，请获取后再保存地址!!">());
        return std::nullopt;
    }
    return list_file{common::disk_file_name(common::convert_gbk_to_utf8(safe_file_name(base_name)), kind.extension),
                     kind.content(rows), rows.size()};
}

void save_list_file(const list_file_kind& kind) {
    std::optional<list_file> file = make_list_file(kind);
    if (!file) return;
    const common::save_folder folder = common::choose_save_folder();
    const std::string shown_name = common::convert_utf8_to_gbk(file->name);
    if (!common::write_file_in(folder.path, file->name, {common::to_bytes(file->content)})) {
        common::status_set_text(control::状态条1, 1, kind.failed + shown_name + failed_tail(folder));
        return;
    }
    std::optional<std::size_t> count;
    if (kind.addresses_only) count = file->rows;
    common::status_set_text(control::状态条1, 1, kind.saved + shown_name + saved_tail(folder, count));
}

}  // namespace exporting
