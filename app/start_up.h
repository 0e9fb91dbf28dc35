// What start-up does besides making the window.
#pragma once

namespace app {

// The site's hosts from QUORLA_SITE_HOST, QUORLA_SEARCH_HOST and
// QUORLA_STREAM_HOST where they are set; one warning box lists every value
// that is not a host (the built-in host is used for those).
void take_hosts_from_environment();

// The program's icon for all its windows (from the program's resources) and
// the desktop entry they belong to.
void set_program_identity();

// Qt's own Chinese texts (the standard buttons of message boxes read "确定")
// from Qt's translations folder; false, and English texts, when the file is
// missing or unreadable.
bool load_qt_translations();

}  // namespace app
