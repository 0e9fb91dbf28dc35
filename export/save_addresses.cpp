#include "export/save_addresses.h"

#include "common/gbk.h"
#include "export/download_list.h"
#include "export/link_file.h"
#include "export/list_save.h"
#include "export/playlist_file.h"

namespace exporting {

using common::gbk;

void save_all_addresses() {
    save_list_file({".html", false, link_file_content, gbk<"下载地址保存成功. ">(), gbk<"下载地址保存失败. ">()});
}

void save_playlist() {
    save_list_file({".m3u8", true, playlist_content, gbk<"播放列表保存成功. ">(), gbk<"播放列表保存失败. ">()});
}

void save_download_list() {
    save_list_file({".txt", true, download_list_content, gbk<"下载列表保存成功. ">(), gbk<"下载列表保存失败. ">()});
}

}  // namespace exporting
