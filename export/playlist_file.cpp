#include "export/playlist_file.h"

#include "common/code_page.h"
#include "export/list_address.h"

namespace exporting {

std::string playlist_content(const std::vector<link_row>& rows) {
    std::string content = "#EXTM3U\n";
    for (const link_row& row : rows) {
        std::string name = common::convert_gbk_to_utf8(row.name);
        for (char& c : name) {
            if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') c = ' ';
        }
        content += "#EXTINF:-1," + name + "\n" + list_address(row.address) + "\n";
    }
    return content;
}

}  // namespace exporting
