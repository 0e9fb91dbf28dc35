// The address run of the no-episode mode: one video ID, one row.
#pragma once

namespace resolve {

// Runs on a worker thread; reads 编辑框1, fills 超级列表框1, sets video_title.
void resolve_by_video_id();

}  // namespace resolve
