// What the Qt window's start-up and end do besides making the window.
#pragma once

namespace app {

class main_window;

// The program's icon for all its windows (from the program's resources) and
// the desktop entry they belong to.
void set_program_identity();

// Qt's own Chinese texts (the standard buttons of message boxes read "确定")
// from Qt's translations folder; false, and English texts, when the file is
// missing or unreadable.
bool load_qt_translations();

// Watches `window` for being taken away from outside (its native window
// destroyed by the display server or another client): it is then closed as
// a close request would close it, and the event loop ends.
void end_with_window(main_window& window);

}  // namespace app
