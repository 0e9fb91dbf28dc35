#include "app/handlers.h"

#include "common/gbk.h"
#include "services/system_services.h"
#include "export/save_addresses.h"
#include "resolve/play_pages.h"

namespace app {

using common::control;
using common::gbk;

void popup_address_menu(std::optional<int> x, std::optional<int> y) { common::popup_menu(common::popup::保存地址, x, y); }

void popup_hit_menu(std::optional<int> x, std::optional<int> y) { common::popup_menu(common::popup::搜索获取, x, y); }

void start_resolve_run() { common::start_thread(resolve::resolve_play_pages); }

void copy_address() {
    std::string name = common::list_get_cell(control::超级列表框1, common::list_selected_row(control::超级列表框1), 1);
    if (name.empty()) {
        common::status_set_text(control::状态条1, 1, gbk<"当前无内容，无法复制!!">());
        return;
    }
    std::string address =
        common::list_get_cell(control::超级列表框1, common::list_selected_row(control::超级列表框1), 2);
    // A row whose address is empty has nothing to copy: claiming success
    // would leave the user pasting an old clipboard.
    if (address.empty()) {
        common::status_set_text(control::状态条1, 1, gbk<"当前无内容，无法复制!!">());
        return;
    }
    // Another program may hold the clipboard for longer than the copy waits:
    // the address is then not claimed as copied.
    const bool copied = common::set_clipboard_text(address);
    name = common::list_get_cell(control::超级列表框1, common::list_selected_row(control::超级列表框1), 1);
    common::status_set_text(control::状态条1, 1,
                            name + (copied ? gbk<"下载地址复制成功！">() : gbk<"下载地址复制失败，剪贴板正被其他程序占用！">()));
}

void run_command(form::command chosen) {
    switch (chosen) {
        case form::command::save_all: exporting::save_all_addresses(); return;
        case form::command::save_playlist: exporting::save_playlist(); return;
        case form::command::save_download_list: exporting::save_download_list(); return;
        case form::command::resolve: start_resolve_run(); return;
    }
}

}  // namespace app
