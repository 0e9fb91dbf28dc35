// The address run of the search and ID modes: every episode's play page, the
// video IDs on it, and one address row per video.
#pragma once

namespace resolve {

// Runs on a worker thread; reads the mode selector, the search-hit list and
// the input boxes when it needs them, and fills 超级列表框1.
void resolve_play_pages();

}  // namespace resolve
