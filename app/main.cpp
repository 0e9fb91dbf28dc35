// Start-up and ending of the program.
#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "app/fatal_error.h"
#include "app/main_window.h"
#include "app/program_end.h"
#include "app/start_up.h"
#include "common/gbk.h"
#include "services/program_state.h"

namespace {

// Memory that cannot be had is fatal, with the number of bytes asked for.
[[noreturn]] void out_of_memory(std::size_t bytes) {
    std::string text = common::gbk<"分配 %d 字节内存失败!">();
    std::string count = std::to_string(bytes);
    text.replace(text.find("%d"), 2, count);
    app::fatal_error(text);
}

void* allocate(std::size_t bytes) {
    if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
    out_of_memory(bytes);
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate(bytes); }
void* operator new[](std::size_t bytes) { return allocate(bytes); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

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
