// Start-up and ending of the program with the Qt window.
#include <QApplication>

#include "app/fatal_error.h"
#include "app/program.h"
#include "common/gbk.h"
#include "qt/main_window_qt.h"
#include "qt/start_up_qt.h"

int main(int argc, char** argv) {
    app::begin_program();
    QApplication application(argc, argv);
    app::set_program_identity();
    app::load_qt_translations();
    std::unique_ptr<app::main_window> window = app::load_main_window();
    if (!window) app::fatal_error(common::gbk<"载入启动窗口失败">());
    app::show_main_window(*window);
    // Qt has taken its own options out of the arguments.
    app::take_hosts(std::vector<std::string>(argv + 1, argv + argc));
    app::end_with_window(*window);
    int code = application.exec();
    window.reset();
    return app::leave_program(code);
}
