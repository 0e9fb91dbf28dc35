// What the benchmarks that drive the window share: the program set up for
// an offscreen window, the window itself, and a meter of the user-interface
// thread's longest gap between 1 ms ticks.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <memory>

#include "qt/main_window_qt.h"

namespace window_bench {

// Before the QApplication: the offscreen platform unless one is chosen, the
// program state, no stop request. Undone by end_program.
void start_program();
void end_program();

// The main window, shown, in mode `mode` (0 search, 1 ID, 2 video ID);
// null, after saying so, when it cannot be made.
std::unique_ptr<app::main_window> open_window(int mode);

// Counts 1 ms ticks on the user-interface thread from start() to stop();
// a tick that comes late shows how long the thread went unserved.
class stall_meter {
public:
    stall_meter();
    void start();
    void stop();
    qint64 longest_gap_ms() const { return longest_gap_ms_; }
    long ticks() const { return ticks_; }

private:
    QElapsedTimer between_;
    QTimer ticker_;
    qint64 longest_gap_ms_ = 0;
    long ticks_ = 0;
};

}  // namespace window_bench
