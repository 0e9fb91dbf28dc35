// The address list's pop-up menu items: the listed addresses saved as an
// HTML file of links, a playlist or a download list, in the save folder.
#pragma once

#include "export/list_save.h"

namespace exporting {

// The three kinds of file the menu saves: HTML links, playlist, download list.
list_file_kind link_file_kind();
list_file_kind playlist_kind();
list_file_kind download_list_kind();

// The handler of the menu item "保存所有地址".
void save_all_addresses();
// The handler of the menu item "保存为播放列表".
void save_playlist();
// The handler of the menu item "保存为下载列表".
void save_download_list();

}  // namespace exporting
