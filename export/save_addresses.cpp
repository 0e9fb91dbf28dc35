#include "export/save_addresses.h"

#include "common/gbk.h"
#include "export/download_list.h"
#include "export/link_file.h"
#include "export/list_save.h"
#include "export/playlist_file.h"

namespace exporting {

using common::gbk;

list_file_kind link_file_kind() {
    return {".html", false, link_file_content, gbk<"下载地址保存成功. ">(), gbk<"下载地址保存失败. ">()};
}

list_file_kind playlist_kind() {
    return {".m3u8", true, playlist_content, gbk<"播放列表保存成功. ">(), gbk<"播放列表保存失败. ">()};
}

list_file_kind download_list_kind() {
    return {".txt", true, download_list_content, gbk<"下载列表保存成功. ">(), gbk<"下载列表保存失败. ">()};
}

void save_all_addresses() { save_list_file(link_file_kind()); }

void save_playlist() { save_list_file(playlist_kind()); }

void save_download_list() { save_list_file(download_list_kind()); }

}  // namespace exporting
