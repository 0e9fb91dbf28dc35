// The playlist of the listed addresses: an extended M3U file in UTF-8.
#pragma once

#include <string>
#include <vector>

#include "export/link_file.h"

namespace exporting {

// "#EXTM3U", then for each row "#EXTINF:-1,NAME" and its address, each line
// ending in LF. Names are GBK and come out as UTF-8 with control bytes (line
// ends among them) as spaces.
std::string playlist_content(const std::vector<link_row>& rows);

}  // namespace exporting
