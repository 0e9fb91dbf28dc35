// Start-up and ending of the program.
#include <QApplication>

#include <cstdlib>
#include <filesystem>

#include "app/fatal_error.h"
#include "app/main_window.h"
#include "app/program_end.h"
#include "app/start_up.h"
#include "common/gbk.h"
#include "services/program_state.h"

int main(int argc, char** argv) {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) std::filesystem::current_path(exe.parent_path(), error);

    common::init_program_state();
    std::atexit(common::release_program_state);

    QApplication application(argc, argv);
    app::set_program_identity();
    app::load_qt_translations();
    std::unique_ptr<app::main_window> window = app::load_main_window();
    if (!window) app::fatal_error(common::gbk<"载入启动窗口失败">());
    app::show_main_window(*window);
    // Before any request can start: the hosts the environment names.
    app::take_hosts_from_environment();
    app::end_with_window(*window);
    int code = application.exec();
    window.reset();
    return app::leave_program(code);
}
