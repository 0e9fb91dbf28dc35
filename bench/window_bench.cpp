#include "bench/window_bench.h"

#include <QComboBox>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

#include "services/program_state.h"
#include "services/testing_hooks.h"

namespace window_bench {

void start_program() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    common::init_program_state();
    common::clear_stop_for_testing();
}

void end_program() { common::release_program_state(); }

std::unique_ptr<app::main_window> open_window(int mode) {
    std::unique_ptr<app::main_window> window = app::load_main_window();
    if (!window) {
        std::printf("the main window could not be made\n");
        return window;
    }
    app::show_main_window(*window);
    window->findChild<QComboBox*>(QString::fromUtf8("组合框1"))->setCurrentIndex(mode);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return window;
}

stall_meter::stall_meter() {
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(1);
    QObject::connect(&ticker_, &QTimer::timeout, [this] {
        longest_gap_ms_ = std::max(longest_gap_ms_, between_.restart());
        ++ticks_;
    });
}

void stall_meter::start() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    longest_gap_ms_ = 0;
    ticks_ = 0;
    between_.start();
    ticker_.start();
}

void stall_meter::stop() { ticker_.stop(); }

}  // namespace window_bench
