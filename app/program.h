// The program's start and end, the same for every window: what comes before
// the window, what comes once it is shown, and how the window's close and the
// program's end wait for the runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace app {

// Before anything else: the program's folder becomes the current directory
// and the program-wide variables are made (released when the program ends
// normally).
void begin_program();

// Once the window is shown, before any request can start: the site's hosts
// from the program's arguments (--site-host and the like, program name
// excluded), the environment and the settings file; one warning box lists
// every value that is not a host (the built-in host is used for those).
void take_hosts(const std::vector<std::string>& arguments = {});

// The window's close: runs are told to stop, and `serve_events(ms)` keeps the
// window serving their calls (waiting at most `ms` for an event each time)
// until they have returned or close_wait_ms have passed. Then the window may
// go away.
inline constexpr int close_wait_ms = 3000;
void stop_runs_before_close(const std::function<void(int ms)>& serve_events);

// What main returns. While a worker is still running (stuck in a step that
// does not heed the stop), the process ends here with `code` instead, after
// flushing its output, so that no global is destroyed under that worker.
int leave_program(int code);

}  // namespace app
