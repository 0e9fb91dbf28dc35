// How the program ends: when its window is lost without a close request, and
// without destroying globals under a worker that has not stopped.
#pragma once

namespace app {

class main_window;

// Watches `window` for being taken away from outside (its native window
// destroyed by the display server or another client): it is then closed as
// a close request would close it, and the event loop ends.
void end_with_window(main_window& window);

// What main returns. While a worker is still running (stuck in a step that
// does not heed the stop), the process ends here with `code` instead, after
// flushing its output, so that no global is destroyed under that worker.
int leave_program(int code);

}  // namespace app
