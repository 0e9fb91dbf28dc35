#include "resolve/play_pages.h"
#include "resolve/video_id.h"

namespace resolve {
void resolve_play_pages() {}
void resolve_by_video_id() {}
}  // namespace resolve
